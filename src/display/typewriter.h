#pragma once
// Types the built-in pages onto a target surface, one character per step, in
// an 8x8 bitmap font, marking every cell it changes. A page ends in a hold;
// then the text area is cleared and the next page is typed, endlessly.
#include <cstdint>

#include "display/cell_grid.h"
#include "display/surface.h"

class Typewriter {
public:
    // Points at everything it is given and owns none of it.
    Typewriter(Surface* font, Surface* target, const char* charset, const char* const* pages,
               CellGrid* grid, int cellWidth, int cellHeight);

    void Step();

    static constexpr int HoldSteps = 250;   // steps from "|" to the next page start
    static constexpr char LineBreak = ']';
    static constexpr char PageEnd = '|';
    // Compatibility: typed forever when the page table is empty.
    static constexpr char NoPageChar = '*';

    CellGrid* grid;
    Surface* font;
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t fontColumns;
    const char* charset;
    const char* const* pages;
    int32_t nextPage = 0;
    const char* page = nullptr;
    int32_t pagePos = 0;
    Surface* target;
    int32_t columns = 0;
    int32_t lines = 0;
    int32_t column = 1;
    int32_t line = 2;
    int32_t wait = 1;

private:
    void StartPage();
    char NextChar();
    void HandleChar(char c);
    void PutChar(char c);
    void DrawGlyph(Surface* surface, int x, int y, char c);
    int GlyphIndex(char c) const;
    void AdvanceColumn();
    void AdvanceLine();
};
