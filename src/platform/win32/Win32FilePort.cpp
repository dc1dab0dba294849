#include "Win32FilePort.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "ScopedWin.h"
#include "Utf.h"

namespace {

// The system's text for the error, without its closing full stop and line end.
std::string ErrorText(DWORD code) {
    wchar_t buf[512];
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, 512, nullptr);
    std::string text = n ? Narrow(buf, n) : "error " + std::to_string(code);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

FileStamp StampOf(const FILETIME& written, DWORD sizeHigh, DWORD sizeLow) {
    return FileStamp{static_cast<long long>((static_cast<unsigned long long>(written.dwHighDateTime) << 32) |
                                            written.dwLowDateTime),
                     static_cast<long long>((static_cast<unsigned long long>(sizeHigh) << 32) | sizeLow)};
}

} // namespace

bool CWin32FilePort::Stamp(const std::string& path, FileStamp& stamp) {
    const std::wstring wide = Widen(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link: the stamp of the file it leads to.
        HANDLE raw = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE) return false;
        ScopedKernelHandle file(raw);
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        stamp = StampOf(info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow);
        return true;
    }
    stamp = StampOf(data.ftLastWriteTime, data.nFileSizeHigh, data.nFileSizeLow);
    return true;
}

bool CWin32FilePort::ListFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::wstring pattern = Widen(path);
    if (pattern.empty()) return false;
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    WIN32_FIND_DATAW found{};
    HANDLE raw = FindFirstFileExW((pattern + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                  FIND_FIRST_EX_LARGE_FETCH);
    if (raw == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty drive root
    struct FindCloser {
        HANDLE h;
        ~FindCloser() { FindClose(h); }
    } closer{raw};
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        FolderEntry e;
        e.name = Narrow(name);
        const DWORD a = found.dwFileAttributes;
        if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
            if (!(a & FILE_ATTRIBUTE_DIRECTORY) && Stamp(Narrow(pattern + name), e.stamp))
                e.kind = FolderEntry::Kind::File;
        } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
            e.kind = FolderEntry::Kind::Folder;
        } else if (!(a & FILE_ATTRIBUTE_DEVICE)) {
            e.kind = FolderEntry::Kind::File;
            e.stamp = StampOf(found.ftLastWriteTime, found.nFileSizeHigh, found.nFileSizeLow);
        }
        entries.push_back(std::move(e));
    } while (FindNextFileW(raw, &found));
    return true;
}

FileRead CWin32FilePort::ReadWhole(const std::string& path, std::size_t maxBytes, std::vector<std::uint8_t>& content,
                                   std::string& why) {
    content.clear();
    why.clear();
    const std::wstring wide = Widen(path);
    if (wide.empty()) {
        why = "the name cannot be used";
        return FileRead::CannotOpen;
    }
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder open, so that it is named as such below
    // rather than as a file that cannot be opened.
    HANDLE raw = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        why = ErrorText(GetLastError());
        return FileRead::CannotOpen;
    }
    ScopedKernelHandle file(raw);
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return FileRead::NotAFile;
    const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) return FileRead::TooLarge;
    try {
        // Read straight into a buffer of the file's size; that size is a hint only, as
        // the file may change while it is read: what it lost is cut off, and what it
        // gained is read after, in pieces.
        content.resize(static_cast<std::size_t>(size));
        std::size_t filled = 0;
        while (filled < content.size()) {
            DWORD n = 0;
            const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(content.size() - filled, 1u << 30));
            if (!ReadFile(file.Get(), content.data() + filled, ask, &n, nullptr)) {
                why = ErrorText(GetLastError());
                content.clear();
                return FileRead::Failed;
            }
            if (n == 0) break;
            filled += n;
        }
        content.resize(filled);
        std::uint8_t piece[1 << 16];
        while (filled == size) { // until the end the file has now
            DWORD n = 0;
            if (!ReadFile(file.Get(), piece, sizeof piece, &n, nullptr)) {
                why = ErrorText(GetLastError());
                content.clear();
                return FileRead::Failed;
            }
            if (n == 0) break;
            if (content.size() + n > maxBytes) {
                content.clear();
                return FileRead::TooLarge;
            }
            content.insert(content.end(), piece, piece + n);
        }
    } catch (const std::bad_alloc&) {
        content.clear();
        why = ErrorText(ERROR_NOT_ENOUGH_MEMORY);
        return FileRead::Failed;
    }
    return FileRead::Done;
}
