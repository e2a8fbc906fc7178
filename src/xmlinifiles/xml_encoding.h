// The byte encodings a settings file may come in, and the one it is written
// in. The engine always works on UTF-8; conversion happens here, at the edge.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velnor {

enum class XmlEncoding { Utf8, Utf16Le, Utf16Be };

struct DecodedXml {
    std::string utf8;  // on failure: the text decoded up to the fault
    bool ok = true;
    size_t errorOffset = 0;  // into utf8
    std::wstring reason;
};

// Recognises UTF-8 (with or without a byte-order mark) and UTF-16 of either
// byte order (by its mark, or by "<" as the first character). Invalid
// sequences and NUL characters are faults, reported with their position.
DecodedXml DecodeXmlBytes(std::string_view bytes);

// The encoding a declaration's encoding label asks for; nothing for a label
// the store cannot write faithfully. An empty label means UTF-8.
std::optional<XmlEncoding> EncodingFromLabel(std::wstring_view label);

// UTF-8 text in the given encoding; UTF-16 gets a byte-order mark.
std::string EncodeXmlText(std::string_view utf8, XmlEncoding encoding);

}  // namespace velnor
