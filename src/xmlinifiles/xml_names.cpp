#include "xmlinifiles/xml_names.h"

#include "platform/utf.h"

namespace velnor {
namespace {

bool IsNameStartChar(char32_t c) {
    return c == U':' || (c >= U'A' && c <= U'Z') || c == U'_' || (c >= U'a' && c <= U'z') ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
           (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
    return IsNameStartChar(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

}  // namespace

bool IsXmlName(std::wstring_view name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size();) {
        const DecodedChar c = DecodeUtf16At(name, i);
        if (IsSurrogate(c.codePoint)) return false;
        if (!(i == 0 ? IsNameStartChar(c.codePoint) : IsNameChar(c.codePoint))) return false;
        i += c.length;
    }
    return true;
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsXmlText(std::wstring_view text) {
    for (size_t i = 0; i < text.size();) {
        const DecodedChar c = DecodeUtf16At(text, i);
        if (!IsXmlChar(c.codePoint)) return false;
        i += c.length;
    }
    return true;
}

std::wstring_view LocalNameOf(std::wstring_view name) {
    const size_t colon = name.find(L':');
    return colon == std::wstring_view::npos ? name : name.substr(colon + 1);
}

}  // namespace velnor
