// Documents that XML 1.0 forbids and the engine alone would let through,
// with the store's message for each. The store's tests and the strict reader
// test share them.
#pragma once

namespace velnor::xmltest {

struct MalformedCase {
    const char* bytes;
    const wchar_t* message;
};
inline const MalformedCase kMalformed[] = {
    {"<a/><b/>", L"ルート要素の後に別の要素があります\r\n行: 1\r\n<a/><b/>"},
    {"<r>\n</r>\n<b/>", L"ルート要素の後に別の要素があります\r\n行: 3\r\n<b/>"},
    {"<r a='1' a='2'/>", L"属性 \"a\" が重複しています\r\n行: 1\r\n<r a='1' a='2'/>"},
    {"<r b='1' a='1'\n c='3' a='2'/>", L"属性 \"a\" が重複しています\r\n行: 2\r\n c='3' a='2'/>"},
    {"<r a='1' b='2' c='3' d='4' e='5' f='6' g='7' h='8' i='9' a='0'/>",
     L"属性 \"a\" が重複しています\r\n行: 1\r\n<r a='1' b='2' c='3' d='4' e='5' f='6' g"},
    {"<r>a & b</r>", L"\"&\" の後に正しい参照がありません\r\n行: 1\r\n<r>a & b</r>"},
    {"<r>AT&T;x</r>", L"実体 \"T\" は宣言されていません\r\n行: 1\r\n<r>AT&T;x</r>"},
    {"<r>&amp</r>", L"\"&\" の後に正しい参照がありません\r\n行: 1\r\n<r>&amp</r>"},
    {"<r a=\"x&y\"/>", L"\"&\" の後に正しい参照がありません\r\n行: 1\r\n<r a=\"x&y\"/>"},
    {"<r a=\"x<y\"/>", L"属性値に \"<\" は使えません\r\n行: 1\r\n<r a=\"x<y\"/>"},
    {"text<r/>", L"ルート要素の外にテキストがあります\r\n行: 1\r\ntext<r/>"},
    {"<r/>\njunk", L"ルート要素の外にテキストがあります\r\n行: 2\r\njunk"},
    {"<r/>x", L"ルート要素の外にテキストがあります\r\n行: 1\r\n<r/>x"},
    {"<r/><![CDATA[x]]>", L"ルート要素の外にテキストがあります\r\n行: 1\r\n<r/><![CDATA[x]]>"},
    {"<r>&#1;</r>", L"文字参照が正しくありません\r\n行: 1\r\n<r>&#1;</r>"},
    {"<r>&#xD800;</r>", L"文字参照が正しくありません\r\n行: 1\r\n<r>&#xD800;</r>"},
    {"<r>&#x110000;</r>", L"文字参照が正しくありません\r\n行: 1\r\n<r>&#x110000;</r>"},
    {"<r>&#;</r>", L"文字参照が正しくありません\r\n行: 1\r\n<r>&#;</r>"},
    {"<r>&#X41;</r>", L"文字参照が正しくありません\r\n行: 1\r\n<r>&#X41;</r>"},
    {"<r>&foo;</r>", L"実体 \"foo\" は宣言されていません\r\n行: 1\r\n<r>&foo;</r>"},
    {"<r>a\x01</r>", L"XML で使用できない文字があります\r\n行: 1\r\n<r>a\x01</r>"},
    {"<r>\n\xEF\xBF\xBF</r>", L"XML で使用できない文字があります\r\n行: 2\r\n\xFFFF</r>"},
    {"<r>a]]>b</r>", L"テキストに \"]]>\" は使えません\r\n行: 1\r\n<r>a]]>b</r>"},
    {"<r><!-- a -- b --></r>", L"コメントが正しくありません\r\n行: 1\r\n<r><!-- a -- b --></r>"},
    {"<r><!-- a ---></r>", L"コメントが正しくありません\r\n行: 1\r\n<r><!-- a ---></r>"},
    {"<!-- c -->\n<?xml version=\"1.0\"?><r/>", L"XML 宣言が文書の先頭にありません\r\n行: 2\r\n<?xml version=\"1.0\"?><r/>"},
    {" <?xml version=\"1.0\"?><r/>", L"XML 宣言が文書の先頭にありません\r\n行: 1\r\n <?xml version=\"1.0\"?><r/>"},
    {"<?xml version=\"2.0\"?><r/>", L"処理命令または XML 宣言が正しくありません\r\n行: 1\r\n<?xml version=\"2.0\"?><r/>"},
    {"<?xml encoding=\"utf-8\"?><r/>", L"処理命令または XML 宣言が正しくありません\r\n行: 1\r\n<?xml encoding=\"utf-8\"?><r/>"},
    {"<?xml version=\"1.0\" foo=\"x\"?><r/>", L"処理命令または XML 宣言が正しくありません\r\n行: 1\r\n<?xml version=\"1.0\" foo=\"x\"?><r/>"},
    {"<?xml version=\"1.0\" standalone=\"yes\" encoding=\"utf-8\"?><r/>",
     L"処理命令または XML 宣言が正しくありません\r\n行: 1\r\n<?xml version=\"1.0\" standalone=\"yes\" enc"},
    {"<?xml version=\"1.0\" standalone=\"maybe\"?><r/>", L"処理命令または XML 宣言が正しくありません\r\n行: 1\r\n<?xml version=\"1.0\" standalone=\"maybe\"?>"},
    {"<?XML version=\"1.0\"?><r/>", L"処理命令または XML 宣言が正しくありません\r\n行: 1\r\n<?XML version=\"1.0\"?><r/>"},
    {"<r><x\xC3\x97/></r>", L"名前に使えない文字があります\r\n行: 1\r\n<r><x×/></r>"},
    {"<r \xC2\xB7" "a=\"1\"/>", L"名前に使えない文字があります\r\n行: 1\r\n<r ·a=\"1\"/>"},
    {"<r><?a\xC3\x97 x?></r>", L"名前に使えない文字があります\r\n行: 1\r\n<r><?a× x?></r>"},
    {"<r/><!DOCTYPE r>", L"文書型宣言が正しくありません\r\n行: 1\r\n<r/><!DOCTYPE r>"},
    // Malformed beyond the document type declaration, which is refused first.
    {"<!DOCTYPE r>\n<!DOCTYPE r><r/>", L"文書型宣言 (DOCTYPE) は使用できません\r\n行: 1\r\n<!DOCTYPE r>"},
    {"<!DOCTYPE r [<!ENTITY e SYSTEM \"e.txt\">]><r a=\"&e;\"/>",
     L"文書型宣言 (DOCTYPE) は使用できません\r\n行: 1\r\n<!DOCTYPE r [<!ENTITY e SYSTEM \"e.txt\">]"},
    {"<?xml version=\"1.0\" standalone=\"yes\"?>\n<!DOCTYPE r SYSTEM \"r.dtd\"><r>&e;</r>",
     L"文書型宣言 (DOCTYPE) は使用できません\r\n行: 2\r\n<!DOCTYPE r SYSTEM \"r.dtd\"><r>&e;</r>"},
    {"<!DOCTYPE r [ rubbish ]><r/>", L"文書型宣言 (DOCTYPE) は使用できません\r\n行: 1\r\n<!DOCTYPE r [ rubbish ]><r/>"},
};

}  // namespace velnor::xmltest
