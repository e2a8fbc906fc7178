#include <string_view>

#include "kit/kit.h"
#include "platform/utf.h"

namespace velnor::kit {
namespace {

std::string Attribute(std::string_view tag, std::string_view name) {
    std::string key(1, ' ');
    key.append(name).append("=\"");
    const size_t at = tag.find(key);
    if (at == std::string_view::npos) return {};
    const size_t start = at + key.size();
    const size_t end = tag.find('"', start);
    if (end == std::string_view::npos) return {};
    std::string value(tag.substr(start, end - start));
    // GoogleTest escapes only these in attribute values.
    static const std::pair<std::string_view, char> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& [text, c] : entities)
        for (size_t i = value.find(text); i != std::string::npos; i = value.find(text, i + 1))
            value.replace(i, text.size(), 1, c);
    return value;
}

}  // namespace

std::vector<TestOutcome> ReadJUnit(const std::string& xml) {
    std::vector<TestOutcome> out;
    for (size_t at = xml.find("<testcase "); at != std::string::npos; at = xml.find("<testcase ", at + 1)) {
        const size_t tagEnd = xml.find('>', at);
        if (tagEnd == std::string::npos) break;
        const std::string_view tag(xml.data() + at, tagEnd - at);
        std::string_view body;
        if (tag.empty() || tag.back() != '/') {
            const size_t close = xml.find("</testcase>", tagEnd);
            body = std::string_view(xml).substr(tagEnd, (close == std::string::npos ? xml.size() : close) - tagEnd);
        }
        Outcome outcome = Outcome::Passed;
        if (body.find("<failure") != std::string_view::npos) outcome = Outcome::Failed;
        else if (Attribute(tag, "status") == "notrun" || Attribute(tag, "result") == "skipped" ||
                 Attribute(tag, "result") == "suppressed")
            outcome = Outcome::NotRun;
        out.push_back({Utf8ToWide(Attribute(tag, "classname") + "." + Attribute(tag, "name")), outcome});
    }
    return out;
}

}  // namespace velnor::kit
