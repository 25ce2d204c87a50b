// modplay plays through the SDL block stream of platform/sdl2.
#include "audio_output.h"

#include "sdl_stream.h"

const char* AudioOutputFailure() { return SdlStreamFailure(); }
