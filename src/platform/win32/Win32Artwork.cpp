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

// The icon's size at scale (100, 150, 200 %); 0 for another scale.
int IconSize(int scale) { return scale == 100 ? 32 : scale == 150 ? 48 : scale == 200 ? 64 : 0; }

// The icon drawn at size x size onto black, as a 32-bit top-down BMP file.
bool IconToBmp(HICON icon, std::vector<std::uint8_t>& bmp, int size = 32) {
    if (!icon || size <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dib || !dc || !bits) return false;
    {
        SelectRestorer select(dc.Get(), dib.Get());
        std::memset(bits, 0, size * size * 4);
        if (!DrawIconEx(dc.Get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) return false;
        GdiFlush();
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size * size * 4;
    bmp.clear();
    Put(bmp, &file, sizeof file);
    Put(bmp, &info.bmiHeader, sizeof info.bmiHeader);
    Put(bmp, bits, size * size * 4);
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

bool CWin32ArtworkPort::Bitmap(int id, std::vector<std::uint8_t>& bmp, int scale) {
    if (scale != 100 && scale != 150 && scale != 200) return false;
    id += (scale - 100) / 50 * kScaledBitmapIdStep;
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

bool CWin32ArtworkPort::Icon(int id, std::vector<std::uint8_t>& bmp, int scale) {
    const int size = IconSize(scale);
    if (!size) return false;
    ScopedIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    return IconToBmp(icon.Get(), bmp, size);
}

bool CWin32ArtworkPort::LibraryIcon(const std::string& library, int index, std::vector<std::uint8_t>& bmp,
                                    int scale) {
    const int size = IconSize(scale);
    if (!size || index < 0) return false;
    std::wstring path = Widen(library);
    if (path.find(L'\\') == std::wstring::npos && path.find(L'/') == std::wstring::npos) path = ProgramFolder() + path;
    if (size != 32) {
        // ExtractIcon gives the system's icon size only: the larger images of the
        // library's icon (id index + 1) are loaded from it as data.
        HMODULE lib = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!lib) return false;
        ScopedIcon icon(static_cast<HICON>(
            LoadImageW(lib, MAKEINTRESOURCEW(index + 1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        const bool drawn = IconToBmp(icon.Get(), bmp, size);
        FreeLibrary(lib);
        return drawn;
    }
    HICON raw = ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), static_cast<UINT>(index));
    // ExtractIcon gives 1 for a file that is no icon library.
    if (raw == reinterpret_cast<HICON>(1)) return false;
    ScopedIcon icon(raw);
    return IconToBmp(icon.Get(), bmp);
}
