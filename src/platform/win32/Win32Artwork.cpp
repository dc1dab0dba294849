#include "Win32Artwork.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "ScopedWin.h"
#include "Utf.h"

namespace {

void Put(std::vector<std::uint8_t>& out, const void* p, size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out.insert(out.end(), b, b + n);
}

// The icon drawn at 32 x 32 onto black, as a 32-bit top-down BMP file.
bool IconToBmp(HICON icon, std::vector<std::uint8_t>& bmp) {
    if (!icon) return false;
    constexpr int kSize = 32;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dib || !dc || !bits) return false;
    {
        SelectRestorer select(dc.Get(), dib.Get());
        std::memset(bits, 0, kSize * kSize * 4);
        if (!DrawIconEx(dc.Get(), 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL)) return false;
        GdiFlush();
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + kSize * kSize * 4;
    bmp.clear();
    Put(bmp, &file, sizeof file);
    Put(bmp, &info.bmiHeader, sizeof info.bmiHeader);
    Put(bmp, bits, kSize * kSize * 4);
    for (size_t i = file.bfOffBits + 3; i < bmp.size(); i += 4) bmp[i] = 0; // no alpha: plain 32-bit pixels
    return true;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

} // namespace

bool CWin32ArtworkPort::Bitmap(int id, std::vector<std::uint8_t>& bmp) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)); // RT_BITMAP
    if (!found) return false;
    const DWORD size = SizeofResource(self, found);
    const void* dib = LockResource(LoadResource(self, found));
    if (!dib || size < sizeof(BITMAPINFOHEADER)) return false;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(dib);
    DWORD colours = header->biClrUsed;
    if (!colours && header->biBitCount <= 8) colours = 1u << header->biBitCount;
    DWORD masks = header->biCompression == BI_BITFIELDS && header->biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = sizeof file + size;
    file.bfOffBits = sizeof file + header->biSize + masks + colours * 4;
    bmp.clear();
    Put(bmp, &file, sizeof file);
    Put(bmp, dib, size);
    return true;
}

bool CWin32ArtworkPort::Icon(int id, std::vector<std::uint8_t>& bmp) {
    ScopedIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    return IconToBmp(icon.Get(), bmp);
}

bool CWin32ArtworkPort::LibraryIcon(const std::string& library, int index, std::vector<std::uint8_t>& bmp) {
    std::wstring path = Widen(library);
    if (path.find(L'\\') == std::wstring::npos && path.find(L'/') == std::wstring::npos) path = ProgramFolder() + path;
    HICON raw = ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), static_cast<UINT>(index));
    // ExtractIcon gives 1 for a file that is no icon library.
    if (raw == reinterpret_cast<HICON>(1)) return false;
    ScopedIcon icon(raw);
    return IconToBmp(icon.Get(), bmp);
}
