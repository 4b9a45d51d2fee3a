// The DOCX model through whole conversions of generated PDFs: the VML shape types that pictures,
// text boxes and text paths name are defined in the document part; text drawn twice (a shadow, a
// fake bold) keeps each showing whole, and double letters in small type are no duplicates.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <vector>
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

// The text of each paragraph, a tab where the paragraph has one.
std::vector<std::string> paragraphsOf(const std::string& xml) {
    std::vector<std::string> paragraphs;
    for (size_t at = 0, end; (end = xml.find("</w:p>", at)) != std::string::npos; at = end + 6) {
        std::string text;
        const std::string p = xml.substr(at, end - at);
        const std::regex piece("<w:t(?: [^>]*)?>([^<]*)</w:t>|<w:tab/>");
        for (auto it = std::sregex_iterator(p.begin(), p.end(), piece); it != std::sregex_iterator(); ++it)
            text += (*it)[1].matched ? (*it)[1].str() : std::string("\t");
        if (!text.empty()) paragraphs.push_back(text);
    }
    return paragraphs;
}

// The words of a text, with any white space between them.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// Pages of LibreOffice's reading of the package, or 0 when LibreOffice or pdfinfo is missing.
int pagesInLibreOffice(const std::string& package) {
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdfinfo")) return 0;
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "lo-" + kx::pathFileName(package));
    kx::removeAll(folder);
    kx::createDirectories(folder);
    kx::test::runCommand("soffice -env:UserInstallation=file://" + kx::pathJoin(folder, "profile") +
                         " --headless --convert-to pdf --outdir '" + folder + "' '" + package + "' >/dev/null 2>&1");
    std::string info;
    const std::string pdf = kx::pathJoin(folder, kx::pathFileName(package));
    kx::test::runCommand("pdfinfo '" + pdf.substr(0, pdf.size() - 4) + "pdf'", &info);
    std::smatch m;
    return std::regex_search(info, m, std::regex("Pages:\\s+([0-9]+)")) ? std::stoi(m[1].str()) : -1;
}

// Each word of `line` shown by its own text object, about as far on as Helvetica sets it.
std::string wordByWord(const char* font, double size, double x, double y, const std::string& line) {
    std::string out;
    for (const std::string& w : wordsOf(line)) {
        out += kx::format("BT /%s %g Tf %g %g Td (%s) Tj ET\n", font, size, x, y, w.c_str());
        x += size * (0.8 * static_cast<double>(w.size()) + 0.3);
    }
    return out;
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

// A book cover's title drawn twice as a shadow (13 pt grey and 10 pt bold, a point and a half
// apart), a fake bold drawn twice 2 points apart on one baseline, and a line of small type with
// double letters: every showing comes out whole, its words apart, and no letter is lost.
TEST(DocxModelConversion, TextDrawnTwiceKeepsEachShowingWhole) {
    const std::string title = "HOW BIG MEDIA USES TECHNOLOGY AND", second = "THE PUBLIC PAYS FOR IT";
    const std::string resources = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> "
                                  "/F2 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >> >> >>";
    const std::string shadow = "0.6 g\n" + wordByWord("F1", 13, 72, 700, title) + wordByWord("F1", 13, 72, 682, second) +
                               "0 g\n" + wordByWord("F2", 10, 73.5, 701.5, title) +
                               wordByWord("F2", 10, 73.5, 683.5, second);
    const std::string fakeBold = wordByWord("F2", 12, 72, 500, title) + wordByWord("F2", 12, 74, 500, title);
    const std::string small = "BT /F1 6 Tf 72 400 Td (We will call all small fellows to tell the bell.) Tj ET\n";
    kx::test::PDFBuilder b;
    b.addPage(shadow + fakeBold + small, resources);
    const Conversion c = convert(kx::test::writeTemp("drawn-twice.pdf", b.build()), "drawn-twice");
    ASSERT_FALSE(c.error) << c.error->failureReason;

    std::map<std::vector<std::string>, int> showings;
    std::string all;
    for (const std::string& p : paragraphsOf(c.document)) {
        ++showings[wordsOf(p)];
        all += p + "\n";
    }
    EXPECT_EQ(showings[wordsOf(title)], 4) << "the title and its shadow, the fake bold line twice\n" << all;
    EXPECT_EQ(showings[wordsOf(second)], 2) << all;
    EXPECT_EQ(showings[wordsOf("We will call all small fellows to tell the bell.")], 1) << all;
    if (const int pages = pagesInLibreOffice(c.path)) EXPECT_EQ(pages, 1) << "the page stays one page";
}
