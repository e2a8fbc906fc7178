#include "main/window_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/utf.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velnor {
namespace {

// Records the order in which the read sequence moves the window.
class FakeWindow : public WindowGeometry {
public:
    Bounds bounds{10, 20, 400, 330};
    std::vector<std::string> moves;
    Bounds Current() const override { return bounds; }
    void SetTop(std::int32_t v) override { bounds.top = v; moves.push_back("top"); }
    void SetLeft(std::int32_t v) override { bounds.left = v; moves.push_back("left"); }
    void SetWidth(std::int32_t v) override { bounds.width = v; moves.push_back("width"); }
    void SetHeight(std::int32_t v) override { bounds.height = v; moves.push_back("height"); }
};

std::string Section(const std::string& values) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root><Window>" + values + "</Window></root>\r\n";
}

std::string Value(const char* key, const char* type, const std::string& text) {
    return std::string("<") + key + " Type=\"" + type + "\">" + text + "</" + key + ">";
}

TEST(WindowSettings, ReadAppliesTopLeftWidthHeightAndNameInThatOrderWithMinimums) {
    test::TempDir dir;
    const std::wstring file = dir.File(L"Velnor.xml");
    test::WriteBytes(file, Section(Value("Left", "9", "-7") + Value("Top", "9", "5") + Value("Width", "9", "100") +
                                   Value("Height", "9", "1000") + Value("SSID", "10", " Home &amp; Work")));
    FakeWindow w;
    std::wstring name = L"old";
    ReadWindowSettings(file, w, name);
    EXPECT_EQ(w.moves, (std::vector<std::string>{"top", "left", "width", "height"}));
    EXPECT_EQ(w.bounds, (Bounds{-7, 5, kMainMinWidth, 1000}));
    EXPECT_EQ(name, L" Home & Work");
}

TEST(WindowSettings, MissingKeysKeepTheCurrentValuesAndNothingIsWritten) {
    test::TempDir dir;
    const std::wstring file = dir.File(L"Velnor.xml");
    FakeWindow w;
    w.bounds = {10, 20, 200, 100};
    std::wstring name;
    ReadWindowSettings(file, w, name);
    EXPECT_EQ(w.bounds, (Bounds{10, 20, kMainMinWidth, kMainMinHeight}));
    EXPECT_EQ(name, L"");
    // The store made the file at once, without the section read created.
    EXPECT_EQ(test::ReadBytes(file).find("Window"), std::string::npos);
}

// A bad geometry value ends the geometry with the values before it applied,
// and is reported; the stored profile is read all the same, so that the next
// close keeps it.
TEST(WindowSettings, AMalformedValueEndsTheGeometryButTheProfileIsStillRead) {
    struct Case {
        const char* values;
        std::vector<std::string> moves;
    };
    const Case cases[] = {
        {"<Top Type=\"9\">-5000</Top><Left Type=\"9\">abc</Left><Width Type=\"9\">500</Width>", {"top"}},
        {"<Left Type=\"9\">100 </Left>", {"top"}},
        {"<Left Type=\"9\">1.5</Left>", {"top"}},
        {"<Left Type=\"9\">\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x93</Left>", {"top"}},
        {"<Left Type=\"9\"></Left>", {"top"}},
        {"<Top Type=\"9\">x</Top>", {}},
        {"<Height Type=\"9\">99999999999</Height>", {"top", "left", "width"}},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::wstring file = dir.File(L"Velnor.xml");
        test::WriteBytes(file, Section(std::string(c.values) + Value("SSID", "10", " Home")));
        FakeWindow w;
        std::wstring name;
        EXPECT_THROW(ReadWindowSettings(file, w, name), EConvertError) << c.values;
        EXPECT_EQ(w.moves, c.moves) << c.values;
        EXPECT_EQ(name, L" Home") << c.values;
        // The close after it writes the profile back, and the bad value is
        // replaced by the window's own.
        WriteWindowSettings(file, w.bounds, name);
        FakeWindow again;
        std::wstring back;
        ReadWindowSettings(file, again, back);
        EXPECT_EQ(back, L" Home") << c.values;
    }
}

TEST(WindowSettings, WriteThenReadRoundTripsEveryValue) {
    test::TempDir dir;
    const std::wstring file = dir.File(L"Velnor.xml");
    const Bounds written{-1920, -12, 351, 777};
    const std::wstring name = L" a&<b>\"c' 自宅";
    WriteWindowSettings(file, written, name);
    const std::string xml = test::ReadBytes(file);
    // A new file gets its values in the order they are written.
    std::vector<size_t> at;
    for (const char* key : {"<Left", "<Top", "<Width", "<Height", "<SSID"}) at.push_back(xml.find(key));
    EXPECT_NE(at.front(), std::string::npos);
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << xml;
    EXPECT_EQ(std::adjacent_find(at.begin(), at.end()), at.end()) << xml;
    FakeWindow w;
    std::wstring back;
    ReadWindowSettings(file, w, back);
    EXPECT_EQ(w.bounds, written);
    EXPECT_EQ(back, name);
}

TEST(WindowSettings, WithoutANameTheWriteKeepsTheStoredChoice) {
    test::TempDir dir;
    const std::wstring file = dir.File(L"Velnor.xml");
    WriteWindowSettings(file, {1, 2, 350, 300}, L" Work");
    WriteWindowSettings(file, {5, 6, 400, 310}, nullptr);
    FakeWindow w;
    std::wstring back;
    ReadWindowSettings(file, w, back);
    EXPECT_EQ(w.bounds, (Bounds{5, 6, 400, 310}));
    EXPECT_EQ(back, L" Work");
}

// A run that could not read the file writes only what it knows of its own:
// whatever it is not given stays as stored.
TEST(WindowSettings, WhatTheWriteIsNotGivenStaysAsStored) {
    const Bounds stored{1, 2, 350, 300}, now{5, 6, 400, 310};
    const std::wstring storedName = L" Work", nowName = L" Home";
    const struct {
        bool bounds, name;
    } cases[] = {{true, false}, {false, true}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "bounds " << c.bounds << ", name " << c.name);
        test::TempDir dir;
        const std::wstring file = dir.File(L"Velnor.xml");
        WriteWindowSettings(file, stored, storedName);
        WriteWindowSettings(file, c.bounds ? &now : nullptr, c.name ? &nowName : nullptr);
        FakeWindow w;
        std::wstring back;
        ReadWindowSettings(file, w, back);
        EXPECT_EQ(w.bounds, c.bounds ? now : stored);
        EXPECT_EQ(back, c.name ? nowName : storedName);
    }
}

// Whether the file itself was read tells an unreadable file from a bad value.
TEST(WindowSettings, TheReadTellsWhetherTheFileItselfWasRead) {
    const struct {
        std::string content;
        bool fileRead;
    } cases[] = {
        {"not xml", false},
        {Section(Value("Left", "9", "abc") + Value("SSID", "10", " Home")), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        test::TempDir dir;
        const std::wstring file = dir.File(L"Velnor.xml");
        test::WriteBytes(file, c.content);
        FakeWindow w;
        std::wstring name;
        bool fileRead = !c.fileRead;
        EXPECT_THROW(ReadWindowSettings(file, w, name, &fileRead), Error);
        EXPECT_EQ(fileRead, c.fileRead);
    }
}

TEST(WindowSettings, AnUnreadableFileFailsTheWriteAndStaysAsItWas) {
    test::TempDir dir;
    const std::wstring file = dir.File(L"Velnor.xml");
    test::WriteBytes(file, "not xml");
    EXPECT_THROW(WriteWindowSettings(file, {1, 2, 350, 300}, L" x"), Error);
    EXPECT_EQ(test::ReadBytes(file), "not xml");
}

}  // namespace
}  // namespace velnor
