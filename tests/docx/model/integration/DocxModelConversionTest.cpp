// The DOCX model through whole conversions of generated PDFs: the VML shape types that pictures,
// text boxes and text paths name are defined in the document part.

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "engine/EngineHarness.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

const std::string kHelvetica = "/Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >>";

struct Conversion {
    std::optional<KXError> error;
    std::string path;
    std::string document;  // word/document.xml
};

Conversion convert(const std::string& pdf, const std::string& name) {
    kx::installExporters();
    Conversion c;
    c.path = kx::pathJoin(kx::test::tempDir(), name + ".docx");
    kx::removeAll(c.path);
    const auto run =
        kx::test::runConversion(pdf, kx::test::everyPage(pdf), "docx", c.path, nullptr, std::chrono::seconds(120));
    EXPECT_TRUE(run.ended);
    c.error = run.error();
    kx::test::runCommand("unzip -p '" + c.path + "' word/document.xml", &c.document);
    return c;
}

}  // namespace

// A picture, text turned a quarter (a text box) and text at a slant (a text path), on two pages:
// every shape's "#" type is defined by a shape type written before the shape.
TEST(DocxModelConversion, EveryShapeTypeNamedIsDefinedBeforeUse) {
    kx::test::PDFBuilder b;
    std::string red;
    for (int i = 0; i < 16; ++i) red += "\xff\x00\x00";
    const int image = b.addStream("/Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceRGB "
                                  "/BitsPerComponent 8", red);
    const std::string resources = kx::format("<< %s /XObject << /Im1 %d 0 R >> >>", kHelvetica.c_str(), image);
    const std::string content = "q 200 0 0 150 100 500 cm /Im1 Do Q\n"
                                "BT /F1 12 Tf 72 400 Td (Plain text across the page) Tj ET\n"
                                "BT /F1 12 Tf 0 1 -1 0 500 200 Tm (Text turned up the page) Tj ET\n"
                                "BT /F1 12 Tf 0.866 0.5 -0.5 0.866 150 150 Tm (Text at a slant) Tj ET\n";
    b.addPage(content, resources);
    b.addPage(content, resources);
    const Conversion c = convert(kx::test::writeTemp("shape-types.pdf", b.build()), "shape-types");
    ASSERT_FALSE(c.error) << c.error->failureReason;

    std::set<std::string> named;
    const std::regex reference("<v:shape [^>]*type=\"#([^\"]+)\"");
    for (auto it = std::sregex_iterator(c.document.begin(), c.document.end(), reference); it != std::sregex_iterator();
         ++it) {
        const std::string id = (*it)[1].str();
        named.insert(id);
        const size_t definition = c.document.find("<v:shapetype id=\"" + id + "\"");
        EXPECT_LT(definition, static_cast<size_t>(it->position())) << "type #" << id << " used before it is defined";
    }
    EXPECT_TRUE(named.contains("_x0000_t75")) << "the picture";
    EXPECT_TRUE(named.contains("_x0000_t202")) << "the text box";
    EXPECT_TRUE(named.contains("_x0000_t136")) << "the text path";
}
