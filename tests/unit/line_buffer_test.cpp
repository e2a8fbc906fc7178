#include "main/line_buffer.h"

#include <gtest/gtest.h>

#include "orvo/utf.h"

namespace velnor {
namespace {

std::vector<std::wstring> Lines(std::string_view bytes) {
    LineBuffer b;
    b.LoadFromBytes(bytes);
    return b.Lines();
}

TEST(LineBufferSplit, LineEndsOfEveryKindGiveTheSameLines) {
    const std::vector<std::wstring> expected{L"a", L"b", L"c"};
    EXPECT_EQ(Lines("a\r\nb\r\nc\r\n"), expected);
    EXPECT_EQ(Lines("a\nb\nc\n"), expected);
    EXPECT_EQ(Lines("a\rb\rc\r"), expected);
    EXPECT_EQ(Lines("a\r\nb\rc\n"), expected);
    EXPECT_EQ(Lines("a\r\nb\r\nc"), expected);
}

}  // namespace
}  // namespace velnor
