#include "PosixArtwork.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

std::string ProgramFolder();

// "artwork" beside the program (the build tree), else where an installed program keeps
// it: share/orvanta/artwork beside its bin folder, wherever the tree was installed or
// moved to.
std::string ArtworkFolder() {
    const std::string folder = ProgramFolder();
    struct stat st{};
    if (::stat((folder + "/artwork").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return folder + "/artwork";
    const std::string installed = folder + "/../share/orvanta/artwork";
    if (::stat(installed.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return installed;
    return folder + "/artwork";
}

std::string ProgramFolder() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/'));
}

} // namespace

CPosixArtworkPort::CPosixArtworkPort(std::string folder)
    : m_folder(folder.empty() ? ArtworkFolder() : std::move(folder)) {}

bool CPosixArtworkPort::Read(const std::string& relative, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::ifstream in(m_folder + "/" + relative, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    // Pictures are small; anything past a few megabytes is not ours.
    return !bytes.empty() && bytes.size() < (8u << 20);
}

namespace {

// The folder of the pictures drawn at scale, below the artwork folder; "" at 100 %,
// nullptr for a scale the pictures are not drawn at.
const char* ScaleFolder(int scale) {
    switch (scale) {
    case 100: return "";
    case 150: return "x150/";
    case 200: return "x200/";
    default: return nullptr;
    }
}

} // namespace

bool CPosixArtworkPort::Bitmap(int id, std::vector<std::uint8_t>& bmp, int scale) {
    const char* folder = ScaleFolder(scale);
    return folder && Read(folder + ("bmp/" + std::to_string(id) + ".bmp"), bmp);
}

bool CPosixArtworkPort::Icon(int id, std::vector<std::uint8_t>& bmp, int scale) {
    const char* folder = ScaleFolder(scale);
    return folder && Read(folder + ("ico/" + std::to_string(id) + ".bmp"), bmp);
}

bool CPosixArtworkPort::LibraryIcon(const std::string& library, int index, std::vector<std::uint8_t>& bmp,
                                    int scale) {
    const std::string stem = library.substr(0, library.find_last_of('.'));
    const char* folder = ScaleFolder(scale);
    if (!folder || stem.empty() || stem.find('/') != std::string::npos || index < 0 || index > 99) return false;
    char name[16];
    std::snprintf(name, sizeof name, "%02d.bmp", index);
    return Read(folder + stem + "/" + name, bmp);
}
