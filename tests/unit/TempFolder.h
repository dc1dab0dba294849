#pragma once
// A folder of the system's temporary folder for one test, removed with everything in
// it when the test ends. Names and paths are UTF-8.
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() / ("orvanta-image-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& utf8Name) const {
        const auto u8 = (m_path / std::filesystem::path(std::u8string(utf8Name.begin(), utf8Name.end()))).u8string();
        return std::string(u8.begin(), u8.end());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_path)) {
            const auto u8 = e.path().filename().u8string();
            names.emplace_back(u8.begin(), u8.end());
        }
        return names;
    }

private:
    std::filesystem::path m_path;
};
