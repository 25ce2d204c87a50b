#pragma once
// The one macro of Emscripten's header the worklet's sound path uses, for
// building that path natively in the tests.
#define EMSCRIPTEN_KEEPALIVE
