#pragma once
// Where a picture is written to: a file opened by its UTF-8 path, or a byte vector.
// Any failed write is remembered, so the writer can check once at the end.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

class CImageDest {
public:
    // Creates or truncates the file (appends when asked); null when it cannot be opened.
    static std::unique_ptr<CImageDest> OpenFile(const std::string& utf8Path, bool append);
    static std::unique_ptr<CImageDest> InMemory();
    ~CImageDest();

    // False when this or an earlier write failed.
    bool Write(const void* data, std::size_t size);
    // Writes at offset bytes from the start (a file grows to reach it) and goes on
    // after what it wrote.
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
    // Flushes and closes a file. False when any write, the flush or the close failed.
    bool Close();
    bool Failed() const { return m_failed; }
    // What an in-memory destination holds.
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

    CImageDest(const CImageDest&) = delete;
    CImageDest& operator=(const CImageDest&) = delete;

private:
    CImageDest() = default;

    std::ofstream m_file;
    bool m_toFile = false;
    bool m_failed = false;
    std::vector<std::uint8_t> m_bytes;
};
