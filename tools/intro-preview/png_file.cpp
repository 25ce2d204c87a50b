#include "png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "safe_output.h"

namespace {
// libpng reports errors by longjmp; this frame holds nothing that needs a
// destructor, so the jump cannot skip a clean-up.
bool WriteRows(std::FILE* file, const std::vector<png_bytep>& rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
}  // namespace

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height,
              std::string* error) {
    std::vector<png_byte> bytes(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        bytes[i * 3] = (pixels[i] >> 16) & 255;
        bytes[i * 3 + 1] = (pixels[i] >> 8) & 255;
        bytes[i * 3 + 2] = pixels[i] & 255;
    }
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) rows[y] = &bytes[static_cast<size_t>(y) * width * 3];

    SafeOutput out;
    if (!out.Open(path, *error)) return false;
    if (!WriteRows(out.Stream(), rows, width, height)) {
        *error = "cannot write '" + path + "': the PNG encoder failed";
        return false;
    }
    return out.Commit(*error);
}

bool ReadPng(const std::string& path, std::vector<uint32_t>* pixels, int* width, int* height,
             std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        *error = "cannot read '" + path + "' as PNG: " + image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
        *error = "cannot decode '" + path + "': " + image.message;
        png_image_free(&image);
        return false;
    }
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    pixels->resize(static_cast<size_t>(*width) * *height);
    for (size_t i = 0; i < pixels->size(); ++i) {
        (*pixels)[i] = uint32_t{bytes[i * 3]} << 16 | uint32_t{bytes[i * 3 + 1]} << 8 | bytes[i * 3 + 2];
    }
    return true;
}
