#include "pack_outputs.h"

#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "exe_content.h"
#include "input_file.h"
#include "safe_output.h"

extern char** environ;

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool WriteExe(const std::string& output, const BuiltContent& content, const PackData& data,
              std::string* error) {
    std::vector<uint8_t> shell, exe;
    if (!ReadInputFile(data.shell, "the prebuilt intro.exe", shell, *error)) {
        *error += " (give the prebuilt Windows intro with --shell FILE)";
        return false;
    }
    if (!WriteIntroExe(shell, content.fontBmp, content.exePack, &exe, error)) {
        *error = data.shell + ": " + *error;
        return false;
    }
    if (!WriteFileSafely(output, exe.data(), exe.size(), *error)) return false;
    chmod(output.c_str(), 0755);  // a program, as the linker leaves one
    return true;
}

bool RemoveFolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) return false;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") std::remove((path + "/" + name).c_str());
    }
    closedir(dir);
    return rmdir(path.c_str()) == 0;
}

// The web files and content.intro go into a new folder beside `output`,
// which then takes its place: a reader never sees half a folder. An existing
// folder is replaced only when intro-pack wrote it (it holds content.intro).
bool WriteWebFolder(std::string output, const BuiltContent& content, const PackData& data,
                    std::string* error) {
    while (output.size() > 1 && output.back() == '/') output.pop_back();
    struct stat info;
    const bool exists = stat(output.c_str(), &info) == 0;
    if (exists && !(S_ISDIR(info.st_mode) && stat((output + "/content.intro").c_str(), &info) == 0)) {
        *error = output + " exists and is not a web folder intro-pack wrote; give another name";
        return false;
    }
    DIR* files = opendir(data.webFiles.c_str());
    if (files == nullptr) {
        *error = data.webFiles + ": cannot read the web version's files (give them with --web DIR)";
        return false;
    }
    const std::string building = output + ".partial-" + std::to_string(getpid());
    if (mkdir(building.c_str(), 0755) != 0) {
        closedir(files);
        *error = "cannot create " + building;
        return false;
    }
    bool ok = true;
    while (dirent* entry = readdir(files)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name == "content.intro") continue;
        std::vector<uint8_t> bytes;
        ok = ReadInputFile(data.webFiles + "/" + name, "a web file", bytes, *error) &&
             WriteFileSafely(building + "/" + name, bytes.data(), bytes.size(), *error);
        if (!ok) break;
    }
    closedir(files);
    ok = ok && WriteFileSafely(building + "/content.intro", content.pack.data(),
                               content.pack.size(), *error);
    const std::string old = output + ".old-" + std::to_string(getpid());
    if (ok && exists && std::rename(output.c_str(), old.c_str()) != 0) {
        *error = "cannot replace " + output;
        ok = false;
    }
    if (ok && std::rename(building.c_str(), output.c_str()) != 0) {
        *error = "cannot create " + output;
        if (exists) std::rename(old.c_str(), output.c_str());
        ok = false;
    }
    if (!ok) RemoveFolder(building);
    if (ok && exists) RemoveFolder(old);
    return ok;
}

std::string Beside(const std::string& self, const std::string& name) {
    const size_t slash = self.find_last_of('/');
    if (slash == std::string::npos) return name;  // found on PATH, as intro-pack was
    return self.substr(0, slash + 1) + name;
}

// intro-capture renders the video from a pack; a temporary one is written
// for it and removed afterwards.
bool WriteVideo(const std::string& output, const BuiltContent& content, const std::string& seconds,
                const std::string& self, std::string* error) {
    char packPath[] = "/tmp/intro-pack-XXXXXX";
    const int fd = mkstemp(packPath);
    if (fd < 0) {
        *error = "cannot create a temporary pack in /tmp";
        return false;
    }
    const bool written =
        write(fd, content.pack.data(), content.pack.size()) == static_cast<ssize_t>(content.pack.size());
    close(fd);
    const std::string capture = Beside(self, "intro-capture");
    std::vector<std::string> args = {capture, "--content", packPath, "-o", output};
    if (!seconds.empty()) args.insert(args.end(), {"--seconds", seconds});
    if (EndsWith(output, ".mkv")) args.push_back("--lossless");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    const bool started =
        written && posix_spawnp(&child, capture.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
    const bool finished = started && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                          WEXITSTATUS(status) == 0;
    unlink(packPath);
    if (!written) *error = "cannot write a temporary pack in /tmp";
    else if (!started) *error = "cannot run " + capture + " (it makes the video)";
    else if (!finished) *error = "intro-capture did not write " + output + " (its message is above)";
    return finished;
}

}  // namespace

PackOutputKind OutputKindOf(const std::string& output) {
    if (EndsWith(output, ".intro")) return PackOutputKind::Pack;
    if (EndsWith(output, ".exe")) return PackOutputKind::Exe;
    for (const char* video : {".mp4", ".mkv", ".webp"})
        if (EndsWith(output, video)) return PackOutputKind::Video;
    return PackOutputKind::WebFolder;
}

bool WritePackOutput(const std::string& output, const BuiltContent& content, const PackData& data,
                     const std::string& seconds, const std::string& self, std::string* error) {
    switch (OutputKindOf(output)) {
    case PackOutputKind::Pack:
        return WriteFileSafely(output, content.pack.data(), content.pack.size(), *error);
    case PackOutputKind::Exe:
        return WriteExe(output, content, data, error);
    case PackOutputKind::Video:
        return WriteVideo(output, content, seconds, self, error);
    case PackOutputKind::WebFolder:
        return WriteWebFolder(output, content, data, error);
    }
    return false;
}
