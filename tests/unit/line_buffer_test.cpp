#include "main/line_buffer.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "platform/errors.h"
#include "platform/utf.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velnor {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

using Lines = std::vector<std::wstring>;

LineBuffer Load(std::string_view bytes) {
    LineBuffer b;
    b.LoadFromBytes(bytes);
    return b;
}

TEST(LineBufferSplit, EveryKindOfLineEndGivesTheSameLines) {
    const Lines abc{L"a", L"b", L"c"};
    const struct {
        const char* bytes;
        Lines expected;
    } cases[] = {
        {"a\r\nb\r\nc\r\n", abc},
        {"a\nb\nc\n", abc},
        {"a\rb\rc\r", abc},
        {"a\r\nb\rc\n", abc},
        {"a\r\nb\r\nc", abc},                  // no final line end
        {"", {}},                              // empty file: no lines
        {"\r\n", {L""}},                       // one empty line
        {"a\n\rb", {L"a", L"", L"b"}},         // LF then CR ends two lines
        {"a\r\n\r\nb", {L"a", L"", L"b"}},
        {"  a \t\r\n", {L"  a \t"}},           // nothing is trimmed
    };
    for (const auto& c : cases) EXPECT_EQ(Load(c.bytes).Lines(), c.expected) << '"' << c.bytes << '"';
}

TEST(LineBufferDecode, MarksSelectTheEncodingAndAreNotPartOfTheText) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
        Lines expected;
    } cases[] = {
        {"\xEF\xBB\xBF\xE8\x87\xAA\xE5\xAE\x85\r\nx", TextEncoding::Utf8, {L"自宅", L"x"}},
        {std::string("\xFF\xFE\xEA\x81\x85\x5B\r\0\n\0", 10), TextEncoding::Utf16Le, {L"自宅"}},
        {std::string("\xFE\xFF\x81\xEA\x5B\x85\0\r\0\n", 10), TextEncoding::Utf16Be, {L"自宅"}},
        {"\x8E\xA9\x91\xEE\r\n", TextEncoding::Ansi, {L"自宅"}},
        {"", TextEncoding::Ansi, {}},
        {"\xEF\xBB\xBF", TextEncoding::Utf8, {}},
        // An odd byte after a UTF-16 mark cannot form a character.
        {std::string("\xFF\xFE" "a\0b", 5), TextEncoding::Utf16Le, {L"a\xFFFD"}},
        {std::string("\xFE\xFF\0", 3), TextEncoding::Utf16Be, {L"\xFFFD"}},
        // NUL bytes stay in the line.
        {std::string("a\0b\r\n", 5), TextEncoding::Ansi, {std::wstring(L"a\0b", 3)}},
    };
    for (const auto& c : cases) {
        const LineBuffer b = Load(c.bytes);
        EXPECT_EQ(b.Encoding(), c.encoding);
        EXPECT_EQ(b.Lines(), c.expected);
    }
}

TEST(LineBufferDecode, InvalidShiftJisNeverStopsDecodingNorSwallowsLineEnds) {
    // A lead byte before CR LF, a lead byte before LF, two bytes code page 932
    // leaves undefined, then a valid line: decoding resynchronises after each.
    const LineBuffer b = Load("a\x81\r\n\x82\nb\xA0\x80z\r\n\x8E\xA9\x91\xEE");
#ifdef _WIN32
    // Windows' own decoder: the katakana middle dot for a broken pair, and
    // its private-use and C1 mappings for the undefined bytes.
    const Lines expected{L"a\x30FB", L"\x30FB", L"b\xF8F0\x0080z", L"自宅"};
#else
    // iconv: one replacement character per undecodable byte.
    const Lines expected{L"a\xFFFD", L"\xFFFD", L"b\xFFFD\xFFFDz", L"自宅"};
#endif
    EXPECT_EQ(b.Lines(), expected);
}

TEST(LineBufferFile, SavesInTheRememberedEncodingWithItsMark) {
    TempDir dir;
    const std::wstring path = dir.File(L"list.txt");
    const struct {
        std::string input;
        std::string saved;
    } cases[] = {
        {"\xEF\xBB\xBF\xE8\x87\xAA\xE5\xAE\x85\nx", "\xEF\xBB\xBF\xE8\x87\xAA\xE5\xAE\x85\r\nx\r\n"},
        {std::string("\xFF\xFE" "a\0", 4), std::string("\xFF\xFE" "a\0\r\0\n\0", 8)},
        {std::string("\xFE\xFF\0a", 4), std::string("\xFE\xFF\0a\0\r\0\n", 8)},
        {"\x8E\xA9\x91\xEE\rb", "\x8E\xA9\x91\xEE\r\nb\r\n"},
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF"},  // no lines: only the mark
        {"", ""},
    };
    for (const auto& c : cases) {
        WriteBytes(path, c.input);
        LineBuffer b;
        b.LoadFromFile(path);
        b.SaveToFile(path);
        EXPECT_EQ(ReadBytes(path), c.saved);
    }
}

TEST(LineBufferFile, NewBufferSavesInTheAnsiCodePageAndKeepsItsEncodingAfterClearAndAdd) {
    TempDir dir;
    const std::wstring path = dir.File(L"new.txt");
    LineBuffer fresh;
    fresh.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), "");
    fresh.Add(L" 自宅");
    fresh.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), " \x8E\xA9\x91\xEE\r\n");

    WriteBytes(path, "\xEF\xBB\xBFx\r\n");
    LineBuffer b;
    b.LoadFromFile(path);
    b.Clear();
    b.Add(L"y");
    EXPECT_EQ(b.Encoding(), TextEncoding::Utf8);
    b.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBFy\r\n");
}

TEST(LineBufferFile, LinesTheAnsiCodePageCannotHoldAreSavedAsUtf8InsteadOfLost) {
    TempDir dir;
    const std::wstring path = dir.File(L"hidden.lst");
    // é has a best-fit look-alike ("e"), the emoji has no form at all, and a
    // plain "?" must not be mistaken for a lost character.
    const Lines lines{L" café", L" Wi?Fi", L" " + Utf8ToWide("\xF0\x9F\x98\x80"), L" 自宅"};
    LineBuffer b;
    for (const auto& l : lines) b.Add(l);
    b.SaveToFile(path);
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    LineBuffer back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Lines(), lines);
    EXPECT_EQ(back.Encoding(), TextEncoding::Utf8);

    LineBuffer plain;
    plain.Add(L" Wi?Fi");
    plain.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), " Wi?Fi\r\n");
}

TEST(LineBufferFile, MissingFileRaisesTheOpenErrorAndChangesNothing) {
    TempDir dir;
    const std::wstring good = dir.File(L"good.txt");
    WriteBytes(good, "\xEF\xBB\xBFkeep\r\n");
    LineBuffer b;
    b.LoadFromFile(good);
    const std::wstring missing = dir.File(L"missing.log");
    try {
        b.LoadFromFile(missing);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        const std::wstring head = L"ファイル " + missing + L" は開けません。 ";
        const std::wstring& m = e.Message();
        ASSERT_GT(m.size(), head.size() + 1);
        EXPECT_EQ(m.substr(0, head.size()), head);
        EXPECT_EQ(m.back(), L' ');
        const wchar_t lastOfCause = m[m.size() - 2];
        EXPECT_NE(lastOfCause, L'.');
        EXPECT_NE(lastOfCause, L' ');
    }
    EXPECT_EQ(b.Lines(), Lines{L"keep"});
    EXPECT_EQ(b.Encoding(), TextEncoding::Utf8);
}

TEST(LineBufferFile, FailedSaveRaisesTheCreateErrorNamingTheTargetAndLeavesNoTrace) {
    TempDir dir;
    LineBuffer b;
    b.Add(L"x");
    // A folder where the file should go: the replacement must fail.
    const std::wstring target = dir.File(L"Disable.lst");
    std::filesystem::create_directory(test::FsPath(target));
    const std::wstring inMissingFolder = dir.File(L"nowhere") + (dir.File(L"a").find(L'\\') != std::wstring::npos ? L"\\f.lst" : L"/f.lst");
    for (const std::wstring& path : {target, inMissingFolder}) {
        try {
            b.SaveToFile(path);
            FAIL() << "no error";
        } catch (const EFCreateError& e) {
            const std::wstring head = L"ファイル \"" + path + L"\" を作成できません。";
            EXPECT_EQ(e.Message().substr(0, head.size()), head);
            EXPECT_GT(e.Message().size(), head.size());
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(test::FsPath(target)));
    // Only the folder that stood in the way is left: no temporary file.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1u);
}

#ifndef _WIN32
// A disk that fills up in the middle of the write: the file-size limit makes
// write() fail with EFBIG after a few bytes, as a full disk fails with ENOSPC.
TEST(LineBufferFile, ADiskThatFillsUpMidWriteKeepsTheOldFile) {
    TempDir dir;
    const std::wstring path = dir.File(L"Disable.lst");
    WriteBytes(path, " old\r\n");
    LineBuffer b;
    for (int i = 0; i < 1000; ++i) b.Add(L" name " + std::to_wstring(i));
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    bool raised = false;
    try {
        b.SaveToFile(path);
    } catch (const EFCreateError& e) {
        raised = e.Message().rfind(L"ファイル \"" + path + L"\" を作成できません。", 0) == 0;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadBytes(path), " old\r\n");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
    EXPECT_EQ(entries, 1u);  // no temporary file left
}
#endif

TEST(LineBufferFile, SaveReplacesAnExistingFileCompletely) {
    TempDir dir;
    const std::wstring path = dir.File(L"Disable.lst");
    WriteBytes(path, std::string(10000, 'x'));
    LineBuffer b;
    b.Add(L"short");
    b.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), "short\r\n");
}

}  // namespace
}  // namespace velnor
