// fenlight-wayland: the screen saver for Wayland compositors with layer-shell. Reads the settings file and
// the options, lets one saver run on a display at a time, and covers every output until input, a signal or,
// with --idle, runs for good, showing itself whenever the compositor says the user is idle.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "host/posix/stop_signals.h"
#include "host/wayland/display.h"
#include "host/wayland/options.h"

namespace {

// The settings file's settings (its warnings on stderr); `present` says which it named.
StoredSettings ReadSettingsFile(const std::string& path, uint32_t& present) {
    StoredSettings settings = kDefaultSettings;
    present = 0;
    std::ifstream file(path);
    if (path.empty() || !file) return settings;
    std::stringstream text;
    text << file.rdbuf();
    for (const std::string& warning : ReadSettingsText(text.str(), settings, present))
        std::fprintf(stderr, "fenlight-wayland: %s: %s\n", path.c_str(), warning.c_str());
    return settings;
}

// mkdir -p of the file's folder, then the text written whole through a file beside it.
int32_t WriteSettingsFile(const std::string& path, const std::string& text) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) return errno;
    }
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) return errno;
    const bool written = std::fputs(text.c_str(), file) >= 0;
    const int32_t error = std::fclose(file) == 0 && written ? 0 : (errno != 0 ? errno : EIO);
    if (error != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int32_t failure = error != 0 ? error : errno;
        std::remove(temporary.c_str());
        return failure;
    }
    return 0;
}

// One saver a display: a lock in the user's runtime folder, held while this one runs. False when another
// holds it.
bool TakeDisplayLock() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/') return true;
    std::string display =
        std::getenv("WAYLAND_DISPLAY") != nullptr ? std::getenv("WAYLAND_DISPLAY") : "wayland-0";
    for (char& c : display) {
        if (c == '/') c = '_';
    }
    const std::string path = std::string(runtime) + "/fenlight-wayland-" + display + ".lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // nowhere to keep a lock: run rather than refuse
    // The descriptor stays open, and the lock held, until the process ends.
    return flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    uint32_t present = 0;
    WaylandOptions options = DefaultWaylandOptions(ReadSettingsFile(path, present));
    const ParseResult parsed = ParseWaylandOptions(options, argc, argv);
    if (parsed.outcome == kParseHelp) {
        std::fputs(WaylandUsage(), stdout);
        return 0;
    }
    if (parsed.outcome == kParseError) {
        std::fprintf(stderr, "%s\n", parsed.message.c_str());
        return 1;
    }
    if (options.save) {
        if (path.empty()) {
            std::fprintf(
                stderr,
                "fenlight-wayland: nowhere to save the settings (neither XDG_CONFIG_HOME nor HOME)\n");
            return 1;
        }
        if (const int32_t error =
                WriteSettingsFile(path, FormatSettingsText(options.settings, present | options.given));
            error != 0) {
            std::fprintf(stderr, "fenlight-wayland: cannot write %s: %s\n", path.c_str(),
                         std::strerror(error));
            return 1;
        }
        std::printf("fenlight-wayland: settings saved in %s\n", path.c_str());
        return 0;
    }
    CatchStopSignals();
    if (!TakeDisplayLock()) {
        if (options.verbose) std::fprintf(stderr, "fenlight-wayland: already running on this display\n");
        return 0;
    }
    WaylandSaver saver{};
    std::string message;
    int32_t status = OpenWaylandSaver(saver, options, message);
    if (status != 0) {
        std::fprintf(stderr, "%s\n", message.c_str());
    } else {
        status = RunWaylandSaver(saver);
    }
    CloseWaylandSaver(saver);
    return status;
}
