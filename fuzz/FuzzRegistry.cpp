// libFuzzer target: arbitrary bytes through the .reg text parser. Whatever parses must
// write back as text that parses to the same tree (the settings file is rewritten from
// what was read), and every name read must be one a write would accept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/common/RegistryTree.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CRegistryTree tree("HKEY_CURRENT_USER");
    std::string error;
    if (!tree.Parse(text, error)) {
        Check(!error.empty());
        return 0;
    }
    const std::string written = tree.Serialize();
    CRegistryTree again("HKEY_CURRENT_USER");
    Check(again.Parse(written, error));
    Check(again.Serialize() == written);

    // Every key and value read is reachable by name and survives a write of itself.
    for (const auto& path : tree.KeyPaths()) {
        Check(tree.KeyExists(path));
        Check(CRegistryTree::NameFits(path));
        for (const auto& [name, value] : tree.Values(path)) {
            RegValue read;
            Check(tree.QueryValue(path, name, read) == RegError::Success);
            Check(again.SetValue(path, name, value) == RegError::Success);
        }
    }
    Check(again.Serialize() == written);
    return 0;
}
