#include "xmlinifiles/xml_document.h"

#include <algorithm>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/utf.h"
#include "xmlinifiles/xml_encoding.h"
#include "xmlinifiles/xml_names.h"

namespace velnor {
namespace {

// No DOCTYPE node is kept, so no entity is ever declared, let alone expanded;
// nothing is fetched from outside.
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi | pugi::parse_comments;
// Raw output keeps a loaded file's layout; the store's own indentation is text
// in the tree.
constexpr unsigned kPrintFlags = pugi::format_raw | pugi::format_no_declaration;
constexpr size_t kLineTextLength = 40;

const wchar_t* ReasonOf(pugi::xml_parse_status status) {
    switch (status) {
        case pugi::status_out_of_memory: return L"メモリが不足しています";
        case pugi::status_unrecognized_tag: return L"認識できないタグがあります";
        case pugi::status_bad_pi: return L"処理命令または XML 宣言が正しくありません";
        case pugi::status_bad_comment: return L"コメントが正しくありません";
        case pugi::status_bad_cdata: return L"CDATA セクションが正しくありません";
        case pugi::status_bad_doctype: return L"文書型宣言が正しくありません";
        case pugi::status_bad_pcdata: return L"テキストが正しくありません";
        case pugi::status_bad_start_element: return L"開始タグが正しくありません";
        case pugi::status_bad_attribute: return L"属性が正しくありません";
        case pugi::status_bad_end_element: return L"終了タグが正しくありません";
        case pugi::status_end_element_mismatch: return L"終了タグが開始タグと一致しません";
        case pugi::status_no_document_element: return L"ルート要素がありません";
        default: return L"XML 文書を読み込めません";
    }
}

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
    return EXMLError(std::wstring(reason) + L"\r\n" + L"行" + L": " + std::to_wstring(line) + L"\r\n" + start);
}

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
    std::string out;
};

std::string DeclaredEncoding(const pugi::xml_document& doc) {
    for (pugi::xml_node c = doc.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_declaration) return c.attribute("encoding").value();
    return {};
}

}  // namespace

XmlDocument::XmlDocument() = default;

void XmlDocument::LoadFromBytes(std::string_view bytes) {
    doc_.reset();
    holder_ = pugi::xml_node();
    modified_ = false;
    if (bytes.size() > kMaxFileBytes) throw ParseError(L"ファイルが大きすぎます", bytes.substr(0, 4096), 0);
    const DecodedXml decoded = DecodeXmlBytes(bytes);
    if (!decoded.ok) throw ParseError(decoded.reason, decoded.utf8, decoded.errorOffset);
    const pugi::xml_parse_result r =
        doc_.load_buffer(decoded.utf8.data(), decoded.utf8.size(), kParseFlags, pugi::encoding_utf8);
    if (!r) {
        doc_.reset();
        throw ParseError(ReasonOf(r.status), decoded.utf8, static_cast<size_t>(std::max<ptrdiff_t>(r.offset, 0)));
    }
    // A file in an encoding the store cannot write back would be damaged by
    // the next write, so it is refused instead.
    if (!EncodingFromLabel(Utf8ToWide(DeclaredEncoding(doc_)))) {
        doc_.reset();
        throw ParseError(L"この文字エンコードには対応していません", decoded.utf8, 0);
    }
}

void XmlDocument::LoadFromFile(const std::wstring& path) { LoadFromBytes(ReadFileBytes(path)); }

std::string XmlDocument::SaveToBytes() const {
    StringWriter writer;
    for (pugi::xml_node c = doc_.first_child(); c; c = c.next_sibling()) {
        if (IsHolder(c)) continue;
        c.print(writer, "\t", kPrintFlags, pugi::encoding_utf8);
        writer.out += "\r\n";
    }
    const auto encoding = EncodingFromLabel(Utf8ToWide(DeclaredEncoding(doc_)));
    return EncodeXmlText(writer.out, encoding.value_or(XmlEncoding::Utf8));
}

void XmlDocument::SaveToFile(const std::wstring& path) {
    WriteFileAtomic(path, SaveToBytes());
    modified_ = false;
}

XmlNode XmlDocument::DocumentElement() {
    for (pugi::xml_node c = doc_.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && !IsHolder(c)) return XmlNode(this, c);
    return {};
}

void XmlDocument::SetDeclaration(std::wstring_view version, std::wstring_view encoding, std::wstring_view standalone) {
    pugi::xml_node decl;
    for (pugi::xml_node c = doc_.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_declaration) decl = c;
    if (decl) {
        while (decl.first_attribute()) decl.remove_attribute(decl.first_attribute());
        if (decl != doc_.first_child()) doc_.prepend_move(decl);
    } else {
        decl = doc_.prepend_child(pugi::node_declaration);
    }
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
    pugi::xml_node e = p.append_child(pugi::node_element);
    if (!e) throw EXMLError(L"このノードには要素を追加できません");
    e.set_name(WideToUtf8(name).c_str());
    if (indent) p.append_child(pugi::node_pcdata).set_value(lineEnd.c_str());
    modified_ = true;
    return XmlNode(this, e);
}

void XmlDocument::RemoveChild(const XmlNode& child) {
    if (child.IsNull() || child.Document() != this || child.Kind() == XmlNodeKind::Document) return;
    if (!holder_) holder_ = doc_.append_child(pugi::node_element);
    if (!holder_ || !holder_.append_move(child.Raw())) throw EXMLError(L"ノードを削除できません");
    modified_ = true;
}

}  // namespace velnor
