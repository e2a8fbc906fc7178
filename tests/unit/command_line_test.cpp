#include "app/command_line.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace velnor {
namespace {

TEST(HasSwitch, OnlyArgumentsOneAndTwoCountExactly) {
    using Args = std::vector<std::wstring>;
    const struct {
        Args args;
        bool portable;
        bool silent;
    } cases[] = {
        {{L"velnor.exe"}, false, false},
        {{L"velnor.exe", L"/p"}, true, false},
        {{L"velnor.exe", L"/s", L"/p"}, true, true},
        {{L"velnor.exe", L"/p", L"/s"}, true, true},
        {{L"velnor.exe", L"/P", L"/S"}, false, false},
        {{L"velnor.exe", L"x", L"y", L"/p"}, false, false},
        {{L"velnor.exe", L" /p"}, false, false},
        {{L"velnor.exe", L"/p "}, false, false},
        {{L"velnor.exe", L"-p"}, false, false},
        {{}, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HasSwitch(c.args, kPortableSwitch), c.portable);
        EXPECT_EQ(HasSwitch(c.args, kSilentSwitch), c.silent);
    }
}

TEST(ErrorTexts, FollowTheProgramsRules) {
    EXPECT_EQ(MakeOpenError(L"C:\\d\\WiFi.log", L"アクセスが拒否されました").Message(),
              L"ファイル C:\\d\\WiFi.log は開けません。 アクセスが拒否されました ");
    EXPECT_EQ(MakeCreateError(L"C:\\d\\Disable.lst", L"cause").Message(),
              L"ファイル \"C:\\d\\Disable.lst\" を作成できません。cause");
    // Trailing blanks, line ends and ASCII full stops go; "。" stays.
    EXPECT_EQ(TrimSystemMessage(L"Access is denied. \r\n"), L"Access is denied");
    EXPECT_EQ(TrimSystemMessage(L"見つかりません。\r\n"), L"見つかりません。");
    EXPECT_EQ(TrimSystemMessage(L"a.b..."), L"a.b");
    EXPECT_EQ(TrimSystemMessage(L" \r\n."), L"");
    // The error box appends "." unless the last character is "." or below.
    EXPECT_EQ(ErrorBoxText(L"abc"), L"abc.");
    EXPECT_EQ(ErrorBoxText(L""), L"");
    EXPECT_EQ(ErrorBoxText(L"abc."), L"abc.");
    EXPECT_EQ(ErrorBoxText(L"abc "), L"abc ");
    EXPECT_EQ(ErrorBoxText(L"abc-"), L"abc-");  // '-' sorts below '.'
    EXPECT_EQ(ErrorBoxText(L"abc/"), L"abc/.");
    EXPECT_EQ(ErrorBoxText(L"見つかりません。"), L"見つかりません。.");
}

}  // namespace
}  // namespace velnor
