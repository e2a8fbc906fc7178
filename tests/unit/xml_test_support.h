// Shared helpers of the settings store tests: a throw-away folder and raw
// file access that bypasses the store.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/utf.h"

namespace velnor::xmltest {

inline std::wstring PathText(const std::filesystem::path& p) {
#ifdef _WIN32
    return p.wstring();
#else
    return Utf8ToWide(p.string());
#endif
}

class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("velnor-xml-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::wstring File(std::string_view name) const { return PathText(path_ / std::string(name)); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline std::filesystem::path NativePath(const std::wstring& path) {
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    return std::filesystem::path(WideToUtf8(path));
#endif
}

inline void WriteRaw(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadRaw(const std::wstring& path) { return ReadFileBytes(path); }

// The file's lines, split at LF with a CR before it removed.
inline std::vector<std::string> Lines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string line(bytes.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace velnor::xmltest
