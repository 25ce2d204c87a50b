#pragma once
// The block stream (sound/block_stream.h) over SDL2's audio device: a ring of
// blocks that SDL's audio callback plays from and a feeder thread refills, the
// same structure as the DirectSound streamer. The device is opened at 44100 Hz,
// 16-bit stereo, with no format changes allowed, so SDL receives exactly the
// frames the mixer rendered.

// Why the last OpenStream left the program without sound (no audio device,
// SDL's dummy driver, ...), or null when the stream is open.
const char* SdlStreamFailure();
