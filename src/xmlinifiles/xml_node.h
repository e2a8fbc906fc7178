// A handle to one node of a settings document, with the DOM view the store
// needs on top of the engine: DOM node names, local names, attributes that
// read as empty text when missing, and changes that mark the document
// modified. Handles stay valid while their document exists, also for nodes
// that were removed from the tree.
#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace velnor {

class XmlDocument;

// Raises EXMLError when the text holds a character that no XML document may
// contain (a control character other than TAB, LF and CR, U+FFFE, U+FFFF or
// a lone surrogate): written, it would make the file unreadable.
void RequireXmlText(std::wstring_view text);

enum class XmlNodeKind { Null, Document, Element, Text, CData, Comment, ProcessingInstruction, Declaration, Other };

class XmlNode {
public:
    XmlNode() = default;

    bool IsNull() const { return !node_; }
    explicit operator bool() const { return !IsNull(); }
    XmlNodeKind Kind() const;

    // "#text", "#cdata-section", "#comment", "#document", the tag name of an
    // element or the target of a processing instruction.
    std::wstring NodeName() const;
    // An element's name after its prefix; empty for other nodes.
    std::wstring LocalName() const;
    // The text of a text, CDATA, comment or processing-instruction node.
    std::wstring NodeValue() const;
    // Ignored for elements and the document, as in the DOM. Raises EXMLError
    // as RequireXmlText does.
    void SetNodeValue(std::wstring_view value);

    bool HasChildNodes() const { return !FirstChild().IsNull(); }
    int ChildCount() const;
    XmlNode ChildAt(int index) const;  // null outside the range
    XmlNode FirstChild() const;
    XmlNode NextSibling() const;
    XmlNode ParentNode() const;  // null for a removed node
    // The first child, in document order and of any kind, whose DOM name is
    // the given one, or an element whose local name is. An empty name finds
    // nothing.
    XmlNode FirstChildNamed(std::wstring_view name) const;

    // Empty text when the attribute is missing.
    std::wstring Attribute(std::wstring_view name) const;
    // Raises EXMLError for a name that is no XML name and as RequireXmlText
    // does.
    void SetAttribute(std::wstring_view name, std::wstring_view value);

    // Appends a text node without any indentation to an element; null for
    // other nodes. Raises EXMLError as RequireXmlText does.
    XmlNode AppendText(std::wstring_view value);

    XmlDocument* Document() const { return doc_; }
    pugi::xml_node Raw() const { return node_; }

    friend bool operator==(const XmlNode& a, const XmlNode& b) { return a.node_ == b.node_; }

private:
    friend class XmlDocument;
    XmlNode(XmlDocument* doc, pugi::xml_node node) : doc_(doc), node_(node) {}
    XmlNode Wrap(pugi::xml_node node) const;

    XmlDocument* doc_ = nullptr;
    pugi::xml_node node_;
};

}  // namespace velnor
