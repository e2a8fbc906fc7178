// Replacing files on Windows: what the old file had survives, a read-only
// file is refused, the error names the file the user knows, a leftover of a
// killed write is taken over, and a second writer of the same file fails
// without spoiling the first or touching anyone else's file.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include <filesystem>

#include "main/line_buffer.h"
#include "platform/errors.h"
#include "platform/files_win32.h"
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
// The renames the replace asks for, seen through the file seam. The seam
// answers the POSIX rename as this system does, as a system that has it
// (Windows 10 1709 and later on NTFS), or as one that does not (older
// Windows, FAT, many network shares: ERROR_INVALID_PARAMETER), and can refuse
// the first classic renames as a reader without delete sharing would.
struct RenameAsked {
    FILE_INFO_BY_HANDLE_CLASS kind;
    DWORD flags;  // for the classic rename: ReplaceIfExists and what follows it
    std::wstring name;
};
enum class PosixRename { AsThisSystem, Granted, Unknown };
std::vector<RenameAsked> renamesAsked;
PosixRename posixRename = PosixRename::AsThisSystem;
int classicRefusals = 0;

BOOL RecordRename(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
    const auto* rename = static_cast<const FILE_RENAME_INFO*>(info);
    DWORD flags = 0;
    std::memcpy(&flags, info, sizeof flags);
    renamesAsked.push_back({kind, flags, std::wstring(rename->FileName, rename->FileNameLength / sizeof(wchar_t))});
    if (kind == kFileRenameInfoEx && posixRename == PosixRename::Unknown) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (kind == kFileRenameInfoEx && posixRename == PosixRename::Granted) {
        // Carried out by the classic rename: where nobody holds the target,
        // the two end alike.
        std::vector<BYTE> classic(static_cast<const BYTE*>(info), static_cast<const BYTE*>(info) + size);
        const DWORD replace = TRUE;
        std::memcpy(classic.data(), &replace, sizeof replace);
        return SetFileInformationByHandle(file, FileRenameInfo, classic.data(), size);
    }
    if (kind == FileRenameInfo && classicRefusals > 0) {
        --classicRefusals;
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    return SetFileInformationByHandle(file, kind, info, size);
}

struct RenameSeam {
    RenameSeam(PosixRename posix, int refusals) {
        renamesAsked.clear();
        posixRename = posix;
        classicRefusals = refusals;
        SetRenameCall(RecordRename);
    }
    ~RenameSeam() { SetRenameCall(nullptr); }
};

// The rename with POSIX semantics comes first; where the system does not
// know it, the classic rename follows, tried again while it is refused.
TEST(WriteFileAtomic, TriesThePosixRenameFirstThenTheClassicRenameWithItsRetries) {
    constexpr DWORD posixFlags = kRenameReplaceIfExists | kRenamePosixSemantics;
    const struct {
        const char* what;
        PosixRename posix;
        int classicRefusals;
        size_t classicRenames;  // after the POSIX rename
    } cases[] = {
        {"a system with the POSIX rename", PosixRename::Granted, 0, 0},
        {"a system without it", PosixRename::Unknown, 0, 1},
        {"a system without it, the target held for a moment", PosixRename::Unknown, 3, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::wstring path = dir.File(L"Velnor.xml");
        test::WriteBytes(path, "old");
        {
            RenameSeam seam(c.posix, c.classicRefusals);
            WriteFileAtomic(path, "new");
        }
        EXPECT_EQ(test::ReadBytes(path), "new");
        EXPECT_FALSE(test::Exists(path + L".tmp"));
        ASSERT_EQ(renamesAsked.size(), 1 + c.classicRenames);
        EXPECT_EQ(renamesAsked[0].kind, kFileRenameInfoEx);
        EXPECT_EQ(renamesAsked[0].flags, posixFlags);
        for (size_t i = 1; i < renamesAsked.size(); ++i) {
            EXPECT_EQ(renamesAsked[i].kind, FileRenameInfo) << i;
            EXPECT_EQ(renamesAsked[i].flags, static_cast<DWORD>(TRUE)) << i;  // ReplaceIfExists, no flags left over
        }
        for (const auto& r : renamesAsked) EXPECT_EQ(r.name, path);
    }
    // And as this system answers: Windows 10 1709 and later on NTFS take the
    // first; Wine 8 does not know it and the classic rename follows.
    test::TempDir dir;
    const std::wstring path = dir.File(L"Disable.lst");
    test::WriteBytes(path, "old");
    {
        RenameSeam seam(PosixRename::AsThisSystem, 0);
        WriteFileAtomic(path, "new");
    }
    EXPECT_EQ(test::ReadBytes(path), "new");
    ASSERT_GE(renamesAsked.size(), 1u);
    EXPECT_EQ(renamesAsked[0].kind, kFileRenameInfoEx);
    std::printf("  [info] this system replaced the file by the %s rename\n",
                renamesAsked.size() == 1 ? "POSIX" : "classic");
}

// Whether this system knows the rename with POSIX semantics, asked directly
// on a scratch file of its own.
bool SystemHasPosixRename(const test::TempDir& dir) {
    const std::wstring from = dir.File(L"probe-from"), to = dir.File(L"probe-to");
    test::WriteBytes(from, "probe");
    HANDLE h = CreateFileW(from.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + (to.size() + 1) * sizeof(wchar_t));
    const DWORD flags = kRenameReplaceIfExists | kRenamePosixSemantics;
    std::memcpy(buffer.data(), &flags, sizeof flags);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
    const bool known = SetFileInformationByHandle(h, kFileRenameInfoEx, buffer.data(), static_cast<DWORD>(buffer.size()));
    CloseHandle(h);
    DeleteFileW(from.c_str());
    DeleteFileW(to.c_str());
    return known;
}

// A reader that shares deletion (a sync tool, an editor showing the file)
// does not stop the replace where the system has the POSIX rename, and keeps
// reading what it opened. On Windows the classic rename is refused for as long
// as such a reader holds the file, and so is Wine 8's, which has no POSIX
// rename: there the replace fails with the create error and the old file stays
// whole.
TEST(WriteFileAtomic, AReaderThatSharesDeletionDoesNotStopTheReplaceWhereThePosixRenameExists) {
    test::TempDir dir;
    const bool posix = SystemHasPosixRename(dir);
    std::printf("  [info] this system %s the POSIX rename\n", posix ? "has" : "does not have");
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
    if (posix) {
        EXPECT_TRUE(written);
    }
    EXPECT_EQ(std::string(seen, got), "old");
    EXPECT_EQ(test::ReadBytes(path), written ? "new" : "old");
    EXPECT_FALSE(test::Exists(path + L".tmp"));
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
