// The byte encodings a settings file may come in, and the one it is written
// in. The engine always works on UTF-8; conversion happens here, at the edge.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velnor {

struct XmlEncoding {
    enum class Form { Utf8, Utf16Le, Utf16Be, CodePage };
    Form form = Form::Utf8;
    unsigned codePage = 0;  // a Windows code page number, for Form::CodePage

    friend bool operator==(const XmlEncoding& a, const XmlEncoding& b) {
        return a.form == b.form && a.codePage == b.codePage;
    }
};

struct DecodedXml {
    std::string utf8;  // on failure: the text decoded up to the fault
    XmlEncoding encoding;  // what the bytes were read as
    bool ok = true;
    size_t errorOffset = 0;  // into utf8
    std::wstring reason;
};

// Recognises UTF-8 (with or without a byte-order mark) and UTF-16 of either
// byte order (by its mark, or by a declaration's "<?" as its first
// characters). Other bytes are
// read in the encoding that their declaration names, when the system can
// convert it without loss, and as UTF-8 otherwise. Invalid sequences, NUL
// characters and a declared encoding that cannot be read are faults,
// reported with their position.
DecodedXml DecodeXmlBytes(std::string_view bytes);

// The encoding a declaration's encoding label (any case) asks for; nothing
// for a label the store cannot read and write faithfully on this system. An
// empty label means UTF-8.
std::optional<XmlEncoding> EncodingFromLabel(std::wstring_view label);

// The parse-error reason for a declared encoding the store cannot read.
std::wstring UnsupportedEncodingReason(std::wstring_view label);

// Whether a declaration's encoding label fits the bytes it was read from.
// Behind a UTF-16 mark only UTF-16 of that byte order (or UTF-8, which
// parsers take for no label at all) may be named; bytes read as UTF-8 (behind
// its mark, say) may be labelled UTF-8 only. Anything else the bytes
// contradict.
bool LabelFitsBytes(std::wstring_view label, XmlEncoding read);

// The parse-error reason for a label that the bytes contradict.
std::wstring ContradictedEncodingReason(std::wstring_view label);

// UTF-8 text in the given encoding; UTF-16 gets a byte-order mark. Nothing
// when some character has no exact representation in the code page.
std::optional<std::string> EncodeXmlText(std::string_view utf8, XmlEncoding encoding);

}  // namespace velnor
