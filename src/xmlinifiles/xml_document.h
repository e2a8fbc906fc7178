// The settings document over pugixml: loading with the store's parse
// settings and error message, writing in the declared encoding, appending
// elements with the store's indentation text, removing nodes without
// invalidating handles, and its own modified flag.
#pragma once

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>

#include "xmlinifiles/xml_encoding.h"
#include "xmlinifiles/xml_node.h"

namespace velnor {

class XmlDocument {
public:
    // Files beyond this size are refused: a settings file is a few hundred
    // bytes, and the tree costs many times the file's size in memory.
    static constexpr size_t kMaxFileBytes = 16u << 20;

    XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(std::wstring fileName) { fileName_ = std::move(fileName); }
    const std::wstring& IndentString() const { return indent_; }
    void SetIndentString(std::wstring indent) { indent_ = std::move(indent); }
    bool AutoIndent() const { return autoIndent_; }
    void SetAutoIndent(bool on) { autoIndent_ = on; }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    // Replaces the tree. Whitespace-only text is dropped, a document type
    // declaration is refused and nothing outside the bytes is fetched. A
    // fault raises EXMLError with the reason, line number and start of the
    // failing line.
    void LoadFromBytes(std::string_view bytes);
    void LoadFromFile(const std::wstring& path);

    // The document in the encoding its declaration names (a file read as
    // UTF-16 in the byte order it had); as UTF-8, with a declaration that
    // says so, when some character has no place in the declared code page.
    std::string SaveToBytes() const;
    // Replaces the file only after a complete write; clears the modified flag.
    void SaveToFile(const std::wstring& path);

    XmlNode DocumentNode() { return XmlNode(this, doc_); }
    // The first element child of the document; null when there is none.
    XmlNode DocumentElement();

    // Makes a declaration the first child of the document. Items with an
    // empty value are left out.
    void SetDeclaration(std::wstring_view version, std::wstring_view encoding, std::wstring_view standalone = {});

    // Appends an element as the last child of parent, surrounded by the
    // indentation text when automatic indentation is on. Raises EXMLError
    // for a name that is no XML name or a parent that cannot hold elements.
    XmlNode AppendElement(const XmlNode& parent, std::wstring_view name);

    // Takes the node and its subtree out of the tree. Handles to it stay
    // usable, and it is never written. Raises EXMLError for the document
    // element.
    void RemoveChild(const XmlNode& child);

    // Nodes that RemoveChild took out wait in the holder, the last live
    // child of the document; removed declarations wait behind it.
    bool IsHolder(pugi::xml_node node) const { return holder_ && node == holder_; }
    // The holder and the removed declarations behind it.
    bool IsDetached(pugi::xml_node node) const;

private:
    // The live top-level nodes, the given declaration in place of the
    // tree's own when there is one.
    std::string Print(pugi::xml_node declaration) const;
    pugi::xml_node Declaration() const;
    // The encoding the next write uses while every character fits.
    XmlEncoding WriteEncoding() const;

    pugi::xml_document doc_;
    pugi::xml_node holder_;
    // Set when the file was read as UTF-16, in the byte order it had.
    std::optional<XmlEncoding> readUtf16_;
    std::wstring fileName_;
    std::wstring indent_ = L"\t";
    bool autoIndent_ = false;
    bool modified_ = false;
};

}  // namespace velnor
