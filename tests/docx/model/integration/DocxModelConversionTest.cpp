// The DOCX model through whole conversions of generated PDFs: the VML shape types that pictures,
// text boxes and text paths name are defined in the document part; text drawn twice (a shadow, a
// fake bold) keeps each showing whole, and double letters in small type are no duplicates; text
// boxes of turned text where LibreOffice shows the text; text in fonts that are not installed
// keeps its words and its page; a turned picture stays behind the words painted over it; a line
// at the foot of a full page that LibreOffice sets wider does not push the page onto a second one;
// a line set condensed in an installed font keeps its words.

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
#include "platform/FontCatalog.h"
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

struct Word {
    std::string text;
    double xMin, yMin, xMax, yMax;
};

// The words of LibreOffice's reading of the package with their boxes (pdftotext), or nothing when
// LibreOffice or pdftotext is missing.
std::vector<Word> wordsInLibreOffice(const std::string& package) {
    std::vector<Word> words;
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdftotext")) return words;
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "lo-words-" + kx::pathFileName(package));
    kx::removeAll(folder);
    kx::createDirectories(folder);
    kx::test::runCommand("soffice -env:UserInstallation=file://" + kx::pathJoin(folder, "profile") +
                         " --headless --convert-to pdf --outdir '" + folder + "' '" + package + "' >/dev/null 2>&1");
    const std::string pdf = kx::pathJoin(folder, kx::pathFileName(package));
    std::string boxes;
    kx::test::runCommand("pdftotext -bbox '" + pdf.substr(0, pdf.size() - 4) + "pdf' -", &boxes);
    const std::regex word("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    for (auto it = std::sregex_iterator(boxes.begin(), boxes.end(), word); it != std::sregex_iterator(); ++it)
        words.push_back({(*it)[5].str(), std::stod((*it)[1].str()), std::stod((*it)[2].str()), std::stod((*it)[3].str()),
                         std::stod((*it)[4].str())});
    return words;
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

// A red picture of 4 by 4 pixels in the document; its object number.
int addRedPicture(kx::test::PDFBuilder& b) {
    std::string red;
    for (int i = 0; i < 16; ++i) red += "\xff\x00\x00";
    return b.addStream("/Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                       red);
}

}  // namespace

// A picture, text turned a quarter (a text box) and text at a slant (a text path), on two pages:
// every shape's "#" type is defined by a shape type written before the shape.
TEST(DocxModelConversion, EveryShapeTypeNamedIsDefinedBeforeUse) {
    kx::test::PDFBuilder b;
    const int image = addRedPicture(b);
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

// Text turned a quarter down the page, and a line upside down above a line upside down: LibreOffice
// shows the turned text in whole words (a box whose flow it does not know shows it unturned, a
// letter or two to a line of the narrow box), and the upside-down line where it stood, not one box
// height lower over the line below it.
TEST(DocxModelConversion, TurnedTextBoxesShowTheirTextWhereItStood) {
    const std::string content = "BT /F1 12 Tf 0 -1 1 0 300 700 Tm (Turned down the page) Tj ET\n"
                                "BT /F1 12 Tf -1 0 0 -1 550 450 Tm (Upside down first) Tj ET\n"
                                "BT /F1 12 Tf -1 0 0 -1 550 436 Tm (Upside down second) Tj ET\n"
                                "BT /F1 12 Tf 72 100 Td (Upright text at the foot of the page) Tj ET\n";
    kx::test::PDFBuilder b;
    b.addPage(content, "<< " + kHelvetica + " >>");
    const Conversion c = convert(kx::test::writeTemp("turned-boxes.pdf", b.build()), "turned-boxes");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    const std::vector<Word> words = wordsInLibreOffice(c.path);
    if (words.empty()) GTEST_SKIP() << "LibreOffice or pdftotext is missing";
    auto find = [&](const std::string& text) -> const Word* {
        for (const Word& w : words)
            if (w.text == text) return &w;
        return nullptr;
    };
    for (const char* whole : {"Turned", "down", "page"}) EXPECT_TRUE(find(whole)) << whole;
    // The first upside-down line stands between y 339 and 351 of the page (12 points of type on a
    // baseline at 342, hanging down).
    const Word* first = find("first");
    ASSERT_TRUE(first);
    EXPECT_GT(first->yMin, 335);
    EXPECT_LT(first->yMax, 355);
}

// With fonts replaced (the default), text is measured in the font the word processor will set it
// in. A line in a font that is not installed and that sets every letter 0.6 em wide: the narrower
// widths of the replacement go into the character spacing, and the line's words stay whole (put
// into the runs' places they would open gaps inside the words, written as blanks). A page full of
// lines in Times-Roman, installed only as a stand-in of the same widths: the document names the
// word processor's font, and LibreOffice sets the page on one page.
TEST(DocxModelConversion, TextInFontsNotInstalledKeepsItsWordsAndItsPage) {
    const std::string widths = [] {
        std::string w;
        for (int i = 32; i <= 126; ++i) w += " 600";
        return w;
    }();
    const std::string monospaced =
        "<< /Font << /F1 << /Type /Font /Subtype /TrueType /BaseFont /Qwerty /FirstChar 32 /LastChar 126 /Widths [" +
        widths +
        "] /Encoding /WinAnsiEncoding /FontDescriptor << /Type /FontDescriptor /FontName /Qwerty /Flags 32 "
        "/FontBBox [0 -200 1000 900] /ItalicAngle 0 /Ascent 900 /Descent -200 /CapHeight 700 /StemV 80 >> >> >> >>";
    const std::string line = "Within the little initial title, it fills with tiny letters.";
    std::string fullPage;
    for (int i = 0; i < 56; ++i)
        fullPage += kx::format("BT /F1 11 Tf 72 %d Td (The quick brown fox jumps over the lazy dog while the five "
                               "boxing wizards jump quickly over it.) Tj ET\n",
                               740 - i * 25 / 2);
    kx::test::PDFBuilder b;
    b.addPage("BT /F1 11 Tf 72 700 Td (" + line + ") Tj ET", monospaced);
    b.addPage(fullPage, "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >> >> >>");
    const Conversion c = convert(kx::test::writeTemp("fonts-not-installed.pdf", b.build()), "fonts-not-installed");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    const std::vector<std::string> paragraphs = paragraphsOf(c.document);
    ASSERT_FALSE(paragraphs.empty());
    EXPECT_EQ(wordsOf(paragraphs.front()), wordsOf(line)) << paragraphs.front();
    if (!kx::FontCatalog::findFont("LiberationSerif")) GTEST_SKIP() << "Liberation Serif is not installed";
    EXPECT_NE(c.document.find("w:ascii=\"Times New Roman\""), std::string::npos);
    if (const int pages = pagesInLibreOffice(c.path)) EXPECT_EQ(pages, 2);
}

// A picture turned a quarter, with words painted over it afterwards: the picture's frame is where
// it stands on the page (turned about its middle, as VML turns it), so the words are found over it
// and the picture stays behind them. Turned about the page's corner its frame would lie off the
// page, nothing would seem to lie over it, and it would be brought in front of the words.
TEST(DocxModelConversion, ATurnedPictureStaysBehindTheWordsOverIt) {
    kx::test::PDFBuilder b;
    const int image = addRedPicture(b);
    b.addPage("q 0 200 -150 0 400 350 cm /Im1 Do Q\nBT /F1 14 Tf 270 420 Td (Words over the picture) Tj ET\n",
              kx::format("<< %s /XObject << /Im1 %d 0 R >> >>", kHelvetica.c_str(), image));
    const Conversion c = convert(kx::test::writeTemp("turned-picture.pdf", b.build()), "turned-picture");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(c.document, m, std::regex("type=\"#_x0000_t75\" style=\"[^\"]*rotation:[0-9]+;z-index:(-?[0-9]+);")))
        << c.document;
    EXPECT_LT(std::stoll(m[1].str()), 0) << "behind the text";
}

// A page full to its foot between two rules, its last line set in ZapfDingbats, which LibreOffice
// sets in a wider font than the page shows. That line may run on into the page's right margin:
// kept to its column it wraps, and its second line pushes the page onto a second page.
TEST(DocxModelConversion, ALineAtTheFootOfAFullPageDoesNotSpillItOntoAnother) {
    std::string content = "0 G 0.57 w 42.5 780 m 570 780 l S\n";
    double y = 765;
    for (int i = 0; i < 59; ++i, y -= 12.5)
        content += kx::format("BT /F1 11 Tf 79 %g Td (Line %d of plain text on a page that is full to its foot.) Tj ET\n",
                              y, i);
    content += kx::format("BT /F2 16 Tf 79 %g Td (The quick brown fox jumps over the lazy) Tj ET\n", y - 8);
    content += kx::format("0 G 0.57 w 42.5 %g m 570 %g l S\n", y - 16, y - 16);
    kx::test::PDFBuilder b;
    b.addPage(content, "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> "
                       "/F2 << /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >> >> >>");
    const Conversion c = convert(kx::test::writeTemp("full-page-foot.pdf", b.build()), "full-page-foot");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    const int pages = pagesInLibreOffice(c.path);
    if (!pages) GTEST_SKIP() << "LibreOffice or pdfinfo is missing";
    EXPECT_EQ(pages, 1);
}

// With fonts replaced, text in an installed font is measured in it, and the spacing carries the
// difference from its place on the page: a line set condensed (horizontal scaling 70) keeps its
// words. Its letters widened to the font's own widths would run over each other, and the line
// would be cut into pieces with blanks inside the words.
TEST(DocxModelConversion, ALineSetCondensedKeepsItsWords) {
    if (!kx::FontCatalog::findFont("LiberationSans")) GTEST_SKIP() << "Liberation Sans is not installed";
    const std::string condensed = "Condensed words set close together";
    kx::test::PDFBuilder b;
    b.addPage("BT /F1 12 Tf 70 Tz 72 700 Td (" + condensed + ") Tj ET\n",
              "<< /Font << /F1 << /Type /Font /Subtype /TrueType /BaseFont /LiberationSans "
              "/Encoding /WinAnsiEncoding >> >> >>");
    const Conversion c = convert(kx::test::writeTemp("condensed-line.pdf", b.build()), "condensed-line");
    ASSERT_FALSE(c.error) << c.error->failureReason;
    EXPECT_NE(c.document.find("w:ascii=\"Liberation Sans\""), std::string::npos) << "measured in the installed font";
    const std::vector<std::string> paragraphs = paragraphsOf(c.document);
    ASSERT_EQ(paragraphs.size(), 1u) << c.document;
    EXPECT_EQ(wordsOf(paragraphs[0]), wordsOf(condensed)) << paragraphs[0];
}
