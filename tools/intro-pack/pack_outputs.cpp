#include "pack_outputs.h"

#include <dirent.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "authoring/exe_content.h"
#include "authoring/exe_sizes.h"
#include "authoring/single_html.h"
#include "app/input_file.h"
#include "safe_output.h"

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
    const std::vector<Problem> problems = WriteIntroExe(shell, "", content.fontBmp, content.exePack, &exe);
    if (!problems.empty()) {
        *error = data.shell + ": " + problems.front().reason;
        return false;
    }
    if (!WriteFileSafely(output, exe.data(), exe.size(), *error)) return false;
    chmod(output.c_str(), 0755);  // a program, as the linker leaves one
    ExeSizes sizes;
    std::string unmeasured;
    if (MeasureIntroExe(exe, &sizes, &unmeasured))
        std::fputs(ExeSizesText(output, sizes).c_str(), stdout);
    else
        std::fprintf(stderr, "intro-pack: %s written, but its parts cannot be measured: %s\n",
                     output.c_str(), unmeasured.c_str());
    return true;
}

// The web version's files and the pack as one page; its size is printed
// against the budget a page of this intro keeps.
bool WriteHtml(const std::string& output, const BuiltContent& content, const PackData& data,
               std::string* error) {
    WebPageFiles files;
    for (int i = 0; i < WebPageFileCount; ++i) {
        if (!ReadInputFile(data.webFiles + "/" + WebPageFileNames[i], "a web file", files[i], *error)) {
            *error += " (give the web version's files with --web DIR)";
            return false;
        }
    }
    std::string html;
    const std::vector<Problem> problems = WriteSingleHtml(files, content.pack, &html);
    if (!problems.empty()) {
        *error = data.webFiles + "/" + problems.front().file + ": " + problems.front().reason;
        return false;
    }
    if (!WriteFileSafely(output, html.data(), html.size(), *error)) return false;
    const int64_t size = int64_t(html.size()), left = int64_t(SingleHtmlBudget) - size;
    std::printf("%s: %s bytes, %s bytes %s the 128 KiB (%s bytes) a page of this intro keeps to\n",
                output.c_str(), GroupedDigits(size).c_str(), GroupedDigits(left < 0 ? -left : left).c_str(),
                left < 0 ? "over" : "under", GroupedDigits(int64_t(SingleHtmlBudget)).c_str());
    return true;
}

// The names in `folder` but . and ..; false when it cannot be read.
bool ListFolder(const std::string& folder, std::vector<std::string>* names) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names->push_back(name);
    }
    closedir(dir);
    std::sort(names->begin(), names->end());
    return true;
}

// The names `folder`'s list says intro-pack wrote (the list itself among
// them); empty when there is no list.
std::vector<std::string> WrittenList(const std::string& folder) {
    std::vector<uint8_t> bytes;
    std::string error, line;
    std::vector<std::string> names;
    const std::string list = folder + "/" + WebFolderListName;
    if (!IsRegularFile(list) || !ReadInputFile(list, "a list", bytes, error)) return names;
    const std::string text(bytes.begin(), bytes.end());
    if (text.compare(0, sizeof WebFolderListHeader - 1, WebFolderListHeader) != 0) return names;
    size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
        const size_t end = text.find('\n', start + 1);
        line = text.substr(start + 1, end == std::string::npos ? end : end - start - 1);
        if (!line.empty() && line.find('/') == std::string::npos && line != "." && line != "..")
            names.push_back(line);
        start = end;
    }
    names.push_back(WebFolderListName);
    std::sort(names.begin(), names.end());
    return names;
}

// `path` with its links and dots resolved; "" when it does not exist.
std::string Resolved(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return "";
    const std::string result = resolved;
    free(resolved);
    return result;
}

bool IsWithin(const std::string& path, const std::string& folder) {
    return !path.empty() && !folder.empty() &&
           (path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                               (folder == "/" || path[folder.size()] == '/')));
}

// Why `output` cannot be written as a web folder, or "" when it can: it must
// be new, or a folder intro-pack wrote that holds nothing else and none of
// the inputs. `replaced` gets the names to remove from the old folder.
std::string WhyNotWebFolder(const std::string& output, const std::vector<std::string>& inputs,
                            const std::string& webFiles, std::vector<std::string>* replaced) {
    const std::string folder = Resolved(output);
    const std::string files = Resolved(webFiles);
    if (IsWithin(folder, files) || IsWithin(files, folder) ||
        IsWithin(Resolved(output.substr(0, output.find_last_of('/') + 1) + "."), files))
        return output + " is, holds or lies in the web version's files (" + webFiles +
               "); give a folder elsewhere";
    for (const std::string& input : inputs) {
        if (IsWithin(Resolved(input), folder))
            return output + " holds " + input + ", which this run reads; give another folder";
    }
    struct stat info;
    if (lstat(output.c_str(), &info) != 0) return "";
    if (S_ISLNK(info.st_mode))
        return output + " is a symbolic link; intro-pack does not write through one: give the "
                        "folder's own path or a new name";
    std::vector<std::string> present;
    if (!S_ISDIR(info.st_mode) || !ListFolder(output, &present) ||
        (*replaced = WrittenList(output)).empty())
        return output + " exists and is not a web folder intro-pack wrote (it has no " +
               WebFolderListName + "); give another name, or move it away yourself";
    std::string others;
    for (const std::string& name : present) {
        if (std::binary_search(replaced->begin(), replaced->end(), name)) continue;
        others += (others.empty() ? "" : ", ") + name;
    }
    if (!others.empty())
        return output + " holds files intro-pack did not write (" + others +
               "); move them out of it, or give another name";
    return "";
}

// Removes the listed files of an old web folder and the folder itself.
bool RemoveWrittenFolder(const std::string& folder, const std::vector<std::string>& names) {
    for (const std::string& name : names) unlink((folder + "/" + name).c_str());
    return rmdir(folder.c_str()) == 0;
}

// The web files, content.intro, content.json (which tells the page that the
// pack is there) and the list of them go into a new folder beside `output`,
// which then takes its place: a reader never sees half a folder.
bool WriteWebFolder(std::string output, const BuiltContent& content, const PackData& data,
                    const std::vector<std::string>& inputs, std::string* error) {
    while (output.size() > 1 && output.back() == '/') output.pop_back();
    std::vector<std::string> replaced;
    *error = WhyNotWebFolder(output, inputs, data.webFiles, &replaced);
    if (!error->empty()) return false;
    const bool exists = !replaced.empty();
    std::vector<std::string> webFiles;
    if (!ListFolder(data.webFiles, &webFiles)) {
        *error = data.webFiles + ": cannot read the web version's files (give them with --web DIR)";
        return false;
    }
    const std::string building = output + ".partial-" + std::to_string(getpid());
    if (mkdir(building.c_str(), 0755) != 0) {
        *error = "cannot create " + building;
        return false;
    }
    const std::string ownFiles[] = {"content.intro", "content.json", WebFolderListName};
    std::string list = std::string(WebFolderListHeader) + "\n";
    std::vector<std::string> written;
    bool ok = true;
    for (const std::string& name : webFiles) {
        if (std::find(std::begin(ownFiles), std::end(ownFiles), name) != std::end(ownFiles)) continue;
        std::vector<uint8_t> bytes;
        ok = ReadInputFile(data.webFiles + "/" + name, "a web file", bytes, *error) &&
             WriteFileSafely(building + "/" + name, bytes.data(), bytes.size(), *error);
        if (!ok) break;
        written.push_back(name);
    }
    written.insert(written.end(), std::begin(ownFiles), std::end(ownFiles));
    for (const std::string& name : written) list += name + "\n";
    ok = ok &&
         WriteFileSafely(building + "/content.intro", content.pack.data(), content.pack.size(),
                         *error) &&
         WriteFileSafely(building + "/content.json", "{\"pack\": \"content.intro\"}\n", *error) &&
         WriteFileSafely(building + "/" + WebFolderListName, list, *error);
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
    if (!ok) RemoveWrittenFolder(building, written);
    if (ok && exists && !RemoveWrittenFolder(old, replaced))
        std::fprintf(stderr, "intro-pack: left %s, the earlier folder: something was added to it "
                             "while this one was written\n", old.c_str());
    return ok;
}

std::string Beside(const std::string& self, const std::string& name) {
    const size_t slash = self.find_last_of('/');
    if (slash == std::string::npos) return name;  // found on PATH, as intro-pack was
    return self.substr(0, slash + 1) + name;
}

// A video build's intro-capture, for the handler that passes an interrupt on
// to it: intro-capture then removes its partial output itself.
constexpr int PassedSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile sig_atomic_t captureChild = 0;
volatile sig_atomic_t interruptedBy = 0;
static_assert(sizeof(sig_atomic_t) >= sizeof(pid_t));

extern "C" void PassOnToCapture(int signal) {
    interruptedBy = signal;
    if (captureChild > 0) kill(static_cast<pid_t>(captureChild), signal);
}

// Runs intro-capture with `args` and waits for it; an interrupt meanwhile is
// passed on and, once the child has ended, ends intro-pack the same way
// (through the handlers it had before, which remove its pending files).
// The child's exit status, or -1 when it could not be run.
int RunCapture(std::vector<std::string>& args, const std::function<void()>& beforeDying) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    sigset_t passed, previousMask;
    sigemptyset(&passed);
    for (int signal : PassedSignals) sigaddset(&passed, signal);
    sigprocmask(SIG_BLOCK, &passed, &previousMask);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0) {
        // Only async-signal-safe calls until exec.
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // a killed intro-pack takes it along
        if (getppid() != parent) _exit(127);
        for (int signal : PassedSignals) ::signal(signal, SIG_DFL);
        sigprocmask(SIG_SETMASK, &previousMask, nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    struct sigaction passOn = {}, previous[3];
    passOn.sa_handler = PassOnToCapture;
    sigemptyset(&passOn.sa_mask);
    if (child > 0) {
        captureChild = child;
        for (int i = 0; i < 3; ++i) sigaction(PassedSignals[i], &passOn, &previous[i]);
    }
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    if (child < 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    captureChild = 0;
    for (int i = 0; i < 3; ++i) sigaction(PassedSignals[i], &previous[i], nullptr);
    if (interruptedBy != 0) {
        beforeDying();
        raise(interruptedBy);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// intro-capture renders the video from a pack; a temporary one is written
// for it (in TMPDIR, default /tmp) and removed afterwards.
bool WriteVideo(const std::string& output, const BuiltContent& content, const std::string& seconds,
                const std::string& self, std::string* error) {
    const char* tmp = std::getenv("TMPDIR");
    std::string packPath = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                           "/intro-pack-XXXXXX";
    const int fd = mkstemp(packPath.data());
    if (fd < 0) {
        *error = "cannot create a temporary pack in " + packPath.substr(0, packPath.rfind('/'));
        return false;
    }
    const bool written =
        write(fd, content.pack.data(), content.pack.size()) == static_cast<ssize_t>(content.pack.size());
    close(fd);
    const std::string capture = Beside(self, "intro-capture");
    std::vector<std::string> args = {capture, "--content", packPath, "-o", output};
    if (!seconds.empty()) args.insert(args.end(), {"--seconds", seconds});
    if (EndsWith(output, ".mkv")) args.push_back("--lossless");
    const int status =
        written ? RunCapture(args, [&packPath] { unlink(packPath.c_str()); }) : -2;
    unlink(packPath.c_str());
    if (status == -2) *error = "cannot write a temporary pack in " + packPath;
    else if (status == -1) *error = "cannot run " + capture + " (it makes the video)";
    else if (status != 0) *error = "intro-capture did not write " + output + " (its message is above)";
    return status == 0;
}

}  // namespace

PackOutputKind OutputKindOf(const std::string& output) {
    if (EndsWith(output, ".intro")) return PackOutputKind::Pack;
    if (EndsWith(output, ".exe")) return PackOutputKind::Exe;
    if (EndsWith(output, ".html")) return PackOutputKind::SingleHtml;
    for (const char* video : {".mp4", ".mkv", ".webp"})
        if (EndsWith(output, video)) return PackOutputKind::Video;
    return PackOutputKind::WebFolder;
}

bool WritePackOutput(const std::string& output, const BuiltContent& content, const PackData& data,
                     const std::vector<std::string>& inputs, const std::string& seconds,
                     const std::string& self, std::string* error) {
    if (output == "-") {
        *error = "-o -: intro-pack writes files, not standard output; name the file or folder to "
                 "write (./- for a folder named '-')";
        return false;
    }
    for (const std::string& input : inputs) {
        const std::string resolved = Resolved(input);
        if (!resolved.empty() && resolved == Resolved(output)) {
            *error = output + " is " + input + ", which this run reads; give another name";
            return false;
        }
    }
    switch (OutputKindOf(output)) {
    case PackOutputKind::Pack:
        return WriteFileSafely(output, content.pack.data(), content.pack.size(), *error);
    case PackOutputKind::Exe:
        return WriteExe(output, content, data, error);
    case PackOutputKind::Video:
        return WriteVideo(output, content, seconds, self, error);
    case PackOutputKind::SingleHtml:
        return WriteHtml(output, content, data, error);
    case PackOutputKind::WebFolder:
        return WriteWebFolder(output, content, data, inputs, error);
    }
    return false;
}
