#pragma once
// One signed 32-bit state per 8x8 canvas cell (and per 16x16 screen cell).
// Coordinates are clamped to the nearest edge cell, never rejected.
#include <cstdint>

constexpr int32_t CellClean = 0;  // the screen shows the cell as the canvas holds it
constexpr int32_t CellDirty = 2;  // the canvas cell changed; present it next frame

class CellGrid {
public:
    CellGrid(int width, int height);  // every cell CellClean; no storage if it cannot be had
    ~CellGrid();
    CellGrid(const CellGrid&) = delete;
    CellGrid& operator=(const CellGrid&) = delete;

    void Release();  // frees the storage and leaves a 0 x 0 grid
    int IndexOf(int x, int y) const;
    int32_t Get(int x, int y) const;  // -1 without storage
    void Set(int x, int y, int32_t value);
    void Fill(int32_t value);
    void FillRect(int x, int y, int width, int height, int32_t value);

    int32_t width = 0;
    int32_t height = 0;
    int32_t* cells = nullptr;
};
