#include "xmlinifiles/xml_encoding.h"

#include <algorithm>

#include "platform/ansi_codec.h"
#include "platform/utf.h"

namespace velnor {
namespace {

const wchar_t* const kInvalidCharacter = L"文字エンコードとして無効なデータがあります";

DecodedXml FromUtf8(std::string_view s) {
    DecodedXml r;
    size_t i = 0;
    while (i < s.size()) {
        const size_t length = s[i] == '\0' ? 0 : DecodeUtf8At(s, i).length;
        if (length == 0) {
            r.utf8.assign(s.substr(0, i));
            r.ok = false;
            r.errorOffset = i;
            r.reason = kInvalidCharacter;
            return r;
        }
        i += length;
    }
    r.utf8.assign(s);
    return r;
}

DecodedXml FromUtf16(std::string_view s, UnicodeForm form) {
    DecodedXml r;
    r.utf8.reserve(s.size());
    auto fail = [&]() {
        r.ok = false;
        r.errorOffset = r.utf8.size();
        r.reason = kInvalidCharacter;
        return r;
    };
    const std::string_view whole = s.substr(0, s.size() - s.size() % 2);
    const std::wstring units = UnicodeToWide(whole, form);
    for (size_t i = 0; i < units.size();) {
        const DecodedChar c = DecodeUtf16At(units, i);
        if (c.codePoint == 0 || IsSurrogate(c.codePoint)) return fail();
        AppendUtf8(r.utf8, c.codePoint);
        i += c.length;
    }
    // A byte left over halves a character.
    if (whole.size() != s.size()) return fail();
    return r;
}


// Encoding labels that name a Windows code page. A code page is only used
// where the system can convert it; see EncodingFromLabel.
struct CodePageLabel {
    const wchar_t* label;
    unsigned codePage;
};
constexpr CodePageLabel kCodePageLabels[] = {
    {L"shift_jis", 932}, {L"shift-jis", 932}, {L"sjis", 932}, {L"x-sjis", 932}, {L"ms_kanji", 932},
    {L"csshiftjis", 932}, {L"windows-31j", 932}, {L"cswindows31j", 932}, {L"ms932", 932}, {L"x-ms-cp932", 932},
    {L"iso-8859-1", 28591}, {L"iso8859-1", 28591}, {L"iso_8859-1", 28591}, {L"iso_8859-1:1987", 28591},
    {L"latin1", 28591}, {L"l1", 28591}, {L"iso-ir-100", 28591}, {L"cp819", 28591}, {L"ibm819", 28591},
    {L"csisolatin1", 28591},
    {L"us-ascii", 20127}, {L"ascii", 20127}, {L"iso646-us", 20127}, {L"iso_646.irv:1991", 20127},
    {L"ansi_x3.4-1968", 20127}, {L"ansi_x3.4-1986", 20127}, {L"cp367", 20127}, {L"ibm367", 20127}, {L"us", 20127},
    {L"csascii", 20127}, {L"iso-ir-6", 20127},
    {L"x-cp1252", 1252}, {L"cswindows1252", 1252},
    {L"euc-jp", 20932}, {L"x-euc-jp", 20932}, {L"cseucpkdfmtjapanese", 20932},
    {L"gbk", 936}, {L"gb2312", 936}, {L"csgb2312", 936},
    {L"big5", 950}, {L"csbig5", 950},
    {L"euc-kr", 949}, {L"ks_c_5601-1987", 949}, {L"cseuckr", 949},
    {L"koi8-r", 20866}, {L"cskoi8r", 20866}, {L"koi8-u", 21866},
};

// "windows-1250" to "windows-1258", "cp932" and the like: the number is the
// code page. "iso-8859-2" and its spellings: the ISO code pages 28592 on.
unsigned NumberedCodePage(std::wstring_view label) {
    auto number = [](std::wstring_view digits) -> unsigned {
        if (digits.empty() || digits.size() > 5) return 0;
        unsigned n = 0;
        for (wchar_t c : digits) {
            if (c < L'0' || c > L'9') return 0;
            n = n * 10 + static_cast<unsigned>(c - L'0');
        }
        return n;
    };
    auto startsWith = [&](std::wstring_view prefix) {
        return label.size() > prefix.size() && EqualsIgnoringAsciiCase(label.substr(0, prefix.size()), prefix);
    };
    for (std::wstring_view prefix : {L"windows-", L"cp"}) {
        if (!startsWith(prefix)) continue;
        const unsigned n = number(label.substr(prefix.size()));
        if (n == 932 || n == 936 || n == 949 || n == 950 || (n >= 1250 && n <= 1258)) return n;
    }
    for (std::wstring_view prefix : {L"iso-8859-", L"iso8859-", L"iso_8859-"}) {
        if (!startsWith(prefix)) continue;
        const unsigned n = number(label.substr(prefix.size()));
        if ((n >= 1 && n <= 9) || n == 13 || n == 15) return 28590 + n;
    }
    return 0;
}

// The encoding label of an XML declaration at the start of ASCII-compatible
// bytes; empty when there is none.
std::string DeclaredLabel(std::string_view bytes) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    if (bytes.substr(0, 5) != "<?xml" || bytes.size() < 6 || !space(bytes[5])) return {};
    const std::string_view decl = bytes.substr(0, bytes.find("?>"));
    for (size_t at = decl.find("encoding"); at != std::string_view::npos; at = decl.find("encoding", at + 1)) {
        if (!space(decl[at - 1])) continue;
        size_t i = at + 8;
        while (i < decl.size() && space(decl[i])) ++i;
        if (i >= decl.size() || decl[i] != '=') continue;
        ++i;
        while (i < decl.size() && space(decl[i])) ++i;
        if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) continue;
        const size_t end = decl.find(decl[i], i + 1);
        if (end == std::string_view::npos) return {};
        return std::string(decl.substr(i + 1, end - i - 1));
    }
    return {};
}

// The ASCII bytes at the start of the text, which read the same in every
// encoding the store knows without a byte-order mark.
std::string AsciiPrefix(std::string_view bytes) {
    size_t n = 0;
    while (n < bytes.size() && static_cast<unsigned char>(bytes[n]) < 0x80 && bytes[n] != 0) ++n;
    return std::string(bytes.substr(0, n));
}

// The text the bytes stand for, judged by the text: a code page may hold one
// character under several codes (Windows-31J's NEC and IBM rows), and a write
// gives it its usual one. But a byte above 0x7F never stands for an ASCII
// character: that is the system's best fit (Windows' US-ASCII drops the high
// bit), which would silently change the value.
std::optional<std::wstring> ReadFaithfully(unsigned codePage, std::string_view bytes) {
    auto text = CodePageToWide(codePage, bytes);
    if (!text) return std::nullopt;
    const auto asciiBytes = std::count_if(bytes.begin(), bytes.end(), [](char b) { return (b & 0x80) == 0; });
    const auto asciiCharacters = std::count_if(text->begin(), text->end(), [](wchar_t c) { return c < 0x80; });
    if (asciiCharacters > asciiBytes) return std::nullopt;
    return text;
}

DecodedXml FromCodePage(std::string_view bytes, unsigned codePage, std::string_view label) {
    DecodedXml r;
    auto fail = [&](std::wstring reason) {
        r.ok = false;
        r.errorOffset = r.utf8.size();
        r.reason = std::move(reason);
        return r;
    };
    const std::wstring unreadable = L"文字エンコード \"" + Utf8ToWide(label) + L"\" として読めないデータがあります";
    if (const auto whole = ReadFaithfully(codePage, bytes)) {
        r.utf8 = WideToUtf8(*whole);
    } else {
        // Found again line by line for the message: a line feed byte is a
        // line feed in every code page the store reads.
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            end = end == std::string_view::npos ? bytes.size() : end + 1;
            const std::string_view line = bytes.substr(start, end - start);
            const auto text = ReadFaithfully(codePage, line);
            if (!text) {
                r.utf8 += AsciiPrefix(line);
                return fail(unreadable);
            }
            r.utf8 += WideToUtf8(*text);
            start = end;
        }
        return fail(unreadable);
    }
    const size_t nul = r.utf8.find('\0');
    if (nul != std::string::npos) {
        r.utf8.resize(nul);
        return fail(kInvalidCharacter);
    }
    return r;
}

}  // namespace

std::wstring UnsupportedEncodingReason(std::wstring_view label) {
    return L"文字エンコード \"" + std::wstring(label) + L"\" には対応していません";
}

bool LabelFitsBytes(std::wstring_view label, XmlEncoding read) {
    using Form = XmlEncoding::Form;
    const auto declared = EncodingFromLabel(label);
    if (!declared) return false;
    const bool declaredUtf16 = declared->form == Form::Utf16Le || declared->form == Form::Utf16Be;
    switch (read.form) {
        case Form::Utf16Le:
        case Form::Utf16Be: {
            if (declared->form == Form::Utf8) return true;
            if (!declaredUtf16) return false;
            // "utf-16" and its aliases leave the order to the mark.
            const wchar_t* other = read.form == Form::Utf16Le ? L"utf-16be" : L"utf-16le";
            return !EqualsIgnoringAsciiCase(label, other);
        }
        // Read as UTF-8 means a UTF-8 mark or no code page declared: behind the
        // mark, a code page contradicts it as much as UTF-16 does, and would
        // have the next write change the file's encoding.
        case Form::Utf8: return declared->form == Form::Utf8;
        case Form::CodePage: return true;
    }
    return true;
}

std::wstring ContradictedEncodingReason(std::wstring_view label) {
    return L"宣言された文字エンコード \"" + std::wstring(label) + L"\" とファイルの文字エンコードが一致しません";
}

DecodedXml DecodeXmlBytes(std::string_view bytes) {
    using Form = XmlEncoding::Form;
    auto read = [](DecodedXml decoded, XmlEncoding encoding) {
        decoded.encoding = encoding;
        return decoded;
    };
    if (const auto form = FormByMark(bytes)) {
        const std::string_view text = bytes.substr(ByteOrderMark(*form).size());
        if (*form == UnicodeForm::Utf8) return FromUtf8(text);
        return read(FromUtf16(text, *form), {*form == UnicodeForm::Utf16Le ? Form::Utf16Le : Form::Utf16Be});
    }
    // Without a mark, XML allows UTF-16 only when a declaration opens it.
    auto at = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
    if (at(0) == '<' && at(1) == 0 && at(2) == '?' && at(3) == 0)
        return read(FromUtf16(bytes, UnicodeForm::Utf16Le), {Form::Utf16Le});
    if (at(0) == 0 && at(1) == '<' && at(2) == 0 && at(3) == '?')
        return read(FromUtf16(bytes, UnicodeForm::Utf16Be), {Form::Utf16Be});
    const std::string label = DeclaredLabel(bytes);
    const auto encoding = EncodingFromLabel(Utf8ToWide(label));
    if (!encoding) {
        DecodedXml r;
        r.utf8 = AsciiPrefix(bytes);
        r.ok = false;
        r.reason = UnsupportedEncodingReason(Utf8ToWide(label));
        return r;
    }
    if (encoding->form == Form::CodePage)
        return read(FromCodePage(bytes, encoding->codePage, label), *encoding);
    return FromUtf8(bytes);
}

std::optional<XmlEncoding> EncodingFromLabel(std::wstring_view label) {
    using Form = XmlEncoding::Form;
    for (const wchar_t* name : {L"", L"utf-8", L"utf8"})
        if (EqualsIgnoringAsciiCase(label, name)) return XmlEncoding{Form::Utf8};
    for (const wchar_t* name : {L"utf-16", L"utf-16le", L"ucs-2", L"unicode"})
        if (EqualsIgnoringAsciiCase(label, name)) return XmlEncoding{Form::Utf16Le};
    if (EqualsIgnoringAsciiCase(label, L"utf-16be")) return XmlEncoding{Form::Utf16Be};
    unsigned codePage = NumberedCodePage(label);
    for (const CodePageLabel& known : kCodePageLabels)
        if (codePage == 0 && EqualsIgnoringAsciiCase(label, known.label)) codePage = known.codePage;
    if (codePage == 0 || !CodePageAvailable(codePage)) return std::nullopt;
    return XmlEncoding{Form::CodePage, codePage};
}

std::optional<std::string> EncodeXmlText(std::string_view utf8, XmlEncoding encoding) {
    switch (encoding.form) {
        case XmlEncoding::Form::Utf8: return std::string(utf8);
        case XmlEncoding::Form::Utf16Le: return WithByteOrderMark(Utf8ToWide(utf8), UnicodeForm::Utf16Le);
        case XmlEncoding::Form::Utf16Be: return WithByteOrderMark(Utf8ToWide(utf8), UnicodeForm::Utf16Be);
        case XmlEncoding::Form::CodePage: return WideToCodePage(encoding.codePage, Utf8ToWide(utf8));
    }
    return std::string(utf8);
}

}  // namespace velnor
