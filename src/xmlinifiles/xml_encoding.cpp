#include "xmlinifiles/xml_encoding.h"

#include <cstdint>

#include "platform/utf.h"

namespace velnor {
namespace {

const wchar_t* const kInvalidCharacter = L"文字エンコードとして無効なデータがあります";

// Length of the valid UTF-8 sequence at i, or 0.
size_t Utf8SequenceAt(std::string_view s, size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 == 0) return 0;
    if (b0 < 0x80) return 1;
    size_t len = 0;
    char32_t cp = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

DecodedXml FromUtf8(std::string_view s) {
    DecodedXml r;
    size_t i = 0;
    while (i < s.size()) {
        const size_t len = Utf8SequenceAt(s, i);
        if (len == 0) {
            r.utf8.assign(s.substr(0, i));
            r.ok = false;
            r.errorOffset = i;
            r.reason = kInvalidCharacter;
            return r;
        }
        i += len;
    }
    r.utf8.assign(s);
    return r;
}

DecodedXml FromUtf16(std::string_view s, bool bigEndian) {
    DecodedXml r;
    r.utf8.reserve(s.size());
    auto unit = [&](size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(s[i]);
        const auto b = static_cast<unsigned char>(s[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    auto fail = [&]() {
        r.ok = false;
        r.errorOffset = r.utf8.size();
        r.reason = kInvalidCharacter;
        return r;
    };
    size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp == 0 || (cp >= 0xDC00 && cp <= 0xDFFF)) return fail();
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 3 >= s.size()) return fail();
            const char32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return fail();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(r.utf8, cp);
    }
    if (i < s.size()) return fail();
    return r;
}


}  // namespace

DecodedXml DecodeXmlBytes(std::string_view bytes) {
    auto at = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
    if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return FromUtf8(bytes.substr(3));
    if (at(0) == 0xFF && at(1) == 0xFE) return FromUtf16(bytes.substr(2), false);
    if (at(0) == 0xFE && at(1) == 0xFF) return FromUtf16(bytes.substr(2), true);
    if (at(0) == '<' && at(1) == 0) return FromUtf16(bytes, false);
    if (at(0) == 0 && at(1) == '<') return FromUtf16(bytes, true);
    return FromUtf8(bytes);
}

std::optional<XmlEncoding> EncodingFromLabel(std::wstring_view label) {
    for (const wchar_t* name : {L"", L"utf-8", L"utf8"})
        if (EqualsIgnoringAsciiCase(label, name)) return XmlEncoding::Utf8;
    for (const wchar_t* name : {L"utf-16", L"utf-16le", L"ucs-2", L"unicode"})
        if (EqualsIgnoringAsciiCase(label, name)) return XmlEncoding::Utf16Le;
    if (EqualsIgnoringAsciiCase(label, L"utf-16be")) return XmlEncoding::Utf16Be;
    return std::nullopt;
}

std::string EncodeXmlText(std::string_view utf8, XmlEncoding encoding) {
    switch (encoding) {
        case XmlEncoding::Utf8: return std::string(utf8);
        case XmlEncoding::Utf16Le: return "\xFF\xFE" + WideToUtf16Le(Utf8ToWide(utf8));
        case XmlEncoding::Utf16Be: return "\xFE\xFF" + WideToUtf16Be(Utf8ToWide(utf8));
    }
    return std::string(utf8);
}

}  // namespace velnor
