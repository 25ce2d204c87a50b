#pragma once
// Why the block stream linked into modplay has no audio device, or null when
// it has one.
const char* AudioOutputFailure();
