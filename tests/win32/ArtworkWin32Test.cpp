// The pictures as Windows itself loads them: the icon libraries through ExtractIcon
// (resource-only DLLs named .icl, built beside this test program) and the bitmaps and
// icons linked into the program from res/orvanta.rc.
#include <windows.h>
#include <shellapi.h> // ExtractIcon; left out by WIN32_LEAN_AND_MEAN

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "../../res/strings.h"
#include "Win32Artwork.h"
#include "render/MaskedBitmap.h"
#include "render/SurfaceOps.h"

namespace {

std::wstring Beside(const std::wstring& name) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + name;
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    SIZE size{0, 0};
    if (!GetIconInfo(icon, &info)) return size;
    BITMAP bm{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
        size = {bm.bmWidth, bm.bmHeight};
    } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof bm, &bm)) {
        size = {bm.bmWidth, bm.bmHeight / 2}; // a monochrome icon keeps both masks in one
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

// A 32 x 32 top-down DIB filled with black, as the program renders its calendar icons.
class Pixels32 {
public:
    Pixels32() : m_dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = 32;
        bi.bmiHeader.biHeight = -32;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_bitmap = CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < 32 * 32; ++i) m_bits[i] = 0;
    }
    ~Pixels32() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Pixels32(const Pixels32&) = delete;
    Pixels32& operator=(const Pixels32&) = delete;
    HDC Dc() const { return m_dc; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD v = m_bits[y * 32 + x]; // blue, green, red, unused
        return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
    std::vector<DWORD> All() const {
        GdiFlush();
        return std::vector<DWORD>(m_bits, m_bits + 32 * 32);
    }
    static double Luma(COLORREF c) { return 0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c); }
    // The darkest and the lightest pixel of the middle, where numbers and captions are.
    std::pair<double, double> CentreRange() const {
        double lo = 255, hi = 0;
        for (int y = 8; y < 24; ++y)
            for (int x = 8; x < 24; ++x) {
                lo = std::min(lo, Luma(At(x, y)));
                hi = std::max(hi, Luma(At(x, y)));
            }
        return {lo, hi};
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

struct Library {
    const wchar_t* name;
    UINT count;
};
const Library kLibraries[] = {{L"look01.icl", 38}, {L"look02.icl", 38}, {L"look03.icl", 38}, {L"bw.icl", 31}};

TEST(Win32Artwork, IconLibrariesGiveEachIconAt32Pixels) {
    for (const Library& lib : kLibraries) {
        std::wstring path = Beside(lib.name);
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "not built beside the tests";
        EXPECT_EQ(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), lib.count);
        std::vector<std::vector<DWORD>> seen;
        for (UINT i = 0; i < lib.count; ++i) {
            HICON icon = ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), i);
            ASSERT_NE(icon, nullptr) << "index " << i;
            ASSERT_NE(icon, reinterpret_cast<HICON>(1)) << "not read as an icon library";
            SIZE size = IconSize(icon);
            EXPECT_EQ(size.cx, 32) << i;
            EXPECT_EQ(size.cy, 32) << i;
            Pixels32 px;
            ASSERT_TRUE(DrawIconEx(px.Dc(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
            DestroyIcon(icon);
            for (size_t j = 0; j < seen.size(); ++j) EXPECT_TRUE(seen[j] != px.All()) << i << " looks like " << j;
            seen.push_back(px.All());
        }
        // One past the last index finds nothing.
        EXPECT_EQ(ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), lib.count), nullptr);
    }
}

TEST(Win32Artwork, StyleIconsAreDaysThenWeekdaysOnBlack) {
    for (int lib = 0; lib < 3; ++lib) {
        std::wstring path = Beside(kLibraries[lib].name);
        for (UINT i = 0; i < 38; ++i) {
            SCOPED_TRACE("library " + std::to_string(lib) + " index " + std::to_string(i));
            HICON icon = ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), i);
            ASSERT_NE(icon, nullptr);
            // Rendered the way the month calendar does: on black, then black is the key.
            Pixels32 px;
            ASSERT_TRUE(DrawIconEx(px.Dc(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL));
            DestroyIcon(icon);
            EXPECT_EQ(px.At(0, 0), RGB(0, 0, 0));
            EXPECT_EQ(px.At(31, 31), RGB(0, 0, 0));
            EXPECT_NE(px.At(16, 3), RGB(0, 0, 0));
            // Days are light tiles with a dark number, weekdays (index 31 on) darker tiles
            // with a white caption.
            auto [darkest, lightest] = px.CentreRange();
            if (i < 31) {
                EXPECT_GT(Pixels32::Luma(px.At(5, 5)), 200);
                EXPECT_LT(darkest, 100);
            } else {
                EXPECT_LT(Pixels32::Luma(px.At(5, 5)), 170);
                EXPECT_GT(lightest, 230);
            }
        }
    }
}

TEST(Win32Artwork, DateIconsAlsoHoldA16PixelImage) {
    std::wstring path = Beside(L"bw.icl");
    for (UINT i = 0; i < 31; i += 10) {
        HICON large = nullptr, small = nullptr;
        ASSERT_EQ(ExtractIconExW(path.c_str(), int(i), &large, &small, 1), 2u) << i;
        EXPECT_EQ(IconSize(large).cx, 32);
        EXPECT_EQ(IconSize(small).cx, 16);
        EXPECT_EQ(IconSize(small).cy, 16);
        DestroyIcon(large);
        DestroyIcon(small);
    }
}

struct BitmapSize {
    int id, width, height, bits;
};
const BitmapSize kBitmaps[] = {
    {IDB_TASK_COMPLETE, 10, 12, 24}, {IDB_IMPORTANCE_HIGH, 10, 12, 24}, {IDB_IMPORTANCE_LOW, 10, 12, 24},
    {IDB_ATTACHMENT, 10, 12, 24},    {IDB_REMINDER, 10, 12, 24},        {IDB_RECURRING, 10, 12, 24},
    {IDB_TASK_NOT_STARTED, 10, 12, 24}, {IDB_TASK_IN_PROGRESS, 10, 12, 24},
    {187, 700, 64, 24}, {188, 700, 64, 24}, {189, 700, 64, 24},
    {196, 450, 264, 24}, {197, 450, 269, 24}, {198, 455, 269, 24},
    {203, 400, 300, 8}, {244, 640, 400, 24},
    {223, 400, 26, 24}, {224, 400, 26, 24}, {225, 400, 26, 24},
    {226, 400, 26, 24}, {227, 400, 26, 24}, {228, 400, 26, 24},
    {230, 400, 26, 24}, {231, 400, 26, 24}, {232, 400, 26, 24},
    {236, 25, 32, 24}, {237, 25, 32, 24}, {238, 25, 32, 24},
};

// Each also drawn at 150 and 200 %, under its id plus 1000 and 2000.
TEST(Win32Artwork, EveryBitmapResourceLoadsAtItsSize) {
    HINSTANCE self = GetModuleHandleW(nullptr);
    for (const int percent : {100, 150, 200})
    for (BitmapSize s : kBitmaps) {
        s.id += (percent - 100) / 50 * kScaledBitmapIdStep;
        s.width = (s.width * percent + 50) / 100;
        s.height = (s.height * percent + 50) / 100;
        SCOPED_TRACE("bitmap " + std::to_string(s.id));
        // As the splash loads its picture: a DIB section keeps the depth of the resource.
        SetLastError(0xDEADBEEF);
        auto dib = static_cast<HBITMAP>(LoadImageW(self, MAKEINTRESOURCEW(s.id), IMAGE_BITMAP, 0, 0,
                                                   LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
        ASSERT_NE(dib, nullptr) << GetLastError();
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectW(dib, sizeof ds, &ds), int(sizeof ds));
        EXPECT_EQ(ds.dsBm.bmWidth, s.width);
        EXPECT_EQ(ds.dsBm.bmHeight, s.height);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, s.bits);
        DeleteObject(dib);
        // As the drawing code loads its bitmaps.
        HBITMAP ddb = LoadBitmapW(self, MAKEINTRESOURCEW(s.id));
        ASSERT_NE(ddb, nullptr);
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(ddb, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, s.width);
        EXPECT_EQ(bm.bmHeight, s.height);
        DeleteObject(ddb);
    }
}

TEST(Win32Artwork, SplashBringsItsOwnColourTable) {
    auto dib = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SPLASH),
                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
    ASSERT_NE(dib, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(dib, sizeof ds, &ds), int(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 8);
    // The palette the splash builds comes from this table.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    RGBQUAD table[256] = {};
    UINT n = GetDIBColorTable(dc, 0, 256, table);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    EXPECT_GT(n, 64u);
    bool blue = false;
    for (UINT i = 0; i < n; ++i) blue = blue || (table[i].rgbBlue > 80 && table[i].rgbBlue > 2 * table[i].rgbRed);
    EXPECT_TRUE(blue) << "the splash is drawn in the program's blue";
}

TEST(Win32Artwork, StateMarksKeepTheKeyColourWhenLoaded) {
    const int ids[] = {IDB_TASK_COMPLETE, IDB_TASK_NOT_STARTED, IDB_TASK_IN_PROGRESS, IDB_ATTACHMENT,
                       IDB_IMPORTANCE_HIGH, IDB_IMPORTANCE_LOW, IDB_REMINDER, IDB_RECURRING};
    HDC dc = CreateCompatibleDC(nullptr);
    for (int id : ids) {
        HBITMAP b = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
        ASSERT_NE(b, nullptr) << id;
        HGDIOBJ old = SelectObject(dc, b);
        EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 255)) << id;
        EXPECT_EQ(GetPixel(dc, 9, 11), RGB(0, 255, 255)) << id;
        int marked = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 10; ++x) marked += GetPixel(dc, x, y) != RGB(0, 255, 255) ? 1 : 0;
        EXPECT_GE(marked, 20) << id;
        SelectObject(dc, old);
        DeleteObject(b);
    }
    DeleteDC(dc);
}

// The sizes held by an icon group resource of the program.
std::vector<int> GroupSizes(int id) {
    std::vector<int> sizes;
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    if (!res) return sizes;
    auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(self, res)));
    if (!dir || SizeofResource(self, res) < 6) return sizes;
    int count = dir[4] | dir[5] << 8;
    for (int i = 0; i < count; ++i) sizes.push_back(dir[6 + 14 * i] ? dir[6 + 14 * i] : 256);
    return sizes;
}

// The sizes drawn at 100 %, then those the same drawing has at 150 and 200 %.
TEST(Win32Artwork, ProgramIconsLoadAtTheirSizes) {
    EXPECT_EQ(GroupSizes(IDR_MAINFRAME), (std::vector<int>{16, 32, 48, 24, 64}));
    EXPECT_EQ(GroupSizes(IDI_TRAY_START), (std::vector<int>{16, 32, 24, 48, 64}));
    for (int s = 0; s < 3; ++s) EXPECT_EQ(GroupSizes(IDI_TODAY + s), (std::vector<int>{32, 48, 64})) << s;
    for (int id : {IDR_MAINFRAME, IDI_TRAY_START})
        for (int size : {16, 32}) {
            auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                                      size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(icon, nullptr) << id << " at " << size;
            EXPECT_EQ(IconSize(icon).cx, size) << id;
            DestroyIcon(icon);
        }
}

// The port the panel draws with, at each scale: the bitmaps from their resources, the
// program's icons and the style libraries' icons at 32, 48 and 64 pixels, each drawn
// at that size (not blown up: the larger one has more distinct colours), onto black.
TEST(Win32Artwork, ThePortGivesEveryPictureAtEachScale) {
    CWin32ArtworkPort port;
    size_t colours100 = 0;
    for (const int percent : {100, 150, 200}) {
        SCOPED_TRACE(percent);
        const int icon = 32 * percent / 100;
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(port.Bitmap(187, bytes, percent));
        CMaskedBitmap header = CMaskedBitmap::FromBmpFile(bytes);
        EXPECT_EQ(header.Width(), 700 * percent / 100);
        EXPECT_EQ(header.Height(), 64 * percent / 100);
        ASSERT_TRUE(port.Icon(IDI_TODAY, bytes, percent));
        EXPECT_EQ(CMaskedBitmap::FromBmpFile(bytes).Width(), icon);
        ASSERT_TRUE(port.LibraryIcon("look01.icl", 13, bytes, percent));
        const CMaskedBitmap day = CMaskedBitmap::FromBmpFile(bytes);
        ASSERT_EQ(day.Width(), icon);
        ASSERT_EQ(day.Height(), icon);
        std::vector<Colorref> seen;
        for (int y = 0; y < icon; ++y)
            for (int x = 0; x < icon; ++x) seen.push_back(SurfaceOps::At(day.Pixels(), x, y));
        EXPECT_EQ(seen.front(), MakeColorref(0, 0, 0)) << "the corner shows the key colour";
        std::sort(seen.begin(), seen.end());
        const size_t colours = static_cast<size_t>(std::unique(seen.begin(), seen.end()) - seen.begin());
        if (percent == 100) colours100 = colours;
        else EXPECT_GT(colours, colours100);
    }
    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(port.Bitmap(187, bytes, 125)) << "drawn at 100, 150 and 200 % only";
    EXPECT_FALSE(port.LibraryIcon("look01.icl", 13, bytes, 175));
}

} // namespace
