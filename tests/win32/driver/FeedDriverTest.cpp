// orvanta.exe with no Outlook at all and one calendar feed in its settings: the feed is
// read over real HTTPS from the test server (tests/feed-server, started by scripts/test;
// its authority trusted by this prefix only while the test runs), no connection message
// comes, and the composed wallpaper holds the feed's event where its regions say. The
// picture is kept as build/feed-wallpaper.png, the screen as build/feed-desktop.png.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "../FeedServerUtil.h"
#include "../Win32TestUtil.h"
#include "DriverUtil.h"
#include "Utf.h"
#include "render/PngWriter.h"
#include "util/PixelSurface.h"

namespace {

const char* kKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

// Local midnight of today plus days, as YYYYMMDD.
std::string LocalDay(int days) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wHour = 12; // away from any change of the clock
    now.wMinute = now.wSecond = now.wMilliseconds = 0;
    FILETIME ft{};
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t{};
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    t.QuadPart += static_cast<ULONGLONG>(days) * 24ULL * 3600ULL * 10000000ULL;
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    SYSTEMTIME day{};
    FileTimeToSystemTime(&ft, &day);
    char text[16];
    std::snprintf(text, sizeof text, "%04u%02u%02u", day.wYear, day.wMonth, day.wDay);
    return text;
}

bool SavePng(std::vector<uint32_t> px, int w, int h, const std::string& path) {
    PixelSurface s{reinterpret_cast<uint8_t*>(px.data()), w, h, w * 4};
    CreateDirectoryW(L"build", nullptr);
    return WritePng(s, path);
}

void ForgetSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
}

class FeedWallpaperDriver : public ::testing::Test {
  protected:
    void SetUp() override { ForgetSettings(); }
    void TearDown() override {
        ForgetSettings();
        std::wstring none;
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, none.data(), SPIF_UPDATEINIFILE);
    }
};

TEST_F(FeedWallpaperDriver, AFeedAloneFillsTheWallpaperWithNoOutlookAndNoConnectionMessage) {
    const FeedServerInfo server = FeedServerInfo::FromEnvironment();
    ASSERT_FALSE(server.dir.empty())
        << "ORVANTA_FEED_SERVER_DIR names the folder of a running tests/feed-server "
           "(scripts/test starts one)";
    ASSERT_FALSE(server.port.empty()) << "no port file in " << server.dir;
    TrustedAuthority authority(server.File("ca.pem"));
    ASSERT_TRUE(authority.Added())
        << "the test authority could not be put into the root store: error " << authority.Error();

    // No Outlook: nothing answers to its program id in this prefix.
    CLSID outlook{};
    ASSERT_TRUE(FAILED(CLSIDFromProgID(L"Outlook.Application", &outlook)))
        << "an Outlook is registered";

    // One feed, its event tomorrow (the panel shows today and the days after it).
    const std::string day = LocalDay(1);
    const std::string path = "/on/" + day + ".ics";
    const std::string uid = "feed-" + day + "@orvanta.test";
    ASSERT_EQ(SetRawText(kKey, "Hide Data", "FALSE"), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(kKey, "ShowStartup", "TRUE"), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(kKey, "ShowSplash", "FALSE"), ERROR_SUCCESS);
    const std::string source = std::string(kKey) + "\\Sources\\0";
    ASSERT_EQ(SetRawText(source, "Kind", "Feed"), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(source, "Location", server.Base() + path), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(source, "Name", "Team feed"), ERROR_SUCCESS);
    ASSERT_EQ(SetRawText(source, "Show", "TRUE"), ERROR_SUCCESS);

    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    const std::wstring output =
        std::wstring(appData) + L"\\Kestrova\\Orvanta for Outlook\\orvanta.bmp";
    DeleteFileW(output.c_str());
    const size_t logBefore = server.File("requests.log").size();

    DriverProgram program;
    ASSERT_TRUE(program.started) << "orvanta.exe did not start: " << program.error;
    // The system's wallpaper names the program's picture (in its short form, as the
    // program installs it).
    auto installed = [&] {
        const std::wstring named =
            GetRaw(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper").text;
        wchar_t longForm[MAX_PATH] = {};
        const DWORD n = GetLongPathNameW(named.c_str(), longForm, MAX_PATH);
        return n > 0 && n < MAX_PATH && _wcsicmp(longForm, output.c_str()) == 0;
    };
    EXPECT_TRUE(WaitFor([&] { return installed() || !program.Running(); }, 20000));
    ASSERT_TRUE(program.Running()) << "orvanta.exe ended: " << program.Errors();
    ASSERT_TRUE(installed()) << Narrow(
        GetRaw(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper").text);
    EXPECT_NE(server.File("requests.log").substr(logBefore).find("GET " + path + " "),
              std::string::npos)
        << "the program did not ask the server for the feed";

    // Where the program drew: composed again as it does, from its own copy of the feed.
    std::vector<Region> desktop, popup;
    std::string error;
    ASSERT_TRUE(ComposeRegions(L"-", desktop, popup, error)) << error;
    const Region* event = nullptr;
    std::set<std::string> kinds;
    for (const Region& r : desktop) {
        kinds.insert(r.kind);
        if (r.kind == "appointment" && r.describe.find(uid) != std::string::npos) event = &r;
    }
    ASSERT_NE(event, nullptr) << "the feed's event is none of the " << desktop.size() << " regions";
    EXPECT_FALSE(event->tooltip.empty());
    EXPECT_EQ(kinds.count("folder"), 0u) << "no Outlook, no mail folders";

    // The composed picture, as the desktop shows it: the event's rectangle has text on it.
    int w = 0, h = 0;
    const std::vector<uint32_t> picture = ReadBmp(output, w, h);
    ASSERT_FALSE(picture.empty()) << "the composed picture cannot be read";
    EXPECT_TRUE(SavePng(picture, w, h, "build\\feed-wallpaper.png"));
    const RECT& r = event->rect;
    ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.right > r.left &&
                r.bottom > r.top)
        << r.left << "," << r.top << "-" << r.right << "," << r.bottom << " in " << w << "x" << h;
    std::set<uint32_t> colours;
    for (long y = r.top; y < r.bottom; ++y)
        for (long x = r.left; x < r.right; ++x)
            colours.insert(picture[static_cast<size_t>(y) * w + x]);
    EXPECT_GE(colours.size(), 2u) << "nothing is drawn where the event's region lies";
    int sw = 0, sh = 0;
    EXPECT_TRUE(WaitFor([&] { return ShowsPicture(ScreenShot(sw, sh), picture, w, h); }, 8000))
        << "the desktop does not paint the composed picture";
    EXPECT_TRUE(SaveScreenShot("build\\feed-desktop.png"));

    // Composing and the probe took seconds: a connection message would be up by now.
    EXPECT_TRUE(program.Dialogs().empty()) << Narrow(program.Dialogs().front());
    EXPECT_EQ(program.Errors().find("could not"), std::string::npos) << program.Errors();

    PostMessageW(program.MainWindow(), WM_COMMAND, 57665, 0);
    EXPECT_EQ(program.WaitExit(10000), 0u);
}

} // namespace
