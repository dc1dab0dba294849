#include "PosixSystem.h"
#include "PosixFiles.h"

#include <memory>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

bool CPosixSystemPort::GetOsVersion(OsVersion&) { return false; }

ScreenMetrics CPosixSystemPort::GetScreenMetrics() {
    ScreenMetrics m;
    int w = 1920, h = 1080;
    if (const char* s = std::getenv("ORVANTA_SCREEN")) {
        int sw = 0, sh = 0;
        if (std::sscanf(s, "%dx%d", &sw, &sh) == 2 && sw > 0 && sh > 0 && sw <= 65535 && sh <= 65535) {
            w = sw;
            h = sh;
        }
    }
    m.monitorCount = 1;
    m.virtualWidth = m.primaryWidth = m.displayHorzRes = w;
    m.virtualHeight = m.primaryHeight = h;
    return m;
}

std::string CPosixSystemPort::SpecialFolderPath(int folderId) {
    if (folderId != SpecialFolder::AppData) return std::string();
    std::string dir;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') {
        dir = xdg;
    } else {
        std::string home = HomeFolder();
        if (home.empty()) return std::string();
        dir = home + "/.local/share";
    }
    return MakeFolders(dir) ? dir : std::string();
}

std::string CPosixSystemPort::ShortPath(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? path : std::string();
}

std::string CPosixSystemPort::ModuleFileName(unsigned long& error) {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n < 0) {
        error = static_cast<unsigned long>(errno);
        return std::string();
    }
    error = 0;
    return std::string(buf, static_cast<size_t>(n));
}

bool CPosixSystemPort::ListDirectory(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    struct CloseDir {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDir> d(::opendir(dir.c_str()));
    if (!d) return false;
    while (dirent* e = ::readdir(d.get())) {
        std::string n = e->d_name;
        if (n != "." && n != "..") names.push_back(n);
    }
    return true;
}

bool CPosixSystemPort::MakeDirectory(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

intptr_t CPosixSystemPort::ShellExecuteVerb(const std::string& verb, const std::string& file,
                                        const std::string& params, int) {
    if (verb != "open" || file.empty()) return 2;
    std::vector<std::string> args;
    if (::access(file.c_str(), X_OK) == 0 && file.find('/') != std::string::npos) {
        args = {file};
        if (!params.empty()) args.push_back(params);
    } else {
        args = {"xdg-open", file};
    }
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 2;
    return 33;
}

// No shell desktop with a web view exists here.
bool CPosixSystemPort::DesktopHostsWebView() { return false; }
bool CPosixSystemPort::DesktopHtmlSetting() { return false; }

// A Linux session has no desktop colour to read; this slate blue is Windows' own
// default for an empty desktop.
uint32_t CPosixSystemPort::DesktopColor() { return 0xA56E3A; }
