// Raw file access for tests, independent of the code under test.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace velnor::test {

inline std::filesystem::path FsPath(const std::wstring& text) {
    return std::filesystem::path(std::u16string(text.begin(), text.end()));
}

inline void WriteBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::wstring& path) { return std::filesystem::exists(FsPath(path)); }

}  // namespace velnor::test
