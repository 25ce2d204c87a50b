#include "sound/block_stream.h"

const char* DescribeStreamResult(int result) {
    switch (result) {
    case StreamOpened: return "the sound output is open";
    case StreamNoDevice: return "no sound device";
    case StreamNoCooperation: return "the sound device refused the program";
    case StreamNoPrimaryBuffer: return "the sound device gave no primary buffer";
    case StreamNoFormat: return "the sound device refused the output format";
    case StreamNoBuffer: return "the sound device gave no buffer to play from";
    case StreamNoEvent: return "the sound output's wake-up signal could not be made";
    case StreamNoNotify: return "the sound device cannot signal block ends";
    case StreamNoNotifyPositions: return "the sound device refused the block-end signals";
    case StreamNoThread: return "the sound output's thread could not be started";
    case StreamNotTimeCritical: return "the sound thread runs without time-critical priority";
    default: return "the sound output failed";
    }
}
