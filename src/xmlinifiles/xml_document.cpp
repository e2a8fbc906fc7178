#include "xmlinifiles/xml_document.h"

#include <algorithm>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/utf.h"
#include "xmlinifiles/xml_encoding.h"
#include "xmlinifiles/xml_names.h"
#include "xmlinifiles/xml_wellformed.h"

namespace velnor {
namespace {

// A document type declaration is refused before this parse, so no entity is
// ever declared, let alone expanded; nothing is fetched from outside.
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi | pugi::parse_comments;
// Raw output keeps a loaded file's layout; the store's own indentation is text
// in the tree.
constexpr unsigned kPrintFlags = pugi::format_raw | pugi::format_no_declaration;
constexpr size_t kLineTextLength = 40;

// "%s%s%s: %d%s%s": the reason, CR LF, "行", the line number, CR LF and the
// start of the failing line.
EXMLError ParseError(std::wstring_view reason, std::string_view text, size_t offset) {
    offset = std::min(offset, text.size());
    int line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::wstring start = Utf8ToWide(text.substr(lineStart, lineEnd - lineStart));
    if (start.size() > kLineTextLength) start.resize(kLineTextLength);
    return EXMLError(std::wstring(reason) + L"\r\n" + L"行" + L": " + IntegerToText(line) + L"\r\n" + start);
}

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
    std::string out;
};

}  // namespace

XmlDocument::XmlDocument() = default;

void XmlDocument::LoadFromBytes(std::string_view bytes) {
    doc_.reset();
    holder_ = pugi::xml_node();
    readUtf16_.reset();
    modified_ = false;
    if (bytes.size() > kMaxFileBytes) throw ParseError(L"ファイルが大きすぎます", bytes.substr(0, 4096), 0);
    const DecodedXml decoded = DecodeXmlBytes(bytes);
    if (!decoded.ok) throw ParseError(decoded.reason, decoded.utf8, decoded.errorOffset);
    if (const auto fault = FindDocumentTypeDeclaration(decoded.utf8))
        throw ParseError(fault->reason, decoded.utf8, fault->offset);
    const pugi::xml_parse_result r =
        doc_.load_buffer(decoded.utf8.data(), decoded.utf8.size(), kParseFlags, pugi::encoding_utf8);
    if (!r) {
        doc_.reset();
        throw ParseError(ParseStatusReason(r.status), decoded.utf8, static_cast<size_t>(std::max<ptrdiff_t>(r.offset, 0)));
    }
    // The engine lets some malformed documents through; written back, they
    // would be malformed again or lose what it skipped.
    if (const auto fault = FindWellFormednessFault(decoded.utf8)) {
        doc_.reset();
        throw ParseError(fault->reason, decoded.utf8, fault->offset);
    }
    // A file in an encoding the store cannot write back would be damaged by
    // the next write, so it is refused instead.
    const std::wstring label = Utf8ToWide(Declaration().attribute("encoding").value());
    if (!EncodingFromLabel(label)) {
        doc_.reset();
        throw ParseError(UnsupportedEncodingReason(label), decoded.utf8, 0);
    }
    if (!LabelFitsBytes(label, decoded.encoding)) {
        doc_.reset();
        throw ParseError(ContradictedEncodingReason(label), decoded.utf8, 0);
    }
    const XmlEncoding::Form form = decoded.encoding.form;
    if (form == XmlEncoding::Form::Utf16Le || form == XmlEncoding::Form::Utf16Be) readUtf16_ = decoded.encoding;
}

void XmlDocument::LoadFromFile(const std::wstring& path) { LoadFromBytes(ReadFileBytes(path)); }

XmlEncoding XmlDocument::WriteEncoding() const {
    // A file read as UTF-16 keeps its byte order, which its declaration (if
    // any) cannot contradict; see LabelFitsBytes.
    if (readUtf16_) return *readUtf16_;
    return EncodingFromLabel(Utf8ToWide(Declaration().attribute("encoding").value())).value_or(XmlEncoding{});
}

std::string XmlDocument::SaveToBytes() const {
    const pugi::xml_node declaration = Declaration();
    if (const auto bytes = EncodeXmlText(Print({}), WriteEncoding())) return *bytes;
    // Some character has no place in the declared code page: the file is
    // written as UTF-8 and its declaration says so. The tree keeps its own.
    pugi::xml_document scratch;
    pugi::xml_node utf8 = scratch.append_copy(declaration);
    utf8.attribute("encoding").set_value("utf-8");
    return Print(utf8);
}

std::string XmlDocument::Print(pugi::xml_node declaration) const {
    StringWriter writer;
    for (pugi::xml_node c = doc_.first_child(); c && !IsHolder(c); c = c.next_sibling()) {
        const pugi::xml_node printed = declaration && c.type() == pugi::node_declaration ? declaration : c;
        printed.print(writer, "\t", kPrintFlags, pugi::encoding_utf8);
        writer.out += "\r\n";
    }
    return writer.out;
}

pugi::xml_node XmlDocument::Declaration() const {
    for (pugi::xml_node c = doc_.first_child(); c && !IsHolder(c); c = c.next_sibling())
        if (c.type() == pugi::node_declaration) return c;
    return {};
}

void XmlDocument::SaveToFile(const std::wstring& path) {
    WriteFileAtomic(path, SaveToBytes());
    modified_ = false;
}

XmlNode XmlDocument::DocumentElement() {
    for (pugi::xml_node c = doc_.first_child(); c && !IsHolder(c); c = c.next_sibling())
        if (c.type() == pugi::node_element) return XmlNode(this, c);
    return {};
}

bool XmlDocument::IsDetached(pugi::xml_node node) const {
    if (!holder_ || !node) return false;
    for (pugi::xml_node c = holder_; c; c = c.next_sibling())
        if (c == node) return true;
    return false;
}

void XmlDocument::SetDeclaration(std::wstring_view version, std::wstring_view encoding, std::wstring_view standalone) {
    pugi::xml_node decl = Declaration();
    if (decl) {
        while (decl.first_attribute()) decl.remove_attribute(decl.first_attribute());
        if (decl != doc_.first_child()) doc_.prepend_move(decl);
    } else {
        decl = doc_.prepend_child(pugi::node_declaration);
    }
    readUtf16_.reset();
    const std::pair<const char*, std::wstring_view> items[] = {
        {"version", version}, {"encoding", encoding}, {"standalone", standalone}};
    for (const auto& [name, value] : items)
        if (!value.empty()) decl.append_attribute(name).set_value(WideToUtf8(value).c_str());
    modified_ = true;
}

XmlNode XmlDocument::AppendElement(const XmlNode& parent, std::wstring_view name) {
    const XmlNodeKind kind = parent.Kind();
    if (parent.Document() != this || (kind != XmlNodeKind::Element && kind != XmlNodeKind::Document))
        throw EXMLError(L"このノードには要素を追加できません");
    if (!IsXmlName(name)) throw EXMLError(L"\"" + std::wstring(name) + L"\" は要素名として使用できません");
    // A second element at the top would make the file malformed.
    if (kind == XmlNodeKind::Document && DocumentElement())
        throw EXMLError(L"ルート要素は一つしか置けません");
    pugi::xml_node p = parent.Raw();
    const bool indent = autoIndent_ && kind == XmlNodeKind::Element;
    std::string lineEnd(1, '\n');
    if (indent) {
        int ancestors = 0;
        for (pugi::xml_node a = p.parent(); a; a = a.parent()) ++ancestors;
        const std::string unit = WideToUtf8(indent_);
        for (int i = 1; i < ancestors; ++i) lineEnd += unit;
        if (!p.first_child()) p.append_child(pugi::node_pcdata).set_value(lineEnd.c_str());
        p.append_child(pugi::node_pcdata).set_value(unit.c_str());
    }
    // Top-level nodes stay before the nodes that were taken out.
    pugi::xml_node e = kind == XmlNodeKind::Document && holder_ ? p.insert_child_before(pugi::node_element, holder_)
                                                                 : p.append_child(pugi::node_element);
    if (!e) throw EXMLError(L"このノードには要素を追加できません");
    e.set_name(WideToUtf8(name).c_str());
    if (indent) p.append_child(pugi::node_pcdata).set_value(lineEnd.c_str());
    modified_ = true;
    return XmlNode(this, e);
}

void XmlDocument::RemoveChild(const XmlNode& child) {
    if (child.IsNull() || child.Document() != this || child.Kind() == XmlNodeKind::Document || IsDetached(child.Raw()))
        return;
    // Without its root element the file could not be read again.
    if (child == DocumentElement()) throw EXMLError(L"ルート要素は削除できません");
    if (!holder_) holder_ = doc_.append_child(pugi::node_element);
    // Only the document itself can hold a declaration, so a removed one
    // waits behind the holder.
    const bool moved = child.Kind() == XmlNodeKind::Declaration ? static_cast<bool>(doc_.append_move(child.Raw()))
                                                                 : static_cast<bool>(holder_.append_move(child.Raw()));
    if (!holder_ || !moved) throw EXMLError(L"ノードを削除できません");
    modified_ = true;
}

}  // namespace velnor
