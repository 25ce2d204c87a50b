#include "authoring/cpp_source.h"

std::string CppArrayDefinition(const std::string& declarator, const uint8_t* bytes, size_t count) {
    std::string text = declarator + " = {";
    text.reserve(text.size() + count * 5 + 8);
    for (size_t i = 0; i < count; ++i) {
        text += (i % 16 == 0) ? "\n    " : " ";
        text += std::to_string(bytes[i]);
        text += ',';
    }
    text += "\n};\n";
    return text;
}
