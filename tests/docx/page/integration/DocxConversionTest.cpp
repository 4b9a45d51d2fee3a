// Whole conversions to DOCX through the engine: the pages of the text corpus become packages that
// the schema checker accepts and LibreOffice reads back with as many pages; the first page of a
// two-column paper keeps the words of each column in order; text placed by a hostile matrix puts no
// number that is not one into the document, nor do lines of no height among overlapping lines
// squeeze the others; a file that cannot be written fails the conversion and leaves nothing behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "engine/KXDocuvane.h"
#include "exporters/ExporterTable.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

const std::string kValidator = kx::test::sharedTool("ooxml-validate").value_or("");

struct Conversion {
    std::optional<KXError> error;
    std::string path;
};

Conversion convert(const std::string& pdfPath, const std::string& outPath, std::vector<std::uint64_t> pages = {}) {
    kx::installExporters();
    if (pages.empty()) pages = kx::test::everyPage(pdfPath);
    const auto run = kx::test::runConversion(pdfPath, pages, "docx", outPath, nullptr, std::chrono::seconds(120));
    EXPECT_TRUE(run.ended);
    Conversion result;
    result.error = run.error();
    result.path = outPath;
    return result;
}

std::string output(const std::string& name) {
    std::string path = kx::pathJoin(kx::test::tempDir(), name);
    kx::removeAll(path);
    return path;
}

std::string documentPart(const std::string& package) {
    std::string xml;
    kx::test::runCommand("unzip -p '" + package + "' word/document.xml", &xml);
    return xml;
}

// Lower-case words of letters and digits only, in order; a word hyphenated at a line end is one word.
std::vector<std::string> wordsOf(std::string text) {
    text = std::regex_replace(text, std::regex("-\\s+"), "");
    std::vector<std::string> words;
    std::string current;
    auto flush = [&] {
        if (!current.empty()) words.push_back(current);
        current.clear();
    };
    for (unsigned char c : text) {
        if (std::isalnum(c))
            current.push_back(static_cast<char>(std::tolower(c)));
        else if (c < 0x80)
            flush();
    }
    flush();
    return words;
}

// The text of the document part's paragraphs, from the first paragraph after `from` on; blanks
// and tabs as blanks.
std::string textOf(const std::string& xml) {
    std::string out;
    std::regex piece("<w:t(?: [^>]*)?>([^<]*)</w:t>|<w:tab/>|</w:p>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), piece); it != std::sregex_iterator(); ++it)
        out += (*it)[1].matched ? (*it)[1].str() : std::string(" ");
    return out;
}

size_t longestCommonSubsequence(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<size_t> row(b.size() + 1, 0), prev(b.size() + 1, 0);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j)
            row[j] = a[i - 1] == b[j - 1] ? prev[j - 1] + 1 : std::max(prev[j], row[j - 1]);
        std::swap(row, prev);
    }
    return prev[b.size()];
}

int pdfPageCount(const std::string& pdf) {
    std::string info;
    kx::test::runCommand("pdfinfo '" + pdf + "'", &info);
    std::smatch m;
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

}  // namespace

TEST(DocxConversion, AFirstPageOfTwoColumnsKeepsEachColumnsWordsInOrder) {
    auto pdf = kx::test::corpusPath("text/tracemonkey.pdf");
    KX_REQUIRE_CORPUS(pdf);
    if (!kx::test::haveCommand("pdftotext") || !kx::test::haveCommand("unzip")) GTEST_SKIP();
    Conversion c = convert(*pdf, output("tracemonkey-1.docx"), {1});
    ASSERT_FALSE(c.error) << c.error->failureReason;
    const std::string xml = documentPart(c.path);
    // The columns follow the one-column band of the title; the second starts at its column break.
    const size_t columns = xml.find("<w:type w:val=\"continuous\"/>");
    const size_t columnBreak = xml.find("<w:br w:type=\"column\"/>");
    ASSERT_NE(columns, std::string::npos);
    ASSERT_NE(columnBreak, std::string::npos);
    ASSERT_LT(columns, columnBreak);
    EXPECT_NE(xml.find("w:num=\"2\""), std::string::npos) << "a section of two columns";
    const std::vector<std::string> left = wordsOf(textOf(xml.substr(columns, columnBreak - columns)));
    const std::vector<std::string> right = wordsOf(textOf(xml.substr(columnBreak)));

    auto column = [&](int x) {
        std::string text;
        kx::test::runCommand("pdftotext -f 1 -l 1 -x " + std::to_string(x) + " -y 245 -W 306 -H 600 '" + *pdf + "' -",
                             &text);
        return wordsOf(text);
    };
    const std::vector<std::string> wantLeft = column(0), wantRight = column(306);
    ASSERT_GT(wantLeft.size(), 300u);
    ASSERT_GT(wantRight.size(), 300u);
    for (auto [got, want, name] : {std::tuple{&left, &wantLeft, "left"}, std::tuple{&right, &wantRight, "right"}}) {
        SCOPED_TRACE(name);
        const size_t common = longestCommonSubsequence(*got, *want);
        EXPECT_GE(static_cast<double>(common), 0.97 * static_cast<double>(want->size())) << "in order";
        EXPECT_LE(got->size(), want->size() + want->size() / 50) << "and nothing of the other column";
    }
}

TEST(DocxConversion, TextCorpusPackagesAreValid) {
    const bool validate = !kValidator.empty();
    int converted = 0;
    for (const std::string& pdf : kx::test::corpusPDFs()) {
        if (pdf.find("/text/") == std::string::npos) continue;
        SCOPED_TRACE(pdf);
        Conversion c = convert(pdf, output(kx::pathFileName(pdf) + ".docx"));
        ASSERT_FALSE(c.error) << c.error->failureReason;
        ASSERT_TRUE(std::filesystem::exists(c.path));
        const std::string xml = documentPart(c.path);
        EXPECT_FALSE(std::regex_search(xml, std::regex("\"-?(nan|inf)", std::regex::icase)));
        if (validate) {
            std::string report;
            EXPECT_EQ(kx::test::runCommand(kValidator + " '" + c.path + "'", &report), 0) << report;
        }
        ++converted;
    }
    KX_REQUIRE_CORPUS(converted > 0);
}

TEST(DocxConversion, LibreOfficeReadsThemBackWithAsManyPages) {
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdfinfo")) GTEST_SKIP();
    for (const char* name : {"text/tracemonkey.pdf", "text/why3-manual.pdf", "text/rotation.pdf"}) {
        SCOPED_TRACE(name);
        auto pdf = kx::test::corpusPath(name);
        if (!pdf) continue;
        const std::string stem = kx::pathFileName(*pdf);
        Conversion c = convert(*pdf, output(stem + ".docx"));
        ASSERT_FALSE(c.error);
        const std::string folder = kx::pathJoin(kx::test::tempDir(), "lo-" + stem);
        kx::createDirectories(folder);
        std::string log;
        ASSERT_EQ(kx::test::runCommand("cd '" + folder + "' && timeout 240 soffice --headless -env:UserInstallation=file://" +
                                           folder + "/profile --convert-to pdf '" + c.path + "'",
                                       &log),
                  0)
            << log;
        const std::string back = kx::pathJoin(folder, stem + ".pdf");
        EXPECT_EQ(pdfPageCount(back), pdfPageCount(*pdf));
    }
}

TEST(DocxConversion, TextPlacedByAHostileMatrixLeavesNoBrokenNumbers) {
    // Strings under matrices that put them nowhere, or at huge sizes, around ordinary text.
    const std::string pdf = kx::test::writeTemp(
        "hostile-matrix.pdf",
        flowtest::textDocument({{{"F1", 12, 72, 700, 0, "Ordinary text"},
                                 {nullptr, 0, 0, 0, 0, "BT /F1 12 Tf 1e300 0 0 1e300 10 10 Tm (huge) Tj ET", 0, true},
                                 {nullptr, 0, 0, 0, 0, "BT /F1 12 Tf 0 0 0 0 100 100 Tm (flat) Tj ET", 0, true},
                                 {nullptr, 0, 0, 0, 0, "BT /F1 1e-30 Tf 72 600 Td (tiny) Tj ET", 0, true},
                                 {"F1", 12, 72, 500, 0, "More ordinary text"}}}));
    Conversion c = convert(pdf, output("hostile-matrix.docx"));
    ASSERT_FALSE(c.error);
    const std::string xml = documentPart(c.path);
    EXPECT_NE(xml.find("Ordinary"), std::string::npos);
    EXPECT_NE(xml.find("More"), std::string::npos);
    EXPECT_FALSE(std::regex_search(xml, std::regex("\"-?(nan|inf)", std::regex::icase)));
    if (std::filesystem::exists(kValidator)) {
        std::string report;
        EXPECT_EQ(kx::test::runCommand(kValidator + " '" + c.path + "'", &report), 0) << report;
    }
}

// Lines of no height (text under a flat matrix, text of size 0) inside a cluster of lines that
// overlap give no share of the cluster's height: the ordinary line of the cluster keeps the height
// and size of its text, and no number that is not one reaches the document.
TEST(DocxConversion, LinesOfNoHeightInAnOverlapClusterLeaveTheOtherLinesWhole) {
    const std::vector<flowtest::Show> noHeight = {
        {nullptr, 0, 0, 0, 0, "BT /F1 12 Tf 1 0 0 0 80 703 Tm (Flat) Tj ET", 0, true},
        {nullptr, 0, 0, 0, 0, "BT /F1 0 Tf 90 702 Td (Zero) Tj ET", 0, true},
    };
    struct Case {
        const char* name;
        std::vector<flowtest::Show> after;  // the lines below "First ordinary line" (baseline 700)
    } cases[] = {
        {"within one line", {}},
        {"between overlapping lines", {{"F1", 12, 72, 694, 0, "Overlapping line"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<flowtest::Show> shows{{"F1", 12, 72, 700, 0, "First ordinary line"}};
        shows.insert(shows.end(), noHeight.begin(), noHeight.end());
        shows.insert(shows.end(), c.after.begin(), c.after.end());
        shows.push_back({"F1", 12, 72, 600, 0, "Last line"});
        const std::string stem = "no-height-" + std::to_string(&c - cases);
        Conversion conversion = convert(kx::test::writeTemp(stem + ".pdf", flowtest::textDocument({shows})),
                                        output(stem + ".docx"));
        ASSERT_FALSE(conversion.error) << conversion.error->failureReason;
        const std::string xml = documentPart(conversion.path);
        EXPECT_FALSE(std::regex_search(xml, std::regex("\"-?(nan|inf)", std::regex::icase)));
        if (!kValidator.empty()) {
            std::string report;
            EXPECT_EQ(kx::test::runCommand(kValidator + " '" + conversion.path + "'", &report), 0) << report;
        }
        EXPECT_NE(textOf(xml).find("Last line"), std::string::npos) << textOf(xml);
        // "ordinary" stays in a 12-point run, on a line of at least 12 points.
        const size_t at = xml.find(">ordinary<");
        ASSERT_NE(at, std::string::npos) << textOf(xml);
        const size_t run = xml.rfind("<w:r>", at), paragraph = xml.rfind("<w:p>", at);
        ASSERT_TRUE(run != std::string::npos && paragraph != std::string::npos);
        EXPECT_NE(xml.substr(run, at - run).find("<w:sz w:val=\"24\"/>"), std::string::npos) << xml.substr(run, at - run);
        std::smatch line;
        const std::string properties = xml.substr(paragraph, xml.find("</w:pPr>", paragraph) - paragraph);
        ASSERT_TRUE(std::regex_search(properties, line, std::regex("w:line=\"(\\d+)\""))) << properties;
        EXPECT_GE(std::stoi(line[1]), 240) << properties;
    }
}

TEST(DocxConversion, AnUnwritableDestinationFailsAndLeavesNothing) {
    const std::string pdf = kx::test::writeTemp("plain.pdf", flowtest::textDocument({{{"F1", 12, 72, 700, 0, "Text"}}}));
    const std::string blocker = kx::test::writeTemp("a-file", "x");
    Conversion c = convert(pdf, kx::pathJoin(blocker, "out.docx"));
    ASSERT_TRUE(c.error);
    EXPECT_FALSE(std::filesystem::exists(kx::pathJoin(blocker, "out.docx")));
}

TEST(DocxConversion, WhatTextIsKeptAndTheRunPropertiesItGets) {
    kx::test::PDFBuilder pdf;
    const int font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    // A font whose name is longer than a name field holds, with a two-byte character at the cut.
    std::string longName(125, 'N');
    longName += "#C3#A9#C3#A9";
    const int named = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /" + longName + " /Encoding /WinAnsiEncoding >>");
    const int faint = pdf.add("<< /Type /ExtGState /ca 0.005 >>");
    const int light = pdf.add("<< /Type /ExtGState /ca 0.01 >>");
    const std::string resources = kx::format("<< /Font << /F1 %d 0 R /F9 %d 0 R >> /ExtGState << /G1 %d 0 R /G2 %d 0 R >> >>",
                                             font, named, faint, light);
    pdf.addPage("BT /F1 12 Tf 72 700 Td (Kept) Tj ET\n"
                "q /G1 gs BT /F1 12 Tf 72 680 Td (Faint) Tj ET Q\n"
                "q /G2 gs BT /F1 12 Tf 72 660 Td (Light) Tj ET Q\n"
                "BT 3 Tr /F1 12 Tf 72 640 Td (Invisible) Tj ET\n"
                "BT 2 Tr /F1 12 Tf 72 620 Td (Stroked) Tj ET\n"
                "BT /F1 3 Tf 72 600 Td (Small) Tj ET\n"
                "BT /F9 12 Tf 72 580 Td (Named) Tj ET\n",
                resources);
    const std::string file = kx::test::writeTemp("run-properties.pdf", pdf.build());
    Conversion c = convert(file, output("run-properties.docx"));
    ASSERT_FALSE(c.error);
    const std::string xml = documentPart(c.path);
    struct Case {
        const char* word;
        bool kept;
    };
    for (const Case& k : {Case{"Kept", true}, Case{"Faint", false}, Case{"Light", true}, Case{"Invisible", false},
                          Case{"Stroked", true}, Case{"Small", true}, Case{"Named", true}}) {
        SCOPED_TRACE(k.word);
        EXPECT_EQ(xml.find(std::string(">") + k.word + "<") != std::string::npos, k.kept) << textOf(xml);
    }
    auto runOf = [&](const std::string& word) {
        const size_t at = xml.find(">" + word + "<");
        const size_t start = xml.rfind("<w:r>", at);
        return at == std::string::npos || start == std::string::npos ? std::string() : xml.substr(start, at - start);
    };
    EXPECT_NE(runOf("Stroked").find("<w:b/>"), std::string::npos) << "filled and stroked text is bold";
    EXPECT_NE(runOf("Small").find("<w:sz w:val=\"10\"/>"), std::string::npos) << "no size below 5 points";
    std::smatch m;
    const std::string namedRun = runOf("Named");
    ASSERT_TRUE(std::regex_search(namedRun, m, std::regex("w:ascii=\"([^\"]*)\"")));
    const std::string name = m[1];
    EXPECT_LE(name.size(), 127u);
    EXPECT_TRUE(kx::isValidUtf8(name)) << "cut where a character begins";
}
