// A fresh folder per test, removed with everything in it afterwards. Its name
// carries the test's name for a reader and a random part that this run
// created, so that two runs on one machine never share or delete each other's
// folders. Paths use the platform's separator so that error texts show them
// as a user would.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace velnor::test {

class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = std::string(info ? info->test_suite_name() : "t") + "." + (info ? info->name() : "t");
        for (char& c : leaf)
            if (c == '/') c = '_';
        static std::mt19937_64 random{std::random_device{}()};
        const auto base = std::filesystem::temp_directory_path();
        // create_directory reports false for a folder that already exists, so
        // the folder taken is always one this run made.
        for (;;) {
            char suffix[20];
            std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
            path_ = base / ("velnor-" + leaf + "-" + suffix);
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The full path of a file in the folder, as program text.
    std::wstring File(const std::wstring& name) const { return Wide(path_ / name); }

    static std::wstring Wide(const std::filesystem::path& p) {
        // UTF-16 code units on every build, as the program's text is.
        const std::u16string u = p.u16string();
        return std::wstring(u.begin(), u.end());
    }

private:
    std::filesystem::path path_;
};

}  // namespace velnor::test
