// XML name rules that the engine does not enforce itself.
#pragma once

#include <string_view>

namespace velnor {

// True when the text is an XML 1.0 Name (the names elements may carry).
// Works on UTF-16 code units; a surrogate pair stands for a character beyond
// the BMP, which names may contain.
bool IsXmlName(std::wstring_view name);

// True for the characters an XML 1.0 document may hold: TAB, LF, CR, and
// U+0020 up, without the surrogates, U+FFFE and U+FFFF.
bool IsXmlChar(char32_t c);

// True when every character of the text is one; a lone surrogate is not.
bool IsXmlText(std::wstring_view text);

// The part of a qualified name after its prefix ("b" for "a:b").
std::wstring_view LocalNameOf(std::wstring_view name);

}  // namespace velnor
