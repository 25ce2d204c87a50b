#include "authoring/font_art.h"

#include <cstdio>
#include <cstring>

#include "authoring/cpp_source.h"
#include "authoring/text_lines.h"

namespace {
constexpr uint32_t HeaderBytes = 14 + 40 + 16 * 4;  // file header, info header, palette
constexpr uint32_t RowBytes = FontImageWidth / 2;   // two pixels per byte, already 4-aligned

int SymbolValue(char symbol) {
    switch (symbol) {
        case '.': return 0;
        case '#': return 1;
        case '+': return 2;
        case 'o': return 3;
        default: return -1;
    }
}

// A line or character as a message shows it: control characters escaped,
// so a stray byte neither vanishes nor garbles the terminal.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Describe(char c) {
    if (c == ' ') return "space";
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on
    // operator+ with a string literal.
    std::string text = "'";
    text.append(Escaped(std::string(1, c)));
    text.append("'");
    return text;
}

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(value & 255);
    out.push_back((value >> 8) & 255);
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
}  // namespace

std::vector<Problem> ParseFontArt(const std::string& text, const std::string& fileName,
                                  const char* charset, FontImage* image) {
    const int glyphCount = static_cast<int>(std::strlen(charset));
    if (glyphCount > FontImageColumns * (FontImageHeight / GlyphSide))
        return {Problem{fileName, 0, 0, "character set has more glyphs than the image holds"}};
    for (auto& row : *image) row.fill(0);

    ProblemLog problems(fileName);
    TextLines lines(text);
    std::string line;
    int lineNumber = 0;  // 0 until a line is read: an empty file has no line to name
    int glyph = 0;     // glyph of the current or next block
    int glyphRow = -1; // -1: expecting a header
    auto report = [&](const std::string& reason, int column = 0) {
        problems.Error(lineNumber, column, reason);
    };
    auto nextRow = [&] {
        if (++glyphRow == GlyphSide) {
            glyphRow = -1;
            ++glyph;
        }
    };
    auto isHeader = [](const std::string& text) {
        return text.size() == 3 && text[0] == '[' && text[2] == ']';
    };
    // Reads a header line; after a wrong one the reading goes on, in step
    // with the character set when the header names one of its glyphs.
    auto readHeader = [&] {
        if (!isHeader(line)) {
            report("expected a glyph header like \"[A]\", found \"" + Escaped(line) + "\"");
            return;
        }
        if (glyph >= glyphCount) {
            report("glyph " + Describe(line[1]) + " is beyond the " + std::to_string(glyphCount) +
                   " characters of the set");
        } else if (line[1] != charset[glyph]) {
            report("expected glyph " + Describe(charset[glyph]) + " (number " + std::to_string(glyph) +
                   ") here, found " + Describe(line[1]));
            const char* found = line[1] != '\0' ? std::strchr(charset, line[1]) : nullptr;
            if (found != nullptr) glyph = static_cast<int>(found - charset);
        }
        glyphRow = 0;
    };
    while (lines.Next(line)) {
        lineNumber = lines.Number();
        if (glyphRow < 0) {
            if (line.empty() || line[0] == ';') continue;
            readHeader();
            continue;
        }
        if (line.size() != GlyphSide) {
            report("glyph row has " + std::to_string(line.size()) + " symbols, expected 8");
            if (isHeader(line)) {  // the glyph before was short: this one begins here
                ++glyph;
                readHeader();
                continue;
            }
            nextRow();
            continue;
        }
        const int originX = (glyph % FontImageColumns) * GlyphSide;
        const int originY = (glyph / FontImageColumns) * GlyphSide;
        for (int x = 0; x < GlyphSide; ++x) {
            const int value = SymbolValue(line[x]);
            if (value < 0) {
                report("unknown symbol '" + Escaped(std::string(1, line[x])) + "' in column " +
                           std::to_string(x + 1) + " (use . # + o)",
                       x + 1);
                break;
            }
            if (glyph < glyphCount) (*image)[originY + glyphRow][originX + x] = static_cast<uint8_t>(value);
        }
        nextRow();
    }
    // A short file after a wrong line is most likely that line's doing.
    if (problems.HasErrors()) return problems.Problems();
    if (glyphRow >= 0 && glyph < glyphCount)
        report("glyph " + Describe(charset[glyph]) + " ends after " + std::to_string(glyphRow) + " of 8 rows");
    else if (glyph < glyphCount)
        report("found " + std::to_string(glyph) + " glyphs, the character set needs " +
               std::to_string(glyphCount) + " (next: " + Describe(charset[glyph]) + ")");
    return problems.Problems();
}

std::vector<uint8_t> BuildFontBmp(const FontImage& image) {
    static const uint8_t palette[4][3] = {{19, 0, 71}, {247, 247, 247}, {127, 127, 127}, {0, 0, 0}};
    const uint32_t imageBytes = RowBytes * FontImageHeight;
    std::vector<uint8_t> out;
    out.reserve(HeaderBytes + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, HeaderBytes + imageBytes);
    Put32(out, 0);  // reserved
    Put32(out, HeaderBytes);
    Put32(out, 40);
    Put32(out, FontImageWidth);
    Put32(out, FontImageHeight);  // positive: rows stored bottom-up
    Put16(out, 1);                // planes
    Put16(out, 4);                // bits per pixel
    Put32(out, 0);                // BI_RGB
    Put32(out, imageBytes);
    Put32(out, 2835);  // 72 dpi, both directions
    Put32(out, 2835);
    Put32(out, 16);  // colours used
    Put32(out, 0);   // colours important: all
    for (int entry = 0; entry < 16; ++entry) {
        const uint8_t* rgb = entry < 4 ? palette[entry] : palette[3];
        const bool used = entry < 4;
        out.push_back(used ? rgb[2] : 0);  // RGBQUAD is blue, green, red, reserved
        out.push_back(used ? rgb[1] : 0);
        out.push_back(used ? rgb[0] : 0);
        out.push_back(0);
    }
    for (int y = FontImageHeight - 1; y >= 0; --y) {
        for (int x = 0; x < FontImageWidth; x += 2)
            out.push_back(static_cast<uint8_t>(image[y][x] << 4 | image[y][x + 1]));
    }
    return out;
}

std::string EmitFontSource(const std::vector<uint8_t>& bmp) {
    return "// Generated by fontc from the font art; do not edit.\n"
           "#include <cstdint>\n\n"
           "extern const uint8_t FontBitmap[];\n"
           "extern const uint32_t FontBitmapSize;\n\n" +
           CppArrayDefinition("const uint8_t FontBitmap[]", bmp.data(), bmp.size()) +
           "const uint32_t FontBitmapSize = sizeof(FontBitmap);\n";
}
