// Each test program builds what it needs: one built on its own in a fresh tree
// (cmake --build --target orvanta_unit_tests) must find the pictures it reads. Asked
// of the build graph of the tree these tests were built in.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Everything the target needs, directly or not, as ninja lists it; empty on failure.
std::string InputsOf(const std::string& target) {
    const std::string command = std::string("'") + ORVANTA_MAKE_PROGRAM + "' -C '" + ORVANTA_BINARY_DIR +
                                "' -t inputs " + target + " 2>&1";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        if (::pclose(p) != 0) out.clear();
    }
    return out;
}

TEST(BuildTargets, EveryTestProgramBuildsThePicturesItReads) {
    if (std::string(ORVANTA_GENERATOR) != "Ninja")
        GTEST_SKIP() << "the build graph is read with ninja; this tree was made for " ORVANTA_GENERATOR;
    for (const char* target : {"orvanta_unit_tests", "orvanta_posix_tests"}) {
        const std::string inputs = InputsOf(target);
        ASSERT_FALSE(inputs.empty()) << "ninja could not list the inputs of " << target;
        EXPECT_NE(inputs.find("orvanta_artwork_files"), std::string::npos)
            << target << " does not draw the artwork it reads";
    }
}

} // namespace
