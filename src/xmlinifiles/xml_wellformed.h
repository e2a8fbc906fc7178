// What XML 1.0 asks of a well-formed document and the engine lets through:
// one root element and no text outside it, a declaration only at the very
// start and only with its own items, XML names, unique attributes, references
// that are complete and declared, legal characters, no "<" in attribute
// values, no "]]>" in text and no "--" in comments. A document type
// declaration is refused outright: the engine would neither check its inside
// nor honour its entities and defaults, so values would be misread and the
// next write would drop it.
#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velnor {

// The store's reason text for a parse status of the engine.
const wchar_t* ParseStatusReason(pugi::xml_parse_status status);

struct WellFormednessFault {
    std::wstring reason;
    size_t offset = 0;  // into the text
};

// Checks UTF-8 text that the engine has already parsed. Nothing when it is
// well-formed; otherwise the first fault found, with its byte offset.
std::optional<WellFormednessFault> FindWellFormednessFault(std::string_view utf8);

// The document type declaration in the prolog of UTF-8 text, whatever its
// inside; nothing when there is none. Looked for before the engine parses,
// so that a broken internal subset gets the same clear message.
std::optional<WellFormednessFault> FindDocumentTypeDeclaration(std::string_view utf8);

}  // namespace velnor
