#include "xmlinifiles/xml_ini_file.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "xmlinifiles/list_index_error.h"
#include "xmlinifiles/location_path.h"

namespace velnor {

TXMLIniFile::TXMLIniFile(const std::wstring& fileName) : FXML(std::make_unique<XmlDocument>()) {
    FXML->SetFileName(fileName);
    FXML->SetIndentString(L"\t");
    FXML->SetAutoIndent(true);
    if (!fileName.empty() && FileExists(fileName)) {
        FXML->LoadFromFile(fileName);
    } else {
        FXML->SetDeclaration(L"1.0", L"utf-8");
        FXML->AppendElement(FXML->DocumentNode(), L"root");
        if (!fileName.empty()) FXML->SaveToFile(fileName);
    }
    FRootNode = FXML->DocumentElement();
    FCurrentNode = FRootNode;
    FCurrentLocationPath = L"/";
}

TXMLIniFile::~TXMLIniFile() = default;

std::wstring TXMLIniFile::ExpandLocationPath(const std::wstring& path) const {
    return velnor::ExpandLocationPath(FCurrentLocationPath, path);
}

XmlNode TXMLIniFile::FindNodeByPath(const std::wstring& path) const {
    XmlNode node = FRootNode;
    for (const std::wstring& component : SplitLocationPath(ExpandLocationPath(path))) {
        node = node.FirstChildNamed(component);
        if (!node) return {};
    }
    return node;
}

XmlNode TXMLIniFile::ResolveParentNode(const XmlNode& parentNode) const {
    return parentNode ? parentNode : FCurrentNode;
}

XmlNode TXMLIniFile::FindChildNode(const std::wstring& tagName, const XmlNode& parentNode) const {
    return ResolveParentNode(parentNode).FirstChildNamed(tagName);
}

XmlNode TXMLIniFile::FindOrAddChildNode(const std::wstring& tagName, const XmlNode& parentNode) {
    if (XmlNode found = FindChildNode(tagName, parentNode)) return found;
    return FXML->AppendElement(ResolveParentNode(parentNode), tagName);
}

bool TXMLIniFile::OpenNode(const std::wstring& locationPath, bool canCreate) {
    const std::wstring expanded = ExpandLocationPath(locationPath);
    XmlNode node;
    if (canCreate) {
        // Levels appended before a failing one stay in the tree.
        node = FRootNode;
        for (const std::wstring& component : SplitLocationPath(expanded)) {
            XmlNode child = node.FirstChildNamed(component);
            node = child ? child : FXML->AppendElement(node, component);
        }
    } else {
        node = FindNodeByPath(locationPath);
        if (!node) return false;
    }
    FCurrentNode = node;
    FCurrentLocationPath = expanded;
    return true;
}

bool TXMLIniFile::NodeExists(const std::wstring& locationPath) const {
    return !FindNodeByPath(locationPath).IsNull();
}

bool TXMLIniFile::CreateNode(const std::wstring& tagName, const XmlNode& parentNode) {
    try {
        FXML->AppendElement(ResolveParentNode(parentNode), tagName);
        return true;
    } catch (...) {
        return false;
    }
}

bool TXMLIniFile::DeleteNode(const std::wstring& tagName, const XmlNode& parentNode) {
    try {
        if (XmlNode child = FindChildNode(tagName, parentNode)) FXML->RemoveChild(child);
        return true;
    } catch (...) {
        return false;
    }
}

void TXMLIniFile::GetNodeNames(std::vector<std::wstring>& strings, const XmlNode& parentNode) const {
    for (XmlNode c = ResolveParentNode(parentNode).FirstChild(); c; c = c.NextSibling()) strings.push_back(c.NodeName());
}

bool TXMLIniFile::HasChildNodes(const XmlNode& parentNode) const { return ResolveParentNode(parentNode).HasChildNodes(); }

XmlNode TXMLIniFile::ChildNodeByName(const std::wstring& tagName, const XmlNode& parentNode) const {
    XmlNode child = FindChildNode(tagName, parentNode);
    if (!child) throw EXMLError(L"ノード \"" + tagName + L"\" が見つかりません");
    return child;
}

XmlNode TXMLIniFile::ChildNodes(std::int32_t index, const XmlNode& parentNode) const {
    XmlNode child = ResolveParentNode(parentNode).ChildAt(index);
    if (!child) throw MakeListIndexError(index);
    return child;
}

std::int32_t TXMLIniFile::ChildNodesCount(const XmlNode& parentNode) const {
    return ResolveParentNode(parentNode).ChildCount();
}

void TXMLIniFile::UpdateFile() {
    if (FXML->Modified() && !FXML->FileName().empty()) FXML->SaveToFile(FXML->FileName());
}

}  // namespace velnor
