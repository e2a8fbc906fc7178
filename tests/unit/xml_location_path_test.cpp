#include "xmlinifiles/location_path.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

TEST(XmlLocationPath, TrailingSlashIsAddedOnlyWhenMissing) {
    EXPECT_EQ(IncludeTrailingSlash(L""), L"/");
    EXPECT_EQ(IncludeTrailingSlash(L"/"), L"/");
    EXPECT_EQ(IncludeTrailingSlash(L"a"), L"a/");
    EXPECT_EQ(IncludeTrailingSlash(L"/a/"), L"/a/");
    EXPECT_EQ(IncludeTrailingSlash(L"a/ "), L"a/ /");

    EXPECT_FALSE(IsSlashAt(L"/a/", 0));
    EXPECT_TRUE(IsSlashAt(L"/a/", 1));
    EXPECT_FALSE(IsSlashAt(L"/a/", 2));
    EXPECT_TRUE(IsSlashAt(L"/a/", 3));
    EXPECT_FALSE(IsSlashAt(L"/a/", 4));
    EXPECT_FALSE(IsSlashAt(L"", 0));
}

TEST(XmlLocationPath, RelativePathsGoBelowTheCurrentOneAbsoluteOnesIgnoreIt) {
    struct Case {
        const wchar_t* current;
        const wchar_t* path;
        const wchar_t* expanded;
    };
    const Case cases[] = {
        {L"/", L"Window", L"/Window/"},
        {L"/", L"Window/", L"/Window/"},
        {L"/", L"/Window", L"/Window/"},
        {L"/", L"/Window/", L"/Window/"},
        {L"/", L"", L"/"},
        {L"/Window/", L"Pane", L"/Window/Pane/"},
        {L"/Window/", L"/Other", L"/Other/"},
        {L"/Window/", L"", L"/Window/"},
        {L"/Window/", L"..", L"/Window/../"},
        {L"/", L"a//b", L"/a//b/"},
        {L"/", L" a ", L"/ a /"},
    };
    for (const Case& c : cases) EXPECT_EQ(ExpandLocationPath(c.current, c.path), c.expanded) << c.current << L" + " << c.path;
}

TEST(XmlLocationPath, SplittingKeepsEveryCharacterExceptQuotes) {
    struct Case {
        const wchar_t* expanded;
        std::vector<std::wstring> components;
    };
    const Case cases[] = {
        {L"/", {}},
        {L"/Window/", {L"Window"}},
        {L"/a/b/c/", {L"a", L"b", L"c"}},
        {L"/a b/ c /", {L"a b", L" c "}},
        {L"//", {L""}},
        {L"/a//b/", {L"a", L"", L"b"}},
        {L"/../", {L".."}},
        {L"/\"Win\"\"dow\"/", {L"Win\"dow"}},
        {L"/\"a/b\"/c/", {L"a/b", L"c"}},
        {L"/\"ab\"cd/", {L"abcd"}},
        {L"/x\"y\"/", {L"x\"y\""}},
        {L"/\"open/", {L"open"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitLocationPath(c.expanded), c.components) << c.expanded;
}

}  // namespace
}  // namespace velnor
