// Replacing files on Windows: what the old file had survives, a read-only
// file is refused, the error names the file the user knows, a leftover of a
// killed write is taken over, and a second writer of the same file fails
// without spoiling the first or touching anyone else's file.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <thread>

#include <filesystem>

#include "main/line_buffer.h"
#include "platform/errors.h"
#include "platform/utf.h"
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

// Someone reading the target without FILE_SHARE_DELETE (a scanner, an
// indexer) blocks the replace for as long as they hold it. A short hold is
// waited out; one that lasts fails with the create error, the old file and no
// temporary file left.
// The replace takes the rename with POSIX semantics where the system has it,
// which goes through even while a reader holds the target with delete
// sharing, and the classic rename otherwise; both leave exactly the new
// bytes, and a reader that shares deletion keeps reading what it opened.
TEST(WriteFileAtomic, ReplacesByEitherRenameWhileASharingReaderHoldsTheTarget) {
    for (const bool posixAllowed : {true, false}) {
        SCOPED_TRACE(posixAllowed ? "POSIX rename first" : "classic rename only");
        AllowPosixRename(posixAllowed);
        test::TempDir dir;
        const std::wstring path = dir.File(L"Velnor.xml");
        test::WriteBytes(path, "old");
        HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        bool written = true;
        try {
            WriteFileAtomic(path, "new");
        } catch (const EFCreateError&) {
            written = false;
        }
        char seen[8] = {};
        DWORD got = 0;
        ReadFile(reader, seen, sizeof seen, &got, nullptr);
        CloseHandle(reader);
        AllowPosixRename(true);
        const RenameWay way = LastRenameWay();
        std::printf("  [info] %s: replaced by the %s rename\n", posixAllowed ? "POSIX first" : "classic only",
                    way == RenameWay::Posix ? "POSIX" : "classic");
        if (!posixAllowed) {
            EXPECT_EQ(way, RenameWay::Classic);
        }
        // The POSIX rename, where it ran, always goes through; the classic
        // one is refused on Windows while the reader holds the name (Wine
        // renames anyway) and then leaves the old file whole.
        if (way == RenameWay::Posix) {
            EXPECT_TRUE(written);
        }
        EXPECT_EQ(test::ReadBytes(path), written ? "new" : "old");
        EXPECT_EQ(std::string(seen, got), "old");
        EXPECT_FALSE(test::Exists(path + L".tmp"));
    }
}

TEST(WriteFileAtomic, WaitsOutAReaderThatBlocksTheReplaceForAMoment) {
    const struct {
        const char* what;
        int holdMs;  // -1: for the whole write
        bool written;
    } cases[] = {{"a moment", 300, true}, {"throughout", -1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::wstring path = dir.File(L"Velnor.xml");
        test::WriteBytes(path, "old");
        HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(reader, INVALID_HANDLE_VALUE);
        std::thread letGo;
        if (c.holdMs >= 0) letGo = std::thread([&] {
            Sleep(static_cast<DWORD>(c.holdMs));
            CloseHandle(reader);
        });
        bool threw = false;
        try {
            WriteFileAtomic(path, "new");
        } catch (const EFCreateError&) {
            threw = true;
        }
        if (letGo.joinable()) letGo.join();
        else CloseHandle(reader);
        EXPECT_EQ(threw, !c.written);
        EXPECT_EQ(test::ReadBytes(path), c.written ? "new" : "old");
        EXPECT_FALSE(test::Exists(path + L".tmp"));
    }
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

size_t EntriesIn(const std::filesystem::path& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

TEST(WriteFileAtomic, TakesOverTheLeftoverOfAKilledWriteAndLeavesOtherFilesAlone) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"Velnor.xml");
    const std::wstring leftover = dir.File(L"Velnor.xml.tmp");
    EXPECT_EQ(TemporaryFileFor(path), leftover);
    test::WriteBytes(path, "old");
    // Killed after the attributes of a hidden target were carried over: longer
    // than the next content, and hidden, which CREATE_ALWAYS would refuse.
    test::WriteBytes(leftover, "a much longer half-written settings file");
    ASSERT_TRUE(SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_HIDDEN));
    // An earlier version's temporary file, or the user's: not ours to remove.
    const std::wstring other = dir.File(L"vel1A2B.tmp");
    test::WriteBytes(other, "someone's");

    WriteFileAtomic(path, "new");
    EXPECT_EQ(test::ReadBytes(path), "new");
    EXPECT_FALSE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(test::Exists(leftover));
    EXPECT_EQ(test::ReadBytes(other), "someone's");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

// The second writer runs from inside the first, at the moment its complete
// temporary file is about to take the target's place.
std::string secondWriter;
void WriteAgainMidway(const std::wstring& target) {
    SetBeforeReplaceHook(nullptr);
    try {
        WriteFileAtomic(target, "second");
        secondWriter = "written";
    } catch (const EFCreateError& e) {
        secondWriter = WideToUtf8(e.Message());
    }
}

struct HookGuard {
    explicit HookGuard(BeforeReplaceHook hook) { SetBeforeReplaceHook(hook); }
    ~HookGuard() { SetBeforeReplaceHook(nullptr); }
};

TEST(WriteFileAtomic, ASecondWriterOfTheSameFileFailsCleanlyAndTheFirstWritesItsOwnBytes) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"Disable.lst");
    test::WriteBytes(path, "old");
    secondWriter.clear();
    {
        HookGuard hook(WriteAgainMidway);
        WriteFileAtomic(path, "first");
    }
    EXPECT_EQ(secondWriter, WideToUtf8(MakeCreateError(path, SystemErrorMessage(ERROR_SHARING_VIOLATION)).Message()));
    EXPECT_EQ(test::ReadBytes(path), "first");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(WriteFileAtomic, FailsWithoutRemovingATemporaryFileThatAnotherWriterHolds) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"Velnor.xml");
    const std::wstring theirs = dir.File(L"Velnor.xml.tmp");
    test::WriteBytes(path, "old");
    test::WriteBytes(theirs, "their half");
    // A writer that lets others delete its file still keeps us from writing.
    HANDLE h = CreateFileW(theirs.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_THROW(WriteFileAtomic(path, "new"), EFCreateError);
    CloseHandle(h);
    EXPECT_EQ(test::ReadBytes(path), "old");
    EXPECT_EQ(test::ReadBytes(theirs), "their half");
}

}  // namespace
}  // namespace velnor
