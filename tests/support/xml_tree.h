// Two settings documents compared node by node, for the tests and the fuzz
// target that check that what the store writes reads back the same.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/utf.h"
#include "xmlinifiles/xml_document.h"

namespace velnor::test {

// A node's children as a reader of the file sees them: adjacent text nodes
// run together, and text of whitespace only is left out, as loading drops it.
struct ChildItem {
    XmlNode node;
    std::wstring text;  // for a run of text nodes
};

inline std::vector<ChildItem> ReadableChildren(const XmlNode& parent) {
    std::vector<ChildItem> items;
    bool inText = false;
    for (XmlNode c = parent.FirstChild(); c; c = c.NextSibling()) {
        const bool text = c.Kind() == XmlNodeKind::Text;
        if (text && inText) {
            items.back().text += c.NodeValue();
        } else {
            items.push_back({c, text ? c.NodeValue() : std::wstring()});
        }
        inText = text;
    }
    std::vector<ChildItem> kept;
    for (ChildItem& item : items) {
        const bool blank = item.node.Kind() == XmlNodeKind::Text &&
                           item.text.find_first_not_of(L" \t\r\n") == std::wstring::npos;
        if (!blank) kept.push_back(std::move(item));
    }
    return kept;
}

// Empty when both trees hold the same nodes with the same names, values and
// attributes in the same order, as ReadableChildren sees them; otherwise
// where they first differ.
inline std::string TreeDifference(XmlDocument& a, XmlDocument& b) {
    std::vector<std::pair<XmlNode, XmlNode>> pending{{a.DocumentNode(), b.DocumentNode()}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        const std::string where = WideToUtf8(x.NodeName()) + " / " + WideToUtf8(y.NodeName());
        if (x.Kind() != y.Kind() || x.NodeName() != y.NodeName()) return "node " + where;
        if (x.Kind() != XmlNodeKind::Text && x.NodeValue() != y.NodeValue())
            return "value of " + where + ": '" + WideToUtf8(x.NodeValue()) + "' / '" + WideToUtf8(y.NodeValue()) + "'";
        pugi::xml_attribute ax = x.Raw().first_attribute(), ay = y.Raw().first_attribute();
        for (; ax && ay; ax = ax.next_attribute(), ay = ay.next_attribute())
            if (std::string_view(ax.name()) != ay.name() || std::string_view(ax.value()) != ay.value())
                return "attribute of " + where + ": " + ax.name() + "='" + ax.value() + "' / " + ay.name() + "='" +
                       ay.value() + "'";
        if (ax || ay) return "attributes of " + where;
        const std::vector<ChildItem> cx = ReadableChildren(x), cy = ReadableChildren(y);
        if (cx.size() != cy.size()) return "children of " + where;
        for (size_t i = 0; i < cx.size(); ++i) {
            if (cx[i].text != cy[i].text)
                return "text in " + where + ": '" + WideToUtf8(cx[i].text) + "' / '" + WideToUtf8(cy[i].text) + "'";
            pending.emplace_back(cx[i].node, cy[i].node);
        }
    }
    return {};
}

}  // namespace velnor::test
