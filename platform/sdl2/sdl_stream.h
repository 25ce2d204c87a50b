#pragma once
// The block stream (sound/block_stream.h) over SDL2's audio device: a ring of
// blocks that SDL's audio callback plays from and a feeder thread refills, the
// same structure as the DirectSound streamer. The device is opened at 44100 Hz,
// 16-bit stereo, with no format changes allowed, so SDL receives exactly the
// frames the mixer rendered.

// What SDL said when the last OpenStream failed (its error text, or that its
// dummy driver plays nothing), beside the StreamResult audio control keeps;
// empty otherwise.
const char* SdlStreamDetail();
