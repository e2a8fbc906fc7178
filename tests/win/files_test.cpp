// Replacing files on Windows: what the old file had survives, a read-only
// file is refused, and the error names the file the user knows.
#include "platform/files.h"

#include <gtest/gtest.h>

#include "main/line_buffer.h"
#include "platform/errors.h"
#include "platform/win32_text.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velnor {
namespace {

TEST(WriteFileAtomic, KeepsTheAttributesAndCreationTimeOfTheFileItReplaces) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"Disable.lst");
    test::WriteBytes(path, "old");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME created{0x12345678, 0x01D00000};
    ASSERT_TRUE(SetFileTime(h, &created, nullptr, nullptr));
    CloseHandle(h);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    // Wine keeps no creation time on a Linux file system: only where the old
    // file has the one we gave it can the new one be checked for it.
    const bool creationTimeKept = CompareFileTime(&data.ftCreationTime, &created) == 0;
    WriteFileAtomic(path, "new");
    EXPECT_EQ(test::ReadBytes(path), "new");
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    if (creationTimeKept) {
        EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &created), 0);
    }
}

// A file being written by someone else is not read half-way: the read asks
// for shared reading only, so a writer that is still open makes it fail with
// the open error, while other readers do not.
TEST(ReadFileBytes, DeniesOtherWritersButNotOtherReaders) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"Disable.lst");
    test::WriteBytes(path, "hidden");
    {
        HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        try {
            ReadFileBytes(path);
            ADD_FAILURE() << "read while another writer held the file";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), MakeOpenError(path, SystemErrorMessage(ERROR_SHARING_VIOLATION)).Message());
        }
        CloseHandle(writer);
    }
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFileBytes(path), "hidden");
    CloseHandle(reader);
}

TEST(WriteFileAtomic, RefusesAReadOnlyFileWithTheCreateErrorAndLeavesNoTrace) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"Velnor.xml");
    test::WriteBytes(path, "old");
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    LineBuffer b;
    b.Add(L"x");
    try {
        b.SaveToFile(path);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), MakeCreateError(path, SystemErrorMessage(ERROR_ACCESS_DENIED)).Message());
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ReadBytes(path), "old");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

}  // namespace
}  // namespace velnor
