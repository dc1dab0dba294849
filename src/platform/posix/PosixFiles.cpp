#include "PosixFiles.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>
#include <sys/stat.h>

bool MakeFolders(const std::string& dir) {
    std::string cur;
    for (size_t i = 0; i <= dir.size(); ++i) {
        if ((i == dir.size() || dir[i] == '/') && !cur.empty() && ::mkdir(cur.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (i < dir.size()) cur += dir[i];
    }
    return true;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
    for (;;) {
        struct passwd pw {};
        struct passwd* found = nullptr;
        int rc = ::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found);
        if (rc == ERANGE && buf.size() < (1u << 20)) {
            buf.resize(buf.size() * 2);
            continue;
        }
        if (rc == 0 && found && found->pw_dir && found->pw_dir[0] == '/') return found->pw_dir;
        return std::string();
    }
}
