// Each program builds what it needs: one built on its own in a fresh tree (cmake
// --build --target orvanta_unit_tests, or the program and the manual as scripts/run
// builds them) must find the pictures it reads. Asked
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
    // The test programs, and what scripts/run builds alone (scripts/build --linux): the
    // program, which reads the artwork beside it, and the manual with the wallpapers
    // the build draws for it.
    const struct {
        const char* target;
        const char* needs;
    } cases[] = {
        {"orvanta_unit_tests", "orvanta_artwork_files"},
        {"orvanta_posix_tests", "orvanta_artwork_files"},
        {"orvanta", "orvanta_artwork_files"},
        {"orvanta_help", "manual-pictures/pictures.stamp"},
    };
    for (const auto& c : cases) {
        const std::string inputs = InputsOf(c.target);
        ASSERT_FALSE(inputs.empty()) << "ninja could not list the inputs of " << c.target;
        EXPECT_NE(inputs.find(c.needs), std::string::npos) << c.target << " is built without " << c.needs;
    }
}

} // namespace
