#include "HelpCommand.h"

#include <cstdlib>
#include <fstream>

#include "../../platform/Platform.h"
#include "../../platform/SystemPort.h"
#include "../../system/FileSystem.h"

namespace {

bool Readable(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value) return true;
    return false;
}

} // namespace

std::string CHelpCommand::ManualPath() {
    std::string folder = EFileSystem::DirectoryPart(EFileSystem::ProgramFilePath(false));
    if (folder.empty()) folder = "./";
    // Beside the program, or in the share folder of an installed tree.
    if (std::string shipped = EFileSystem::ShippedFile("help/Index.html"); !shipped.empty()) return shipped;
    const std::string parent = EFileSystem::DirectoryPart(folder.substr(0, folder.size() - 1));
    if (!parent.empty()) {
        const std::string buildTree = EFileSystem::Join(EFileSystem::Join(parent, "help"), "Index.html");
        if (Readable(buildTree)) return buildTree;
    }
    return {};
}

int CHelpCommand::Run(std::ostream& out, std::ostream& err) {
    const std::string manual = ManualPath();
    if (manual.empty()) {
        err << "orvanta: the manual (help/Index.html) is not beside the program\n";
        return 1;
    }
    if (HasDisplay() && Port<ISystemPort>().ShellExecuteVerb("open", manual, std::string(), ShowCmd::Normal) > 32)
        return 0;
    out << manual << "\n";
    return 0;
}
