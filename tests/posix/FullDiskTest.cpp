// A wallpaper that does not fit on a full disk: the composition reports failure and
// the previous picture stays whole (the new one is written beside it and renamed over
// it only when complete). The full disk is a 64 KiB tmpfs, which needs root.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "PosixTestUtil.h"
#include "render/Composer.h"
#include "settings/Settings.h"
#include "unit/FakePorts.h"

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(FullDisk, APictureThatDoesNotFitLeavesThePreviousOne) {
    TempDir dir;
    const std::string disk = dir.Path() + "/disk";
    ASSERT_EQ(::mkdir(disk.c_str(), 0700), 0);
    if (::getuid() != 0 || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "a small file system cannot be mounted here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount(path.c_str()); }
    } unmount{disk};

    FakeEnvironment env;
    CSettings s("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    s.m_centralView = true;
    s.ApplyStyle(0);
    const std::string out = disk + "/orvanta.bmp";
    env.system.screen = ScreenMetrics{1, 0, 0, 100, 60, 100, 60, 100}; // 18 KB
    ASSERT_TRUE(CComposer(s, out).Compose());
    const std::string previous = Read(out);
    ASSERT_EQ(previous.size(), 54u + 100 * 60 * 3);

    env.system.screen = ScreenMetrics{1, 0, 0, 300, 100, 300, 100, 300}; // 90 KB: does not fit
    EXPECT_FALSE(CComposer(s, out).Compose());
    EXPECT_EQ(Read(out), previous);
    EXPECT_FALSE(Exists(out + ".tmp")); // nothing half-written is left behind
}

} // namespace
