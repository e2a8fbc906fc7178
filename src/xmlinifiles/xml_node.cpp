#include "xmlinifiles/xml_node.h"

#include <string_view>

#include "platform/errors.h"
#include "platform/utf.h"
#include "xmlinifiles/xml_document.h"
#include "xmlinifiles/xml_names.h"

namespace velnor {

void RequireXmlText(std::wstring_view text) {
    if (!IsXmlText(text)) throw EXMLError(L"XML で使用できない文字が含まれています");
}

XmlNode XmlNode::Wrap(pugi::xml_node node) const {
    if (doc_ && doc_->IsHolder(node)) return {};
    return XmlNode(doc_, node);
}

XmlNodeKind XmlNode::Kind() const {
    switch (node_.type()) {
        case pugi::node_null: return XmlNodeKind::Null;
        case pugi::node_document: return XmlNodeKind::Document;
        case pugi::node_element: return XmlNodeKind::Element;
        case pugi::node_pcdata: return XmlNodeKind::Text;
        case pugi::node_cdata: return XmlNodeKind::CData;
        case pugi::node_comment: return XmlNodeKind::Comment;
        case pugi::node_pi: return XmlNodeKind::ProcessingInstruction;
        case pugi::node_declaration: return XmlNodeKind::Declaration;
        default: return XmlNodeKind::Other;
    }
}

std::wstring XmlNode::NodeName() const {
    switch (Kind()) {
        case XmlNodeKind::Null: return {};
        case XmlNodeKind::Document: return L"#document";
        case XmlNodeKind::Text: return L"#text";
        case XmlNodeKind::CData: return L"#cdata-section";
        case XmlNodeKind::Comment: return L"#comment";
        default: return Utf8ToWide(node_.name());
    }
}

std::wstring XmlNode::LocalName() const {
    if (Kind() != XmlNodeKind::Element) return {};
    return std::wstring(LocalNameOf(Utf8ToWide(node_.name())));
}

std::wstring XmlNode::NodeValue() const {
    switch (Kind()) {
        case XmlNodeKind::Text:
        case XmlNodeKind::CData:
        case XmlNodeKind::Comment:
        case XmlNodeKind::ProcessingInstruction: return Utf8ToWide(node_.value());
        default: return {};
    }
}

void XmlNode::SetNodeValue(std::wstring_view value) {
    switch (Kind()) {
        case XmlNodeKind::Text:
        case XmlNodeKind::CData:
        case XmlNodeKind::Comment:
        case XmlNodeKind::ProcessingInstruction:
            RequireXmlText(value);
            node_.set_value(WideToUtf8(value).c_str());
            doc_->SetModified(true);
            break;
        default: break;
    }
}

int XmlNode::ChildCount() const {
    int n = 0;
    for (XmlNode c = FirstChild(); c; c = c.NextSibling()) ++n;
    return n;
}

XmlNode XmlNode::ChildAt(int index) const {
    if (index < 0) return {};
    XmlNode c = FirstChild();
    for (; c && index > 0; --index) c = c.NextSibling();
    return c;
}

// The holder ends the document's live children.
XmlNode XmlNode::FirstChild() const { return Wrap(node_.first_child()); }

XmlNode XmlNode::NextSibling() const { return Wrap(node_.next_sibling()); }

XmlNode XmlNode::ParentNode() const {
    if (doc_ && doc_->IsDetached(node_)) return {};
    return Wrap(node_.parent());
}

XmlNode XmlNode::FirstChildNamed(std::wstring_view name) const {
    if (name.empty()) return {};
    // Compared in the engine's UTF-8, so a long child list costs no conversions.
    const std::string wanted = WideToUtf8(name);
    for (XmlNode c = FirstChild(); c; c = c.NextSibling()) {
        const pugi::xml_node n = c.node_;
        std::string_view dom;
        switch (n.type()) {
            case pugi::node_pcdata: dom = "#text"; break;
            case pugi::node_cdata: dom = "#cdata-section"; break;
            case pugi::node_comment: dom = "#comment"; break;
            default: dom = n.name(); break;
        }
        if (dom == wanted) return c;
        if (n.type() == pugi::node_element) {
            const size_t colon = dom.find(':');
            if (colon != std::string_view::npos && dom.substr(colon + 1) == wanted) return c;
        }
    }
    return {};
}

std::wstring XmlNode::Attribute(std::wstring_view name) const {
    return Utf8ToWide(node_.attribute(WideToUtf8(name).c_str()).value());
}

void XmlNode::SetAttribute(std::wstring_view name, std::wstring_view value) {
    if (Kind() != XmlNodeKind::Element) return;
    if (!IsXmlName(name)) throw EXMLError(L"\"" + std::wstring(name) + L"\" は属性名として使用できません");
    RequireXmlText(value);
    const std::string key = WideToUtf8(name);
    pugi::xml_attribute a = node_.attribute(key.c_str());
    if (!a) a = node_.append_attribute(key.c_str());
    a.set_value(WideToUtf8(value).c_str());
    doc_->SetModified(true);
}

XmlNode XmlNode::AppendText(std::wstring_view value) {
    // Text beside the root element would make the file malformed.
    if (Kind() != XmlNodeKind::Element) return {};
    RequireXmlText(value);
    pugi::xml_node t = node_.append_child(pugi::node_pcdata);
    if (!t) return {};
    t.set_value(WideToUtf8(value).c_str());
    doc_->SetModified(true);
    return XmlNode(doc_, t);
}

}  // namespace velnor
