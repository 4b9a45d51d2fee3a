// Pages that share one resource dictionary of more XObjects than a collection makes up front (a
// scanned document whose pages all list every page's image): each page names its own image, and
// every page's picture comes out. Pages naming images past the 2401 kept came out empty.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using kx::test::PDFBuilder;

namespace {

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// Pages each drawing one image of a dictionary of 3000, shared by every page: the images named
// lie at both ends of the dictionary, in the order it is written and in the order of its names.
const std::vector<int> kNamed = {0, 999, 1500, 2400, 2401, 2999};

std::string sharedDictionaryDocument() {
    PDFBuilder b;
    std::vector<int> images;
    for (int i = 0; i < 3; ++i) {
        const char shade = static_cast<char>(0x40 * (i + 1));
        images.push_back(b.addStream("/Type /XObject /Subtype /Image /Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceGray",
                                     std::string(4, shade)));
    }
    std::string entries;
    for (int i = 0; i < 3000; ++i) entries += "/Im" + std::to_string(i) + " " + ref(images[i % 3]) + " ";
    const int dictionary = b.add("<< " + entries + ">>");
    for (int named : kNamed)
        b.addPage("q 300 0 0 400 150 200 cm /Im" + std::to_string(named) + " Do Q", "<< /XObject " + ref(dictionary) + " >>");
    return b.build();
}

}  // namespace

TEST(SharedXObjects, EveryPageOfASharedDictionaryOfThousandsOfImagesKeepsItsPicture) {
    if (!kx::test::haveCommand("unzip")) GTEST_SKIP() << "unzip is not installed";
    const std::string pdf = kx::test::writeTemp("shared-xobjects.pdf", sharedDictionaryDocument());
    kx::installExporters();
    for (const std::string type : {"docx", "pptx"}) {
        SCOPED_TRACE(type);
        const std::string out = kx::pathJoin(kx::test::tempDir(), "shared-xobjects." + type);
        const auto run = kx::test::runConversion(pdf, kx::test::everyPage(pdf), type, out);
        ASSERT_TRUE(run.ended);
        ASSERT_FALSE(run.error()) << run.error()->failureReason;
        if (type == "docx") {
            std::string xml;
            ASSERT_EQ(kx::test::runCommand("unzip -p '" + out + "' word/document.xml", &xml), 0);
            EXPECT_EQ(occurrences(xml, "<v:imagedata "), kNamed.size());
        } else {
            for (size_t slide = 1; slide <= kNamed.size(); ++slide) {
                std::string xml;
                ASSERT_EQ(kx::test::runCommand("unzip -p '" + out + "' ppt/slides/slide" + std::to_string(slide) + ".xml", &xml), 0);
                EXPECT_EQ(occurrences(xml, "<p:pic"), 1u) << "slide " << slide;
            }
        }
    }
}
