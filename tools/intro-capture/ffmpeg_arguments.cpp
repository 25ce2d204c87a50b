#include "ffmpeg_arguments.h"

#include "audio/sound_settings.h"

bool KindHasAudio(CaptureKind kind) {
    return kind == CaptureKind::Video || kind == CaptureKind::Lossless;
}

std::vector<std::string> FfmpegArguments(CaptureKind kind, int scale, int width, int height,
                                         const std::string& outputPath) {
    std::vector<std::string> a = {"-hide_banner", "-nostdin", "-loglevel", "error", "-y"};
    // The inputs' formats are given in full, so ffmpeg need not read ahead
    // to probe them: it would wait on one pipe while the other stays full.
    // A deeper input queue lets either pipe run a little ahead of the other.
    const std::vector<std::string> noProbe = {"-probesize", "32", "-analyzeduration", "0",
                                              "-thread_queue_size", "64"};
    a.insert(a.end(), noProbe.begin(), noProbe.end());
    a.insert(a.end(), {"-f", "rawvideo", "-pix_fmt", "bgr0",
                       "-video_size", std::to_string(width) + "x" + std::to_string(height),
                       "-framerate", std::to_string(FramesPerSecond), "-i", "pipe:3"});
    if (KindHasAudio(kind)) {
        a.insert(a.end(), noProbe.begin(), noProbe.end());
        a.insert(a.end(), {"-f", "s16le", "-ar", std::to_string(IntroSound.rate), "-ac", "2",
                           "-i", "pipe:4"});
    }
    const std::string size = std::to_string(width * scale) + ":" + std::to_string(height * scale);
    const std::string scaled = "scale=" + size + ":flags=neighbor";
    switch (kind) {
    case CaptureKind::Video:
        // Tagged BT.709 and converted with that matrix, as players assume for
        // pictures of this size.
        a.insert(a.end(), {"-vf", scaled + ":out_color_matrix=bt709:out_range=tv,format=yuv420p",
                           "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc",
                           "bt709", "-c:v", "libx264", "-preset", "veryfast", "-crf", "16",
                           "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4"});
        break;
    case CaptureKind::Lossless:
        if (scale != 1) a.insert(a.end(), {"-vf", scaled});
        // Every frame a key frame; the range coder with small contexts is
        // both the faster and the smaller choice for this picture. Bit-exact
        // flags keep dates, random ids and version strings out, so equal
        // captures are equal files.
        a.insert(a.end(), {"-c:v", "ffv1", "-level", "3", "-coder", "1", "-context", "0", "-g",
                           "1", "-slices", "4", "-slicecrc", "0", "-c:a", "flac", "-fflags",
                           "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact", "-f",
                           "matroska"});
        break;
    case CaptureKind::WebP:
        if (scale != 1) a.insert(a.end(), {"-vf", scaled});
        a.insert(a.end(), {"-c:v", "libwebp_anim", "-lossless", "1", "-loop", "0", "-f", "webp"});
        break;
    }
    // Through the file protocol: ffmpeg would take a name like "pipe:1.mp4"
    // for another protocol, and one like "-weird.mp4" for an option.
    a.push_back("file:" + outputPath);
    return a;
}
