// The store's character tables against libxml2: code points sampled from
// every plane, each as text, as the first character of a name and as a later
// one, must be accepted or refused by the store exactly as libxml2 judges
// them. The native build links libxml2; under Wine the native run covers it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/utf.h"
#include "xmlinifiles/xml_document.h"

#ifdef VELNOR_HAVE_LIBXML2
#include "support/libxml2_reading.h"
#endif

namespace velnor {
namespace {

#ifdef VELNOR_HAVE_LIBXML2
// Every code point below U+0800 (where the name rules change most), the
// edges of the surrogates and the last code points of every plane, and a
// prime stride through the rest.
std::vector<char32_t> SampledCodePoints() {
    std::vector<char32_t> points;
    for (char32_t c = 0; c < 0x800; ++c) points.push_back(c);
    for (char32_t c = 0x800; c <= 0x10FFFF; c += 53) points.push_back(c);
    for (char32_t c : {0x2FEF, 0x2FF0, 0x3000, 0x3001, 0xD7FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xF8FF, 0xF900,
                       0xFDCF, 0xFDD0, 0xFDEF, 0xFDF0, 0xFFFD, 0xFFFE, 0xFFFF, 0x10000, 0xEFFFF, 0xF0000, 0x10FFFF})
        points.push_back(c);
    for (char32_t plane = 1; plane <= 16; ++plane) {
        points.push_back(plane << 16);
        points.push_back((plane << 16) | 0xFFFD);
        points.push_back((plane << 16) | 0xFFFE);
        points.push_back((plane << 16) | 0xFFFF);
    }
    return points;
}

bool StoreAccepts(const std::string& bytes) {
    XmlDocument doc;
    try {
        doc.LoadFromBytes(bytes);
    } catch (const EXMLError&) {
        return false;
    }
    return true;
}
#endif

TEST(XmlCharacterSweep, TheStoreJudgesEveryPlaneAsLibxml2Does) {
#ifndef VELNOR_HAVE_LIBXML2
    GTEST_SKIP() << "libxml2 is linked into the native build only";
#else
    int documents = 0;
    int differences = 0;
    for (char32_t c : SampledCodePoints()) {
        std::string character;
        AppendUtf8(character, c);
        const std::string asText = "<r>" + character + "</r>";
        const std::string asNameStart = "<" + character + "/>";
        const std::string asNameChar = "<a" + character + "/>";
        for (const std::string* doc : {&asText, &asNameStart, &asNameChar}) {
            ++documents;
            const test::Libxml2Reading strict(*doc);
            if (StoreAccepts(*doc) == strict.WellFormed()) continue;
            if (++differences <= 20)
                ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned long>(c) << " in " << *doc
                              << ": libxml2 " << (strict.WellFormed() ? "accepts" : "refuses: " + strict.Message());
        }
    }
    EXPECT_EQ(differences, 0);
    RecordProperty("documents", documents);
#endif
}

}  // namespace
}  // namespace velnor
