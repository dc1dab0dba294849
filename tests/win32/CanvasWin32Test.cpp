// The canvas port against real GDI: the cases every port passes, then what is
// particular to the memory DC over the DIB section.
#include <windows.h>

#include <vector>

#include "CanvasPortCases.h"
#include "Utf.h"
#include "Win32Canvas.h"

// Beside the test program (under Wine, in the build folder).
std::string CanvasSamplePath() {
    wchar_t exe[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe, n);
    dir.erase(dir.find_last_of(L"\\/") + 1);
    return Narrow(dir + L"canvas-fonts-win32.bmp");
}

namespace {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(CanvasWin32, DcAndBufferAreOneTopDownBgrSurface) {
    auto canvas = CWin32Canvas::Create(9, 6);
    ASSERT_TRUE(canvas);
    const PixelSurface s = canvas->Pixels();
    EXPECT_EQ(s.stride, 9 * 4);
    HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(canvas->Dc(), OBJ_BITMAP));
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmBits, s.pixels);
    EXPECT_EQ(dib.dsBmih.biBitCount, 32);
    EXPECT_EQ(dib.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));

    // Written through the buffer, read by GDI.
    std::uint8_t* p = s.Row(4) + 7 * 4;
    p[0] = 0x01;
    p[1] = 0x02;
    p[2] = 0x03;
    canvas->MarkDirty();
    EXPECT_EQ(GetPixel(canvas->Dc(), 7, 4), RGB(0x03, 0x02, 0x01));
    // Drawn by GDI, read from the buffer after Flush.
    SetPixelV(canvas->Dc(), 1, 5, RGB(0x30, 0x20, 0x10));
    canvas->Flush();
    const std::uint8_t* q = s.Row(5) + 1 * 4;
    EXPECT_EQ(q[0], 0x10);
    EXPECT_EQ(q[1], 0x20);
    EXPECT_EQ(q[2], 0x30);
}

TEST(CanvasWin32, TableFacesResolveToTheFaceThePrefixReplacesThemWith) {
    auto canvas = CWin32Canvas::Create(4, 4);
    ASSERT_TRUE(canvas);
    for (const char* face : {"Ms Sans Serif", "MS Sans Serif", "Verdana"}) {
        canvas->SetFont({face, 12, 400, false});
        wchar_t used[LF_FACESIZE] = {};
        ASSERT_GT(GetTextFaceW(canvas->Dc(), LF_FACESIZE, used), 0);
        TEXTMETRICW tm{};
        ASSERT_TRUE(GetTextMetricsW(canvas->Dc(), &tm));
        std::vector<char> buffer(GetOutlineTextMetricsW(canvas->Dc(), 0, nullptr));
        ASSERT_FALSE(buffer.empty());
        auto* otm = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
        ASSERT_TRUE(GetOutlineTextMetricsW(canvas->Dc(), static_cast<UINT>(buffer.size()), otm));
        auto name = [&](PSTR offset) {
            return Narrow(reinterpret_cast<const wchar_t*>(
                buffer.data() + reinterpret_cast<std::uintptr_t>(offset)));
        };
        std::printf("%s -> face %s, family %s, full %s, cell %ld (ascent %ld, descent %ld)\n", face,
                    Narrow(used).c_str(), name(otm->otmpFamilyName).c_str(),
                    name(otm->otmpFullName).c_str(), tm.tmHeight, tm.tmAscent, tm.tmDescent);
        if (UnderWine()) {
            // Wine: the test prefix replaces both faces with DejaVu Sans (scripts/wine-env.sh).
            EXPECT_EQ(name(otm->otmpFullName), "DejaVu Sans") << face;
        }
        EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE)
            << face << ": a scalable face, so every height exists";
    }
}

} // namespace
