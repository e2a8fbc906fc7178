// The typed reads and writes of TXMLIniFile.
#include "platform/errors.h"
#include "platform/locale_convert.h"
#include "platform/locale_settings.h"
#include "platform/utf.h"
#include "xmlinifiles/xml_ini_file.h"

namespace velnor {
namespace {

EXMLError NoSingleTextNode(const XmlNode& element) {
    return EXMLError(L"要素 \"" + element.NodeName() + L"\" に単一のテキスト ノードが含まれていません");
}

// The text of a value element: empty without children, else the value of its
// only child when that is text or CDATA. A lookup that met a non-element
// (a key such as "#text") has no value element to offer.
std::wstring ElementText(const XmlNode& element) {
    if (element.Kind() != XmlNodeKind::Element) throw NoSingleTextNode(element);
    const XmlNode first = element.FirstChild();
    if (!first) return {};
    const XmlNodeKind kind = first.Kind();
    if (first.NextSibling() || (kind != XmlNodeKind::Text && kind != XmlNodeKind::CData)) throw NoSingleTextNode(element);
    return first.NodeValue();
}

}  // namespace

std::optional<std::wstring> TXMLIniFile::ValueText(const std::wstring& tagName, const XmlNode& parentNode) const {
    const XmlNode element = FindChildNode(tagName, parentNode);
    if (!element) return std::nullopt;
    return ElementText(element);
}

void TXMLIniFile::WriteValue(const std::wstring& tagName, const std::wstring& text, TXMLNodeType type,
                             const XmlNode& parentNode) {
    // Refused before anything changes.
    RequireXmlText(text);
    XmlNode element = FindOrAddChildNode(tagName, parentNode);
    // Even a write that fails below counts as a change.
    FXML->SetModified(true);
    const XmlNode first = element.FirstChild();
    const bool single = first && !first.NextSibling() &&
                        (first.Kind() == XmlNodeKind::Text || first.Kind() == XmlNodeKind::CData);
    if (element.Kind() != XmlNodeKind::Element || (first && !single)) throw NoSingleTextNode(element);
    if (first) {
        XmlNode(first).SetNodeValue(text);
    } else {
        element.AppendText(text);
    }
    element.SetAttribute(L"Type", IntegerToText(static_cast<int>(type)));
}

void TXMLIniFile::ReadBinaryData(const std::wstring& tagName, std::vector<std::uint8_t>& buffer,
                                 const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    if (!text) {
        buffer.clear();
        return;
    }
    TextToBytes(*text, buffer);
}

bool TXMLIniFile::ReadBool(const std::wstring& tagName, bool defaultValue, const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    return text ? TextToBool(*text, CurrentFormatSettings()) : defaultValue;
}

Currency TXMLIniFile::ReadCurrency(const std::wstring& tagName, Currency defaultValue, const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    return text ? TextToCurrency(*text, CurrentFormatSettings()) : defaultValue;
}

TDateTime TXMLIniFile::ReadDate(const std::wstring& tagName, TDateTime defaultValue, const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    return text ? TextToDateTime(*text, CurrentFormatSettings()) : defaultValue;
}

TDateTime TXMLIniFile::ReadDateTime(const std::wstring& tagName, TDateTime defaultValue, const XmlNode& parentNode) const {
    return ReadDate(tagName, defaultValue, parentNode);
}

TDateTime TXMLIniFile::ReadTime(const std::wstring& tagName, TDateTime defaultValue, const XmlNode& parentNode) const {
    return ReadDate(tagName, defaultValue, parentNode);
}

std::wstring TXMLIniFile::ReadExpandString(const std::wstring& tagName, const std::wstring& defaultValue,
                                           const XmlNode& parentNode) const {
    std::wstring expanded;
    if (!PlatformExpandEnvironmentStrings(ReadString(tagName, defaultValue, parentNode), expanded)) return {};
    return expanded;
}

double TXMLIniFile::ReadFloat(const std::wstring& tagName, double defaultValue, const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    return text ? TextToFloat(*text, CurrentFormatSettings()) : defaultValue;
}

std::int64_t TXMLIniFile::ReadInt64(const std::wstring& tagName, std::int64_t defaultValue, const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    return text ? TextToInt64(*text) : defaultValue;
}

std::int32_t TXMLIniFile::ReadInteger(const std::wstring& tagName, std::int32_t defaultValue,
                                      const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    return text ? TextToInteger(*text) : defaultValue;
}

std::wstring TXMLIniFile::ReadString(const std::wstring& tagName, const std::wstring& defaultValue,
                                     const XmlNode& parentNode) const {
    const auto text = ValueText(tagName, parentNode);
    return text ? UnescapeText(*text) : defaultValue;
}

void TXMLIniFile::WriteBinaryData(const std::wstring& tagName, const std::vector<std::uint8_t>& buffer,
                                  const XmlNode& parentNode) {
    WriteValue(tagName, BytesToText(buffer), TXMLNodeType::xdtBinary, parentNode);
}

void TXMLIniFile::WriteBool(const std::wstring& tagName, bool value, const XmlNode& parentNode) {
    WriteValue(tagName, BoolToText(value), TXMLNodeType::xdtBool, parentNode);
}

void TXMLIniFile::WriteCurrency(const std::wstring& tagName, Currency value, const XmlNode& parentNode) {
    WriteValue(tagName, CurrencyToText(value, CurrentFormatSettings()), TXMLNodeType::xdtCurrency, parentNode);
}

// The text is formed before the key is looked up, so a date out of range
// leaves the document untouched.
void TXMLIniFile::WriteDate(const std::wstring& tagName, TDateTime value, const XmlNode& parentNode) {
    WriteValue(tagName, DateToText(value, CurrentFormatSettings()), TXMLNodeType::xdtDate, parentNode);
}

void TXMLIniFile::WriteDateTime(const std::wstring& tagName, TDateTime value, const XmlNode& parentNode) {
    WriteValue(tagName, DateTimeToText(value, CurrentFormatSettings()), TXMLNodeType::xdtDateTime, parentNode);
}

void TXMLIniFile::WriteTime(const std::wstring& tagName, TDateTime value, const XmlNode& parentNode) {
    WriteValue(tagName, TimeToText(value, CurrentFormatSettings()), TXMLNodeType::xdtTime, parentNode);
}

void TXMLIniFile::WriteExpandString(const std::wstring& tagName, const std::wstring& value, const XmlNode& parentNode) {
    WriteValue(tagName, EscapeText(value), TXMLNodeType::xdtExpandString, parentNode);
}

void TXMLIniFile::WriteFloat(const std::wstring& tagName, double value, const XmlNode& parentNode) {
    WriteValue(tagName, FloatToText(value, CurrentFormatSettings()), TXMLNodeType::xdtFloat, parentNode);
}

void TXMLIniFile::WriteInt64(const std::wstring& tagName, std::int64_t value, const XmlNode& parentNode) {
    WriteValue(tagName, IntegerToText(value), TXMLNodeType::xdtInt64, parentNode);
}

void TXMLIniFile::WriteInteger(const std::wstring& tagName, std::int32_t value, const XmlNode& parentNode) {
    WriteValue(tagName, IntegerToText(value), TXMLNodeType::xdtInteger, parentNode);
}

void TXMLIniFile::WriteString(const std::wstring& tagName, const std::wstring& value, const XmlNode& parentNode) {
    WriteValue(tagName, EscapeText(value), TXMLNodeType::xdtString, parentNode);
}

TXMLNodeType TXMLIniFile::GetNodeType(const std::wstring& tagName, const XmlNode& parentNode) const {
    const XmlNode element = FindChildNode(tagName, parentNode);
    if (!element) return TXMLNodeType::xdtUnknown;
    const std::wstring text = element.Attribute(L"Type");
    const PlatformInt32 platform = PlatformI4FromStr(text);
    std::int64_t number = 0;
    switch (platform.status) {
        case ConvertStatus::Ok: number = platform.value; break;
        case ConvertStatus::Overflow:
            throw EVariantOverflowError(L"OleStr 型から Integer 型へのバリアント型変換でのオーバーフローエラー");
        case ConvertStatus::Failed: throw EVariantError(L"OleStr型から Integer 型へのバリアント型変換はできません");
        case ConvertStatus::TypeMismatch:
            if (const auto integer = ParseIntegerText(text, 32)) {
                number = *integer;
            } else if (const auto flag = ParseBoolText(text, CurrentFormatSettings())) {
                number = *flag ? 1 : 0;
            } else {
                throw EVariantError(L"OleStr型から Integer 型へのバリアント型変換はできません");
            }
            break;
    }
    if (number < 0 || number > static_cast<int>(TXMLNodeType::xdtTime)) return TXMLNodeType::xdtUnknown;
    return static_cast<TXMLNodeType>(number);
}

}  // namespace velnor
