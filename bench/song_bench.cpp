// Song assembly figures: the intro's own song reassembled from its source,
// alone and with the view the maker's tracker reads (median of repetitions).
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "authoring/song/song_view.h"

namespace {

std::string IntroSongText() {
    std::ifstream file(INTRO_SONG_FCS, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void BM_AssembleIntroSong(benchmark::State& state) {
    const std::string text = IntroSongText();
    for (auto _ : state) {
        AssembledModule module;
        std::vector<Problem> problems = AssembleSource(text, "intro-song.fcs", module);
        benchmark::DoNotOptimize(BuildModuleImage(module));
        if (!problems.empty()) state.SkipWithError("the intro's song does not assemble");
    }
}
BENCHMARK(BM_AssembleIntroSong)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_IntroSongViewAsJson(benchmark::State& state) {
    const std::string text = IntroSongText();
    for (auto _ : state) {
        ProblemLog log("intro-song.fcs");
        SongView view;
        if (!AssembleSongView(text, log, view)) state.SkipWithError("the intro's song does not assemble");
        benchmark::DoNotOptimize(SongViewAsJson(view));
    }
}
BENCHMARK(BM_IntroSongViewAsJson)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
