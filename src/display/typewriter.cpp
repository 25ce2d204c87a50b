#include "display/typewriter.h"

namespace {
constexpr int FirstTextLine = 2;
constexpr int FirstTextColumn = 1;
}  // namespace

Typewriter::Typewriter(Surface* font, Surface* target, const char* charset,
                       const char* const* pages, CellGrid* grid, int cellWidth, int cellHeight)
    : grid(grid), font(font), cellWidth(cellWidth), cellHeight(cellHeight), fontColumns(0),
      charset(charset), pages(pages), target(target) {
    // Guard: a zero or negative cell size leaves no glyph columns and no cursor
    // room, so nothing is ever drawn instead of dividing by zero.
    const bool cellUsable = cellWidth > 0 && cellHeight > 0;
    if (cellUsable && font != nullptr) fontColumns = font->width / cellWidth;
    if (cellUsable && target != nullptr) {
        columns = target->width / cellWidth;
        lines = target->height / cellHeight;
    }
    page = pages != nullptr ? pages[0] : nullptr;
}

void Typewriter::Step() {
    if (wait > 1) {
        --wait;
    } else if (wait == 1) {
        StartPage();
    } else {
        HandleChar(NextChar());
    }
}

void Typewriter::StartPage() {
    wait = 0;
    column = FirstTextColumn;
    line = FirstTextLine;
    pagePos = 0;
    if (pages == nullptr) {  // Guard: no table at all types as an empty one
        page = nullptr;
    } else {
        page = pages[nextPage];
        ++nextPage;
        if (page == nullptr) {  // past the last page: the pages cycle
            page = pages[0];
            nextPage = 1;
        }
    }
    // The clear runs from the first text line to the bottom edge.
    // Compatibility: a target at most ten glyph rows tall is cleared whole,
    // lines 0-1 included, as the intro has always done.
    if (target != nullptr) {
        if (target->height - 10 * cellHeight <= 0) {
            target->FillAll(BackgroundRed, BackgroundGreen, BackgroundBlue);
        } else {
            target->FillFromRow(BackgroundRed, BackgroundGreen, BackgroundBlue,
                                FirstTextLine * cellHeight);
        }
    }
    // Compatibility: column 0 is cleared with its rows but not marked, so the
    // screen keeps showing it as the first show left it (the same colour).
    if (grid != nullptr) {
        grid->FillRect(FirstTextColumn, FirstTextLine, grid->width - 1, grid->height - 2,
                       CellDirty);
    }
}

// Compatibility: a page without "|" starts over at its terminating zero,
// wherever the cursor is. Guard: an empty page keeps answering its zero (typed
// as a blank) instead of moving past it into whatever memory follows.
char Typewriter::NextChar() {
    if (page == nullptr) return NoPageChar;
    char c = page[pagePos];
    if (c == '\0') {
        pagePos = 0;
        c = page[0];
        if (c == '\0') return c;
    }
    ++pagePos;
    return c;
}

void Typewriter::HandleChar(char c) {
    if (c == LineBreak) {
        column = FirstTextColumn;
        AdvanceLine();
    } else if (c == PageEnd) {
        wait = HoldSteps;
    } else {
        PutChar(c);
    }
}

// The cell is marked before it is drawn, so a frame never presents a drawn
// cell that it does not know about.
void Typewriter::PutChar(char c) {
    if (grid != nullptr) grid->Set(column, line, CellDirty);
    DrawGlyph(target, column * cellWidth, line * cellHeight, c);
    AdvanceColumn();
}

// Compatibility: characters outside the set are drawn as glyph cell (0, 0),
// the blank, and still move the cursor on.
void Typewriter::DrawGlyph(Surface* surface, int x, int y, char c) {
    if (surface == nullptr || font == nullptr || fontColumns <= 0) return;
    const int index = GlyphIndex(c);
    const int glyphColumn = index < 0 ? 0 : index % fontColumns;
    const int glyphRow = index < 0 ? 0 : index / fontColumns;
    font->CopyRect(surface, x, y, glyphColumn * cellWidth, glyphRow * cellHeight, cellWidth,
                   cellHeight);
}

int Typewriter::GlyphIndex(char c) const {
    if (charset == nullptr || c == '\0') return -1;
    for (int i = 0; charset[i] != '\0'; ++i) {
        if (charset[i] == c) return i;
    }
    return -1;
}

void Typewriter::AdvanceColumn() {
    ++column;
    if (column >= columns) {
        column = FirstTextColumn;
        AdvanceLine();
    }
}

// Compatibility: from the last line the text goes back to the first text
// line, without a clear, and overwrites what is there.
void Typewriter::AdvanceLine() {
    ++line;
    if (line >= lines) line = FirstTextLine;
}
