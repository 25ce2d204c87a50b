// Regression fingerprints of the rendered output of a fixed hand-built module,
// through the intro's whole sound path. A change of sound shows up here as a
// changed fingerprint; when it is meant, regenerate the golden file with
// INTRO_UPDATE_GOLDEN=1 and review its diff.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "memory_stream.h"
#include "demo_song.h"
#include "replayer/replayer.h"
#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "sound/mixer.h"

namespace {

const std::string goldenPath = std::string(INTRO_GOLDEN_DIR) + "/sound_render.txt";

struct Fingerprint {
    uint64_t hash = 0xcbf29ce484222325ull;
    int64_t frames = 0;
    int64_t nonSilent = 0;
};

void Hash(void* context, int, const StereoFrame* frames, int count) {
    auto* f = static_cast<Fingerprint*>(context);
    f->hash = Fnv1a64(frames, sizeof(StereoFrame) * static_cast<size_t>(count), f->hash);
    f->frames += count;
    for (int i = 0; i < count; ++i) f->nonSilent += (frames[i].left | frames[i].right) != 0;
}

// Six seconds after the pre-fill, as the streaming thread would ask for them.
Fingerprint Render(bool fc14) {
    ResetSoundPath();
    InitAudio(44100, 4000, 8);
    const std::vector<uint8_t> image = BuildModule(DemoSong(fc14, 4));
    char reason[200] = "";
    EXPECT_EQ(LoadModuleChecked(image.data(), image.size(), reason, sizeof reason), 0) << reason;
    StartAudio();
    Fingerprint fingerprint;
    SetMemoryStreamSink(Hash, &fingerprint);
    for (int block = 0; block < 66; ++block) MemoryStreamRequestBlock();
    ShutdownAudio();
    return fingerprint;
}

std::map<std::string, std::string> ReadGolden() {
    std::map<std::string, std::string> values;
    if (FILE* file = std::fopen(goldenPath.c_str(), "r")) {
        char name[64], value[64];
        while (std::fscanf(file, "%63s %63s", name, value) == 2) values[name] = value;
        std::fclose(file);
    }
    return values;
}

TEST(RenderGolden, DemoSongFingerprints) {
    std::map<std::string, std::string> rendered;
    for (bool fc14 : {true, false}) {
        const Fingerprint f = Render(fc14);
        EXPECT_EQ(f.frames, 66 * 4000);
        EXPECT_GT(f.nonSilent, f.frames / 2) << "the song should sound for most of the render";
        char text[32];
        std::snprintf(text, sizeof text, "%016" PRIx64, f.hash);
        rendered[fc14 ? "fc14" : "smod"] = text;
    }
    const char* update = std::getenv("INTRO_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        FILE* file = std::fopen(goldenPath.c_str(), "w");
        ASSERT_NE(file, nullptr) << "cannot write " << goldenPath;
        for (const auto& [name, value] : rendered) std::fprintf(file, "%s %s\n", name.c_str(), value.c_str());
        ASSERT_EQ(std::fclose(file), 0);
        GTEST_SKIP() << "rewrote " << goldenPath;
    }
    const std::map<std::string, std::string> golden = ReadGolden();
    ASSERT_FALSE(golden.empty()) << goldenPath << " is missing; create it with INTRO_UPDATE_GOLDEN=1";
    for (const auto& [name, value] : rendered) {
        const auto it = golden.find(name);
        ASSERT_NE(it, golden.end()) << name << " missing from " << goldenPath;
        EXPECT_EQ(value, it->second) << name << ": rendered output changed";
    }
}

}  // namespace
