#pragma once
/* Resource numbers of the program, as plain macros so that the resource
   compiler can read this header too. */
#define INTRO_FONT_RESOURCE_ID 103
/* The content pack (pages and song; the font is resource 103), RT_RCDATA. */
#define INTRO_CONTENT_RESOURCE_ID 104
