#include "modasm_test_support.h"


AssemblyResult AssembleText(const std::string& source, const std::string& fileName) {
    AssemblyResult result;
    for (const Problem& problem : AssembleSource(source, fileName, result.module))
        result.errors.push_back(FormatProblem(problem, "modasm"));
    result.ok = result.errors.empty();
    if (result.ok) result.image = BuildModuleImage(result.module);
    return result;
}

uint32_t U32At(const std::vector<uint8_t>& image, size_t at) {
    return (uint32_t{image.at(at)} << 24) | (uint32_t{image.at(at + 1)} << 16) |
           (uint32_t{image.at(at + 2)} << 8) | image.at(at + 3);
}

uint16_t U16At(const std::vector<uint8_t>& image, size_t at) {
    return static_cast<uint16_t>((image.at(at) << 8) | image.at(at + 1));
}

bool HasError(const AssemblyResult& result, const std::string& fragment) {
    for (const auto& error : result.errors) {
        if (error.find(fragment) != std::string::npos) return true;
    }
    return false;
}

std::string MinimalSong(const std::string& extra) {
    return "format FC14\n"
           "wave tone square words=16\n"
           "freq plain\n"
           "  SetWave tone 0 End\n"
           "vol note freq=plain\n"
           "  64 End\n"
           "pattern p inst=note\n"
           "  C-2\n" +
           extra +
           "sequence\n"
           "  p p p p speed=6\n";
}
