// What the shipped Windows binaries need at load time: every DLL they import must be
// one that every Windows has, since nothing else is installed beside them (the
// libraries they use, zlib, libjpeg and libpng among them, are linked in). Read from
// the import tables of the files this build made.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::string BuildFolder() {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string self(buf);
    return self.substr(0, self.find_last_of('\\') + 1);
}

// The DLL names of a PE file's import table, lower case; empty when it cannot be read.
std::vector<std::string> ImportedDlls(const std::string& path, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto at = [&](std::size_t offset, std::size_t size) -> const char* {
        return offset + size <= file.size() ? file.data() + offset : nullptr;
    };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return problem = "no DOS header", std::vector<std::string>();
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(static_cast<std::size_t>(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS64)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return problem = "no 64-bit PE header", std::vector<std::string>();
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(static_cast<std::size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
               nt->FileHeader.SizeOfOptionalHeader,
           sizeof(IMAGE_SECTION_HEADER) * nt->FileHeader.NumberOfSections));
    if (!sections) return problem = "no section table", std::vector<std::string>();
    auto fileOffset = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return file.size();
    };
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    for (std::size_t d = fileOffset(imports.VirtualAddress);; d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(d, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!entry) return problem = "import table runs off the file", std::vector<std::string>();
        if (entry->Name == 0) break;
        std::string name;
        for (std::size_t n = fileOffset(entry->Name); n < file.size() && file[n]; ++n)
            name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(file[n]))));
        names.push_back(name);
    }
    return names;
}

TEST(ProgramImports, TheProgramAndItsHookNeedOnlyDllsEveryWindowsHas) {
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll",   "advapi32.dll",
                                          "shell32.dll",  "ole32.dll",  "oleaut32.dll", "comctl32.dll",
                                          "msvcrt.dll",   "msimg32.dll", "shlwapi.dll", "winhttp.dll",
                                          "oleacc.dll",  // the pop-up's screen-reader object
                                          "comdlg32.dll"}; // the settings' open-file dialog
    for (const char* binary : {"orvanta.exe", "MouseHook.dll"}) {
        std::string problem;
        const std::vector<std::string> dlls = ImportedDlls(BuildFolder() + binary, problem);
        ASSERT_TRUE(problem.empty()) << binary << ": " << problem;
        EXPECT_FALSE(dlls.empty()) << binary;
        EXPECT_NE(std::find(dlls.begin(), dlls.end(), "kernel32.dll"), dlls.end()) << binary;
        for (const std::string& dll : dlls) EXPECT_TRUE(system.count(dll)) << binary << " needs " << dll;
    }
}

} // namespace
