// TXMLIniFile: an ini-file-like settings store held as one XML document.
// Sections are elements addressed by location paths below the root element
// ("/Window"); a key is a child element of its section whose text holds the
// value and whose "Type" attribute the value's type number.
//
// Used as: construct, OpenNode(path, true), typed reads or writes, CloseNode,
// UpdateFile after writes, destroy. Nothing reaches the file except in the
// constructor (a new file) and UpdateFile.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xmlinifiles/date_value_text.h"
#include "xmlinifiles/value_text.h"
#include "xmlinifiles/xml_document.h"
#include "xmlinifiles/xml_node.h"

namespace velnor {

enum class TXMLNodeType : std::uint8_t {
    xdtUnknown,
    xdtBinary,
    xdtBool,
    xdtCurrency,
    xdtDate,
    xdtDateTime,
    xdtExpandString,
    xdtFloat,
    xdtInt64,
    xdtInteger,
    xdtString,
    xdtTime,
};

class TXMLIniFile {
public:
    // Reads the file when it exists; otherwise starts a new document with a
    // declaration and an empty "root" element and writes it at once (unless
    // fileName is empty). Raises EXMLError when the file cannot be parsed and
    // the file errors when it cannot be read or created.
    explicit TXMLIniFile(const std::wstring& fileName);
    // Discards the document without writing it.
    ~TXMLIniFile();
    TXMLIniFile(const TXMLIniFile&) = delete;
    TXMLIniFile& operator=(const TXMLIniFile&) = delete;

    // Navigation. A null parentNode means the current node.
    bool OpenNode(const std::wstring& locationPath, bool canCreate);
    void CloseNode() {}
    bool NodeExists(const std::wstring& locationPath) const;
    bool CreateNode(const std::wstring& tagName, const XmlNode& parentNode = {});
    bool DeleteNode(const std::wstring& tagName, const XmlNode& parentNode = {});
    void GetNodeNames(std::vector<std::wstring>& strings, const XmlNode& parentNode = {}) const;
    bool HasChildNodes(const XmlNode& parentNode = {}) const;
    XmlNode ChildNodeByName(const std::wstring& tagName, const XmlNode& parentNode = {}) const;
    XmlNode ChildNodes(std::int32_t index, const XmlNode& parentNode = {}) const;
    std::int32_t ChildNodesCount(const XmlNode& parentNode = {}) const;
    // Writes the document when it changed since it was read or last written.
    void UpdateFile();

    const XmlNode& CurrentNode() const { return FCurrentNode; }
    const std::wstring& CurrentLocationPath() const { return FCurrentLocationPath; }
    const XmlNode& RootNode() const { return FRootNode; }
    std::wstring RootNodeName() const { return FRootNode.NodeName(); }
    XmlDocument& XMLDocument() { return *FXML; }

    // Typed values. Reads return the default when the key is missing and
    // raise the conversion errors when its text does not convert; writes
    // create the key when needed and mark the document modified.
    void ReadBinaryData(const std::wstring& tagName, std::vector<std::uint8_t>& buffer, const XmlNode& parentNode = {}) const;
    bool ReadBool(const std::wstring& tagName, bool defaultValue, const XmlNode& parentNode = {}) const;
    Currency ReadCurrency(const std::wstring& tagName, Currency defaultValue, const XmlNode& parentNode = {}) const;
    TDateTime ReadDate(const std::wstring& tagName, TDateTime defaultValue, const XmlNode& parentNode = {}) const;
    TDateTime ReadDateTime(const std::wstring& tagName, TDateTime defaultValue, const XmlNode& parentNode = {}) const;
    std::wstring ReadExpandString(const std::wstring& tagName, const std::wstring& defaultValue,
                                  const XmlNode& parentNode = {}) const;
    double ReadFloat(const std::wstring& tagName, double defaultValue, const XmlNode& parentNode = {}) const;
    std::int64_t ReadInt64(const std::wstring& tagName, std::int64_t defaultValue, const XmlNode& parentNode = {}) const;
    std::int32_t ReadInteger(const std::wstring& tagName, std::int32_t defaultValue, const XmlNode& parentNode = {}) const;
    std::wstring ReadString(const std::wstring& tagName, const std::wstring& defaultValue,
                            const XmlNode& parentNode = {}) const;
    TDateTime ReadTime(const std::wstring& tagName, TDateTime defaultValue, const XmlNode& parentNode = {}) const;

    void WriteBinaryData(const std::wstring& tagName, const std::vector<std::uint8_t>& buffer, const XmlNode& parentNode = {});
    void WriteBool(const std::wstring& tagName, bool value, const XmlNode& parentNode = {});
    void WriteCurrency(const std::wstring& tagName, Currency value, const XmlNode& parentNode = {});
    void WriteDate(const std::wstring& tagName, TDateTime value, const XmlNode& parentNode = {});
    void WriteDateTime(const std::wstring& tagName, TDateTime value, const XmlNode& parentNode = {});
    void WriteExpandString(const std::wstring& tagName, const std::wstring& value, const XmlNode& parentNode = {});
    void WriteFloat(const std::wstring& tagName, double value, const XmlNode& parentNode = {});
    void WriteInt64(const std::wstring& tagName, std::int64_t value, const XmlNode& parentNode = {});
    void WriteInteger(const std::wstring& tagName, std::int32_t value, const XmlNode& parentNode = {});
    void WriteString(const std::wstring& tagName, const std::wstring& value, const XmlNode& parentNode = {});
    void WriteTime(const std::wstring& tagName, TDateTime value, const XmlNode& parentNode = {});

    // The type the last write left on the key; xdtUnknown when the key is
    // missing or its number is outside the known types.
    TXMLNodeType GetNodeType(const std::wstring& tagName, const XmlNode& parentNode = {}) const;

    // The store's own lookups, public for its tests.
    std::wstring ExpandLocationPath(const std::wstring& path) const;
    XmlNode FindNodeByPath(const std::wstring& path) const;
    XmlNode ResolveParentNode(const XmlNode& parentNode) const;
    XmlNode FindChildNode(const std::wstring& tagName, const XmlNode& parentNode = {}) const;
    XmlNode FindOrAddChildNode(const std::wstring& tagName, const XmlNode& parentNode = {});

private:
    std::optional<std::wstring> ValueText(const std::wstring& tagName, const XmlNode& parentNode) const;
    void WriteValue(const std::wstring& tagName, const std::wstring& text, TXMLNodeType type, const XmlNode& parentNode);

    XmlNode FCurrentNode;
    std::wstring FCurrentLocationPath;
    XmlNode FRootNode;
    std::unique_ptr<XmlDocument> FXML;
};

}  // namespace velnor
