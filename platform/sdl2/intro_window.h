#pragma once
// The native intro's window: the 528x384 screen surface as an SDL streaming
// texture, drawn with nearest-neighbour sampling at a whole multiple of its
// size (or shrunk to fit a smaller window), centred, with borders in the
// background colour.
#include <SDL.h>

#include <cstdint>
#include <string>

#include "app/intro_geometry.h"

struct IntroWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
};

// The largest whole factor at which the screen fits the first display's usable
// area; at least 1.
int LargestScaleThatFits();

// Opens the window hidden; ShowIntroWindow shows it. False with `error` set
// when SDL cannot give a window, renderer or texture.
bool OpenIntroWindow(IntroWindow& w, int scale, bool fullscreen, std::string& error);
void ShowIntroWindow(IntroWindow& w);

// Where the screen goes in an output of the given size.
SDL_Rect FitScreen(int outputWidth, int outputHeight);

// Copies `area` of a 528x384 image of 0x00RRGGBB pixels into the texture.
void UploadScreen(IntroWindow& w, const uint32_t* pixels, const SDL_Rect& area);
void PresentIntroWindow(IntroWindow& w);
void ToggleFullscreen(IntroWindow& w);
void CloseIntroWindow(IntroWindow& w);
