#include "PosixFiles.h"

#include <cerrno>
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
