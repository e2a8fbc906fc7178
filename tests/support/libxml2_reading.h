// libxml2 as an independent judge of the settings store: its verdict on a
// document and the values it reads, for the fuzz target and the native
// tests. Its namespace errors do not count: a name such as "a:b:-c" is legal
// XML 1.0 but makes libxml2's namespace parser fail, so such a document is
// read again without namespace processing.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/utf.h"
#include "xmlinifiles/xml_document.h"

namespace velnor::test {

class Libxml2Reading {
public:
    // With ignoreDeclaredEncoding the bytes are read as UTF-8 whatever the
    // declaration names: for text that a code page's own table decoded.
    explicit Libxml2Reading(std::string_view bytes, bool ignoreDeclaredEncoding = false) {
        const int options = kOptions | (ignoreDeclaredEncoding ? XML_PARSE_IGNORE_ENC : 0);
        Read(bytes, options);
        if (context_ && !context_->wellFormed && !context_->nsWellFormed) {
            withoutNamespaces_ = true;
            Read(bytes, options | XML_PARSE_SAX1);
        }
        // libxml2 drops a byte left over after the last UTF-16 character;
        // it halves a character.
        const std::string_view start = bytes.substr(0, 4);
        const bool utf16 = start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF") ||
                           start == std::string_view("<\0?\0", 4) || start == std::string_view("\0<\0?", 4);
        if (utf16 && bytes.size() % 2 != 0 && !ignoreDeclaredEncoding) {
            wellFormed_ = false;
            message_ = "a byte left over after the last UTF-16 character";
        }
    }

    bool WellFormed() const { return document_ && wellFormed_; }
    // libxml2's message for a document it refuses.
    const std::string& Message() const { return message_; }
    xmlNodePtr Root() const { return document_ ? xmlDocGetRootElement(document_.get()) : nullptr; }
    // Read again without namespace processing, which drops a prefix that no
    // declaration binds from the names.
    bool WithoutNamespaces() const { return withoutNamespaces_; }

private:
    // No network, no external DTD, no entity expansion; deep trees are
    // allowed, as the store allows them.
    static constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;

    struct FreeContext {
        void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); }
    };
    struct FreeDocument {
        void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
    };

    void Read(std::string_view bytes, int options) {
        document_.reset();
        context_.reset(xmlNewParserCtxt());
        message_.clear();
        if (!context_ || bytes.size() > INT_MAX) {
            message_ = "libxml2 cannot start";
            return;
        }
        document_.reset(xmlCtxtReadMemory(context_.get(), bytes.data(), static_cast<int>(bytes.size()),
                                          "settings.xml", nullptr, options));
        wellFormed_ = context_->wellFormed != 0;
        // libxml2 takes a NUL character after the root element for the end
        // of the input and accepts what it has read; XML 1.0 allows no NUL.
        const xmlParserInputPtr input = context_->input;
        if (wellFormed_ && input && input->cur && input->end && input->cur < input->end) {
            wellFormed_ = false;
            message_ = "a NUL character before the end of the input";
            return;
        }
        if (!WellFormed()) {
            const xmlError* e = xmlCtxtGetLastError(context_.get());
            message_ = e && e->message && *e->message ? e->message : "not well-formed";
        }
    }

    std::unique_ptr<xmlParserCtxt, FreeContext> context_;
    std::unique_ptr<xmlDoc, FreeDocument> document_;
    bool wellFormed_ = false;
    bool withoutNamespaces_ = false;
    std::string message_;
};

inline std::string QualifiedName(const xmlChar* name, const xmlNs* ns) {
    std::string qualified = ns && ns->prefix ? std::string(reinterpret_cast<const char*>(ns->prefix)) + ":" : "";
    return qualified + reinterpret_cast<const char*>(name);
}

// Whether the store's name is libxml2's, allowing for the prefix that its
// reading without namespace processing drops.
inline bool SameName(std::string_view ours, const xmlChar* name, const xmlNs* ns, bool withoutNamespaces) {
    const std::string theirs = QualifiedName(name, ns);
    if (ours == theirs) return true;
    return withoutNamespaces && !ns && ours.size() > theirs.size() && ours.ends_with(":" + theirs);
}

inline bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// An element's text as a value reader sees it: text of whitespace only
// counts as none, as loading drops it; nothing when the element holds more
// than one text or anything but text (the store's readers refuse it).
inline bool StoreValue(const XmlNode& element, std::string& value) {
    const XmlNode first = element.FirstChild();
    value.clear();
    if (!first) return true;
    if (first.NextSibling()) return false;
    if (first.Kind() != XmlNodeKind::Text && first.Kind() != XmlNodeKind::CData) return false;
    value = WideToUtf8(first.NodeValue());
    if (IsBlank(value)) value.clear();
    return true;
}

inline std::string Libxml2Value(xmlNodePtr element) {
    std::string value;
    for (xmlNodePtr c = element->children; c; c = c->next) {
        if ((c->type != XML_TEXT_NODE && c->type != XML_CDATA_SECTION_NODE) || !c->content) continue;
        const std::string_view text = reinterpret_cast<const char*>(c->content);
        if (c->type == XML_TEXT_NODE && IsBlank(text)) continue;
        value += text;
    }
    if (IsBlank(value)) value.clear();
    return value;
}

// Empty when both readings hold the same elements in the same order, with
// the same names and attributes (namespace declarations aside), and every
// element value that the store reads equals libxml2's; otherwise the first
// difference.
inline std::string ValueDifference(XmlDocument& store, const Libxml2Reading& strict) {
    std::vector<std::pair<XmlNode, xmlNodePtr>> pending{{store.DocumentElement(), strict.Root()}};
    while (!pending.empty()) {
        const auto [ours, theirs] = pending.back();
        pending.pop_back();
        if (!ours || !theirs) return ours ? "libxml2 has no root element" : "the store has no root element";
        const std::string name = WideToUtf8(ours.NodeName());
        if (!SameName(name, theirs->name, theirs->ns, strict.WithoutNamespaces()))
            return "element " + name + " / " + QualifiedName(theirs->name, theirs->ns);
        // Namespace declarations are attributes to the store; libxml2 keeps
        // only those it cannot use as declarations ("xmlns:6") among them.
        auto declaration = [](std::string_view attribute) {
            return attribute == "xmlns" || attribute.substr(0, 6) == "xmlns:";
        };
        auto nextAttribute = [&](xmlAttrPtr a) {
            while (a && declaration(QualifiedName(a->name, a->ns))) a = a->next;
            return a;
        };
        xmlAttrPtr a = nextAttribute(theirs->properties);
        for (pugi::xml_attribute ours_a = ours.Raw().first_attribute(); ours_a; ours_a = ours_a.next_attribute()) {
            const std::string_view attribute = ours_a.name();
            if (declaration(attribute)) continue;
            if (!a) return "attribute " + std::string(attribute) + " of " + name + " only in the store";
            std::unique_ptr<xmlChar, xmlFreeFunc> value(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a)),
                                                             xmlFree);
            const std::string theirValue = value ? reinterpret_cast<const char*>(value.get()) : "";
            if (!SameName(attribute, a->name, a->ns, strict.WithoutNamespaces()) || theirValue != ours_a.value())
                return "attribute of " + name + ": " + std::string(attribute) + "='" + ours_a.value() + "' / " +
                       QualifiedName(a->name, a->ns) + "='" + theirValue + "'";
            a = nextAttribute(a->next);
        }
        if (a) return "attribute " + QualifiedName(a->name, a->ns) + " of " + name + " only in libxml2";
        std::string value;
        if (StoreValue(ours, value) && value != Libxml2Value(theirs))
            return "value of " + name + ": '" + value + "' / '" + Libxml2Value(theirs) + "'";
        std::vector<XmlNode> ourChildren;
        for (XmlNode c = ours.FirstChild(); c; c = c.NextSibling())
            if (c.Kind() == XmlNodeKind::Element) ourChildren.push_back(c);
        std::vector<xmlNodePtr> theirChildren;
        for (xmlNodePtr c = theirs->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE) theirChildren.push_back(c);
        if (ourChildren.size() != theirChildren.size()) return "the number of elements in " + name;
        for (size_t i = 0; i < ourChildren.size(); ++i) pending.emplace_back(ourChildren[i], theirChildren[i]);
    }
    return {};
}

}  // namespace velnor::test
