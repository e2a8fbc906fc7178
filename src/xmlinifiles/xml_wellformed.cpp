#include "xmlinifiles/xml_wellformed.h"

#include <unordered_set>

#include "platform/utf.h"
#include "xmlinifiles/xml_names.h"

namespace velnor {
namespace {

// The file as written: no references expanded, no line ends or attribute
// whitespace normalised, so that every value is the source text at its own
// offset; top-level text and the document type declaration are kept.
constexpr unsigned kRawFlags = pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration |
                               pugi::parse_doctype | pugi::parse_fragment;

using Fault = std::optional<WellFormednessFault>;

Fault At(std::wstring reason, size_t offset) { return WellFormednessFault{std::move(reason), offset}; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Bytes that can continue a reference's name or number; the rest end it.
bool IsReferenceByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || c == '_' ||
           c == ':' || c == '.' || c == '-' || c == '#';
}

bool StartsWith(std::string_view s, size_t at, std::string_view prefix) { return s.substr(at, prefix.size()) == prefix; }

class Checker {
public:
    explicit Checker(std::string_view text) : text_(text) {}

    Fault Run() {
        for (size_t i = 0; i < text_.size();) {
            const size_t at = i;
            const auto b = static_cast<unsigned char>(text_[i]);
            if (b >= 0x20 && b < 0x80) {
                ++i;
                continue;
            }
            const DecodedChar c = DecodeUtf8At(text_, i);
            if (c.length == 0 || !IsXmlChar(c.codePoint)) return At(L"XML で使用できない文字があります", at);
            i += c.length;
        }
        const pugi::xml_parse_result r = doc_.load_buffer(text_.data(), text_.size(), kRawFlags, pugi::encoding_utf8);
        if (!r) return At(ParseStatusReason(r.status), static_cast<size_t>(r.offset < 0 ? 0 : r.offset));
        FindBase();
        if (Fault f = CheckTopLevel()) return f;
        // Every node, without recursion: files may nest very deeply.
        pugi::xml_node n = doc_.first_child();
        while (n) {
            if (Fault f = CheckNode(n)) return f;
            pugi::xml_node next = n.first_child();
            while (!next && n != doc_) {
                next = n.next_sibling();
                if (!next) n = n.parent();
            }
            n = next;
        }
        return std::nullopt;
    }

private:
    // Where a name or value of the raw tree stands in the text.
    size_t Offset(const char* p) const {
        if (!base_ || p < base_ || p > base_ + text_.size()) return 0;
        return static_cast<size_t>(p - base_);
    }

    void FindBase() {
        for (pugi::xml_node n = doc_.first_child(); n; n = n.next_sibling()) {
            const ptrdiff_t offset = n.offset_debug();
            if (offset < 0) continue;
            const bool named = n.type() == pugi::node_element || n.type() == pugi::node_declaration ||
                               n.type() == pugi::node_pi;
            base_ = (named ? n.name() : n.value()) - offset;
            return;
        }
    }

    Fault CheckTopLevel() {
        bool element = false;
        for (pugi::xml_node n = doc_.first_child(); n; n = n.next_sibling()) {
            switch (n.type()) {
                case pugi::node_declaration: {
                    const size_t at = Offset(n.name()) - 2;
                    if (n != doc_.first_child() || at != 0) return At(L"XML 宣言が文書の先頭にありません", at);
                    if (Fault f = CheckDeclaration(n)) return f;
                    break;
                }
                case pugi::node_doctype:
                    // One before the root element is refused before this pass.
                    return At(ParseStatusReason(pugi::status_bad_doctype), Offset(n.value()));
                case pugi::node_element:
                    if (element) return At(L"ルート要素の後に別の要素があります", Offset(n.name()) - 1);
                    element = true;
                    break;
                case pugi::node_pcdata:
                case pugi::node_cdata: {
                    const char* v = n.value();
                    while (IsSpace(*v)) ++v;
                    return At(L"ルート要素の外にテキストがあります", Offset(v));
                }
                default: break;
            }
        }
        if (!element) return At(ParseStatusReason(pugi::status_no_document_element), text_.size());
        return std::nullopt;
    }

    // version, then encoding, then standalone, nothing else.
    Fault CheckDeclaration(pugi::xml_node decl) {
        const Fault bad = At(ParseStatusReason(pugi::status_bad_pi), 0);
        if (std::string_view(decl.name()) != "xml") return bad;
        pugi::xml_attribute a = decl.first_attribute();
        auto is = [&](const char* name) { return a && std::string_view(a.name()) == name; };
        if (!is("version")) return bad;
        const std::string_view version = a.value();
        if (version.size() < 3 || version.substr(0, 2) != "1." ||
            version.find_first_not_of("0123456789", 2) != std::string_view::npos)
            return bad;
        a = a.next_attribute();
        if (is("encoding")) {
            const std::string_view name = a.value();
            auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
            if (name.empty() || !letter(name[0])) return bad;
            for (char c : name)
                if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return bad;
            a = a.next_attribute();
        }
        if (is("standalone")) {
            const std::string_view value = a.value();
            if (value != "yes" && value != "no") return bad;
            a = a.next_attribute();
        }
        if (a) return bad;
        return std::nullopt;
    }

    Fault CheckName(const char* name) const {
        // The engine lets only ASCII name characters into an ASCII name; the
        // others it takes on trust.
        bool ascii = true;
        for (const char* p = name; *p && ascii; ++p) ascii = static_cast<unsigned char>(*p) < 0x80;
        if ((ascii && *name) || IsXmlName(Utf8ToWide(name))) return std::nullopt;
        return At(L"名前に使えない文字があります", Offset(name));
    }

    Fault CheckNode(pugi::xml_node n) {
        switch (n.type()) {
            case pugi::node_element: {
                if (Fault f = CheckName(n.name())) return f;
                // Most elements have one attribute or none; a set only for many.
                std::unordered_set<std::string_view> names;
                int count = 0;
                for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute(), ++count) {
                    if (Fault f = CheckName(a.name())) return f;
                    bool repeated = false;
                    if (count < 8) {
                        for (pugi::xml_attribute b = n.first_attribute(); b != a && !repeated; b = b.next_attribute())
                            repeated = std::string_view(b.name()) == a.name();
                    } else {
                        if (names.empty())
                            for (pugi::xml_attribute b = n.first_attribute(); b != a; b = b.next_attribute())
                                names.insert(b.name());
                        repeated = !names.insert(a.name()).second;
                    }
                    if (repeated)
                        return At(L"属性 \"" + Utf8ToWide(a.name()) + L"\" が重複しています", Offset(a.name()));
                    if (Fault f = CheckText(a.value(), true)) return f;
                }
                return std::nullopt;
            }
            case pugi::node_pcdata:
                if (n.parent() == doc_) return std::nullopt;
                return CheckText(n.value(), false);
            case pugi::node_comment: {
                const std::string_view c = n.value();
                const size_t dashes = c.find("--");
                if (dashes != std::string_view::npos) return At(ParseStatusReason(pugi::status_bad_comment), Offset(n.value() + dashes));
                if (!c.empty() && c.back() == '-') return At(ParseStatusReason(pugi::status_bad_comment), Offset(n.value()));
                return std::nullopt;
            }
            case pugi::node_pi: return CheckName(n.name());
            default: return std::nullopt;
        }
    }

    // Text and attribute values as written: every "&" begins a complete
    // reference to a character or a declared entity.
    Fault CheckText(const char* raw, bool attribute) const {
        const std::string_view s = raw;
        for (size_t i = 0; i < s.size(); ++i) {
            if (attribute && s[i] == '<') return At(L"属性値に \"<\" は使えません", Offset(raw + i));
            if (!attribute && StartsWith(s, i, "]]>")) return At(L"テキストに \"]]>\" は使えません", Offset(raw + i));
            if (s[i] != '&') continue;
            size_t end = i + 1;
            while (end < s.size() && IsReferenceByte(s[end])) ++end;
            const std::string_view body = s.substr(i + 1, end - i - 1);
            if (end >= s.size() || s[end] != ';' || body.empty())
                return At(L"\"&\" の後に正しい参照がありません", Offset(raw + i));
            if (body[0] == '#') {
                if (!IsCharacterReference(body)) return At(L"文字参照が正しくありません", Offset(raw + i));
            } else if (!IsXmlName(Utf8ToWide(body))) {
                return At(L"\"&\" の後に正しい参照がありません", Offset(raw + i));
            } else if (!IsPredefined(body)) {
                // Without a document type declaration no other entity exists.
                return At(L"実体 \"" + Utf8ToWide(body) + L"\" は宣言されていません", Offset(raw + i));
            }
            i = end;
        }
        return std::nullopt;
    }

    static bool IsPredefined(std::string_view name) {
        return name == "amp" || name == "lt" || name == "gt" || name == "apos" || name == "quot";
    }

    // "#" and decimal digits or "#x" and hexadecimal digits, naming a legal
    // character.
    static bool IsCharacterReference(std::string_view body) {
        const bool hex = body.size() > 1 && body[1] == 'x';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty()) return false;
        char32_t value = 0;
        for (char c : digits) {
            unsigned d = 0;
            if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
            else if (hex && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
            else return false;
            value = value * (hex ? 16 : 10) + d;
            if (value > 0x10FFFF) return false;
        }
        return IsXmlChar(value);
    }

    std::string_view text_;
    pugi::xml_document doc_;
    const char* base_ = nullptr;
};

}  // namespace

const wchar_t* ParseStatusReason(pugi::xml_parse_status status) {
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

std::optional<WellFormednessFault> FindWellFormednessFault(std::string_view utf8) { return Checker(utf8).Run(); }

std::optional<WellFormednessFault> FindDocumentTypeDeclaration(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        if (IsSpace(utf8[i])) {
            ++i;
        } else if (StartsWith(utf8, i, "<?") || StartsWith(utf8, i, "<!--")) {
            // The end is sought behind the whole opening: in "<!-->" the
            // dashes belong to the opening, and the comment goes on.
            const bool pi = utf8[i + 1] == '?';
            const std::string_view end = pi ? "?>" : "-->";
            const size_t close = utf8.find(end, i + (pi ? 2 : 4));
            if (close == std::string_view::npos) return std::nullopt;
            i = close + end.size();
        } else if (StartsWith(utf8, i, "<!DOCTYPE")) {
            return At(L"文書型宣言 (DOCTYPE) は使用できません", i);
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace velnor
