// The maker's song.wav and video renders (export.wasm, run in a worker): the
// intro's loop on a simulated millisecond clock, as intro-capture runs it, and
// the sound path drained block by block as the listener hears it from the
// moment the start-up starts the music (the pre-filled ring's silence first).
// The page hands over a content pack, then asks for sound and for frames of
// the screen, scaled by whole factors and converted to BT.709 I420.
#include <emscripten.h>

#include <cstdint>

#include "app/intro_content.h"
#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "app/intro_music.h"
#include "app/simulated_loop.h"
#include "audio/sound_path.h"
#include "display/surface_backing.h"
#include "heard_stream.h"
#include "sound/mixer.h"

namespace {
// The screen's rectangle changed since the last picture: what the frame
// steps blitted, in screen pixels. Only that part is converted again.
struct Changed {
    int left, top, right, bottom;  // right and bottom exclusive; empty when left >= right
} changed;
}  // namespace

// Nothing is shown while rendering: frames are read from the screen surface,
// and a blit only says which part of it changed.
struct DrawTarget {};
void BlitBacking(SurfaceBacking*, DrawTarget*, int, int, int sourceX, int sourceY, int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (changed.left >= changed.right) {
        changed = {sourceX, sourceY, sourceX + width, sourceY + height};
        return;
    }
    if (sourceX < changed.left) changed.left = sourceX;
    if (sourceY < changed.top) changed.top = sourceY;
    if (sourceX + width > changed.right) changed.right = sourceX + width;
    if (sourceY + height > changed.bottom) changed.bottom = sourceY + height;
}

namespace {
constexpr int MaxScale = 4;
constexpr int MaxReadFrames = 44100;

uint8_t packStore[MaxPackBytes];
StereoFrame heard[MaxReadFrames];
uint8_t picture[ScreenWidth * MaxScale * ScreenHeight * MaxScale * 3 / 2];
int pictureScale;  // the scale `picture` holds; 0: none yet

DrawTarget target;
DrawTarget* BeginPresent(void*) { return &target; }

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

// BT.709 with the studio range, in 16.16 fixed point, as players assume for
// pictures of this size.
uint8_t Luma(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint8_t>(16 + ((11966 * r + 40254 * g + 4064 * b + 32768) >> 16));
}
uint8_t Chroma(int32_t weighted) { return static_cast<uint8_t>(Clamp(128 + ((weighted + 32768) >> 16), 16, 240)); }

// The part [left, right) x [top, bottom) of the picture, in picture pixels
// (even bounds), from `screen` scaled `s` times with nearest neighbours: I420,
// the luma plane, then blue and red difference at half size, each chroma
// sample from the mean of its 2x2 pixels.
void ConvertPicture(const Surface& screen, int s, int left, int top, int right, int bottom) {
    const int width = screen.width * s, height = screen.height * s, chromaWidth = width / 2;
    uint8_t* luma = picture;
    uint8_t* blue = picture + width * height;
    uint8_t* red = blue + chromaWidth * (height / 2);
    for (int y = top; y < bottom; ++y) {
        const uint32_t* row = screen.pixels + (y / s) * screen.width;
        for (int x = left; x < right; ++x) {
            const uint32_t p = row[x / s];
            luma[y * width + x] = Luma(p >> 16 & 255, p >> 8 & 255, p & 255);
        }
    }
    for (int y = top / 2; y < bottom / 2; ++y) {
        const uint32_t* upper = screen.pixels + (2 * y / s) * screen.width;
        const uint32_t* lower = screen.pixels + ((2 * y + 1) / s) * screen.width;
        for (int x = left / 2; x < right / 2; ++x) {
            const uint32_t quad[4] = {upper[2 * x / s], upper[(2 * x + 1) / s], lower[2 * x / s],
                                      lower[(2 * x + 1) / s]};
            int32_t r = 0, g = 0, b = 0;
            for (uint32_t p : quad) {
                r += p >> 16 & 255;
                g += p >> 8 & 255;
                b += p & 255;
            }
            // Sums of four: the 16.16 coefficients divided by 4 stay whole.
            blue[y * chromaWidth + x] = Chroma(-1649 * r - 5548 * g + 7197 * b);
            red[y * chromaWidth + x] = Chroma(7197 * r - 6537 * g - 660 * b);
        }
    }
}
}  // namespace

extern "C" {

// Where the page writes the pack, and how many bytes fit there.
EMSCRIPTEN_KEEPALIVE uint8_t* ExportPackStore() { return packStore; }
EMSCRIPTEN_KEEPALIVE uint32_t ExportPackCapacity() { return MaxPackBytes; }

// The `size` bytes at ExportPackStore() become the content (checked as any
// pack the page did not make itself): 0, or the reader's PackStatus.
EMSCRIPTEN_KEEPALIVE int ExportUsePack(uint32_t size) {
    char reason[160];
    if (size > MaxPackBytes) return PackTooLarge;
    return UseContentPack(packStore, size, FontInPack, reason, sizeof reason);
}

// Ticks of the song's first pass (until it comes back to its first entry,
// at most ten minutes), or -1 when it does not load. Run before a start: the
// scan resets the replayer.
EMSCRIPTEN_KEEPALIVE double ExportSongTicks() {
    const ContentPack& content = IntroContent();
    static SongScan scan;
    if (content.module == nullptr) return -1;
    if (ScanSong(content.module, content.moduleSize, 1, SongScanCapTicks, scan, nullptr, 0) != 0) return -1;
    return static_cast<double>(scan.ticks);
}

// The music alone, as the intro's start-up starts it; the ring is pre-filled.
EMSCRIPTEN_KEEPALIVE void ExportSoundStart() {
    ResetSoundPath();
    IntroMusicStart();
}

// The silent frames of the pre-fill, heard before the first rendered block.
EMSCRIPTEN_KEEPALIVE int ExportPrefillFrames() {
    return heardStream.blocks.ring.framesPerBlock * heardStream.blocks.ring.blockCount;
}

// Frames from the end of the pre-fill to the end of `songTicks` ticks, as
// modrender counts them: tick 1 comes before the first frame after the
// pre-fill, tick 2 where the pre-fill's last tick period ends, then one
// period apart. Valid right after the start.
EMSCRIPTEN_KEEPALIVE double ExportSongFrames(double songTicks) {
    const double perTick = mixer.samplesPerTick;
    const double firstPeriod = mixer.tickCounter == 0 ? perTick : perTick - mixer.tickCounter;
    return songTicks <= 0 ? 0 : firstPeriod + (songTicks - 1) * perTick;
}

// The next `frames` frames heard (at most MaxReadFrames), 16-bit stereo;
// silence once the music has stopped. Returns their address.
EMSCRIPTEN_KEEPALIVE StereoFrame* ExportSound(int frames) {
    ReadHeardFrames(heard, Clamp(frames, 0, MaxReadFrames));
    return heard;
}

// The intro's first show at simulated tick 0: the start-up starts the music
// (so sound frame n is heard at n / 44.1 ms) and its 600 ms wait passes on
// the simulated clock. 1 when the picture is set up.
EMSCRIPTEN_KEEPALIVE int ExportPictureStart() {
    ResetSoundPath();
    pictureScale = 0;
    return BeginSimulatedIntro(BeginPresent, IntroMusicStart, IntroMusicStop) ? 1 : 0;
}

// The screen after every frame step due by millisecond `tick` of the time
// line (the first at 600 ms, then one every 21 ms), `scale` times as large
// with nearest neighbours, as I420 (see ConvertPicture). Returns its address;
// null before the start.
EMSCRIPTEN_KEEPALIVE uint8_t* ExportPicture(double tick, int scale) {
    const Surface* screen = introDriver.screen;
    if (screen == nullptr || !IntroStarted()) return nullptr;
    // Nothing runs for a moment before the clock's time (the start-up's wait
    // has moved it to 600).
    RunSimulatedLoopUntil(static_cast<uint32_t>(tick < 0 ? 0 : tick));

    const int s = Clamp(scale, 1, MaxScale);
    if (s != pictureScale) {
        pictureScale = s;
        changed = {0, 0, screen->width, screen->height};
    }
    if (changed.left < changed.right) {
        // In picture pixels, widened to whole chroma samples.
        const int left = Clamp(changed.left, 0, screen->width) * s / 2 * 2;
        const int top = Clamp(changed.top, 0, screen->height) * s / 2 * 2;
        const int right = (Clamp(changed.right, 0, screen->width) * s + 1) / 2 * 2;
        const int bottom = (Clamp(changed.bottom, 0, screen->height) * s + 1) / 2 * 2;
        ConvertPicture(*screen, s, left, top, right, bottom);
        changed = {};
    }
    return picture;
}

EMSCRIPTEN_KEEPALIVE int ExportWidth() { return introDriver.screen ? introDriver.screen->width : 0; }
EMSCRIPTEN_KEEPALIVE int ExportHeight() { return introDriver.screen ? introDriver.screen->height : 0; }

// The intro's teardown, music included.
EMSCRIPTEN_KEEPALIVE void ExportStop() {
    if (IntroStarted()) StopSimulatedIntro();
    IntroMusicStop();
}
}
