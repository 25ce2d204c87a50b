#pragma once
/* Resource numbers of the program, as plain macros so that the resource
   compiler can read this header too. */
#define INTRO_FONT_RESOURCE_ID 103
