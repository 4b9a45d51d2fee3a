// Whole conversions to plain text, HTML and RTF through the engine, on PDFs built here: the outputs
// are compared with golden files, the HTML is checked for well-formedness, and the RTF is read back
// by LibreOffice when it is installed. Set KX_UPDATE_GOLDEN=1 to rewrite the golden files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "flowtext/FlowTextFixtures.h"
#include "engine/EngineHarness.h"
#include "engine/KXDocuvane.h"
#include "exporters/ExporterTable.h"
#include "flowtext/FlowProduct_p.h"
#include "flowtext/KXTextPDFExporter.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "support/TestSupport.h"

using flowtest::Show;

namespace {

struct Document {
    const char* name;
    std::vector<std::vector<Show>> pages;
};

const std::vector<Document>& documents() {
    static const std::vector<Document> docs = {
        {"layout",
         {
             // Two columns under a full-width title, set with a leading of 14 for 12-point text.
             {{"F2", 18, 72, 740, 0, "Two Columns"},
              {"F1", 12, 72, 700, 0, "Left column, first line"},
              {"F1", 12, 72, 686, 0, "left column, second line"},
              {"F1", 12, 72, 672, 0, "left column, third line."},
              {"F1", 12, 320, 700, 0, "Right column, first line"},
              {"F1", 12, 320, 686, 0, "right column, second line"},
              {"F1", 12, 320, 672, 0, "right column, third line."},
              {"F1", 10, 72, 100, 0, "Footer below both columns"}},
             // Text running up, down and on a slant follows the horizontal text, each line read in
             // its own direction.
             {{"F1", 12, 72, 700, 0, "Horizontal before"},
              {"F1", 12, 500, 300, 90, "Running upward"},
              {"F1", 12, 540, 650, -90, "Running downward"},
              {"F1", 12, 100, 500, 30, "On a slant"},
              {"F1", 12, 72, 400, 0, "Horizontal after"}},
             // Baselines a little off the horizontal: rising by half a degree (-0.5 on the page as
             // shown) and by three degrees are kept in one piece; falling by five degrees is not
             // horizontal.
             {{"F1", 12, 72, 700, 0.5, "A long line rising by half a degree across the whole page width"},
              {"F1", 12, 72, 650, -0.5, "A long line falling by half a degree across the page width"},
              {"F1", 12, 72, 600, 3, "Rising by three degrees"},
              {"F1", 12, 72, 500, -5, "Falling by five degrees"},
              {"F1", 12, 72, 450, 0, "The end"}},
         }},
        {"styles",
         {{{nullptr, 0, 0, 0, 0,
            "BT /F1 12 Tf 72 700 Td (Plain ) Tj /F2 12 Tf (bold ) Tj /F3 12 Tf (italic ) Tj /F4 12 Tf (both ) Tj "
            "/F1 12 Tf 2 Tr (stroked ) Tj 0 Tr [(slanted)] TJ ET",
            0, true},
           {nullptr, 0, 0, 0, 0, "BT /F1 12 Tf 1 0 0.4 1 300 700 Tm (slanted) Tj ET", 0, true},
           {"F1", 12, 72, 680, 0, "Caf\\351 \\374ber Stra\\337e \\200 \\223quoted\\224"},
           {"F5", 12, 72, 660, 0, "AB"}}}},
        {"hostile",
         {{{"F6", 12, 72, 700, 0, "</p><script>alert\\(1\\)</script> & {\\\\rtf1} \\\\par \"quoted\""},
           {"F1", 12, 72, 680, 0, "Tab\\tand\\011more"}}}},
    };
    return docs;
}

std::string goldenPath(const std::string& file) {
    return kx::pathJoin(kx::test::sourceDir(), "tests/flowtext/integration/golden/" + file);
}

// The version of the program varies; the golden files hold a placeholder.
std::string withVersionPlaceholder(std::string text) {
    const std::string version = kx::detail::productVersion();
    if (version.empty()) return text;
    for (size_t at; (at = text.find(version)) != std::string::npos;) text.replace(at, version.size(), "@VERSION@");
    return text;
}

struct Conversion {
    std::optional<KXError> error;
    std::string output;
};

Conversion convert(const std::string& pdfPath, const std::string& type, const std::string& outPath,
                   std::shared_ptr<const KXPDFOptions> options = nullptr) {
    kx::installExporters();
    const auto run = kx::test::runConversion(pdfPath, kx::test::everyPage(pdfPath), type, outPath, std::move(options));
    EXPECT_TRUE(run.ended);
    Conversion result;
    result.error = run.error();
    result.output = kx::readFile(outPath).value_or("");
    return result;
}

std::string documentPath(const Document& doc) {
    return kx::test::writeTemp(std::string(doc.name) + ".pdf", flowtest::textDocument(doc.pages));
}

std::string outputPath(const Document& doc, const std::string& type) {
    return kx::pathJoin(kx::test::tempDir(), std::string(doc.name) + "." + type);
}

}  // namespace

TEST(FlowTextConversion, OutputsMatchTheGoldenFiles) {
    const bool update = std::getenv("KX_UPDATE_GOLDEN") != nullptr;
    for (const Document& doc : documents()) {
        const std::string pdf = documentPath(doc);
        for (const std::string type : {"txt", "html", "rtf"}) {
            const std::string name = std::string(doc.name) + "." + type;
            Conversion c = convert(pdf, type, outputPath(doc, type));
            ASSERT_FALSE(c.error) << name << ": " << c.error->failureReason;
            const std::string actual = withVersionPlaceholder(c.output);
            if (update) {
                kx::writeFile(goldenPath(name), actual);
                continue;
            }
            std::optional<std::string> golden = kx::readFile(goldenPath(name));
            ASSERT_TRUE(golden) << "missing golden file " << name;
            EXPECT_EQ(actual, *golden) << name;
        }
    }
}

TEST(FlowTextConversion, HtmlIsWellFormed) {
    if (!kx::test::haveCommand("python3")) GTEST_SKIP() << "python3 is not installed";
    std::string files;
    for (const Document& doc : documents()) {
        convert(documentPath(doc), "html", outputPath(doc, "html"));
        files += " '" + outputPath(doc, "html") + "'";
    }
    std::string out;
    const std::string checker = kx::pathJoin(kx::test::sourceDir(), "tests/flowtext/integration/check_html.py");
    EXPECT_EQ(kx::test::runCommand("python3 '" + checker + "'" + files, &out), 0) << out;
    if (kx::test::haveCommand("xmllint")) {
        out.clear();
        EXPECT_EQ(kx::test::runCommand("xmllint --html --noout" + files, &out), 0) << out;
        EXPECT_EQ(out, "");
    }
}

TEST(FlowTextConversion, RtfOpensInLibreOfficeWithTheTextOfThePlainText) {
    if (!kx::test::haveCommand("soffice")) GTEST_SKIP() << "LibreOffice is not installed";
    const std::string profile = kx::pathJoin(kx::test::tempDir(), "lo-profile");
    const std::string outDir = kx::pathJoin(kx::test::tempDir(), "lo-out");
    kx::createDirectories(outDir);
    for (const Document& doc : documents()) {
        const std::string pdf = documentPath(doc);
        const std::string text = convert(pdf, "txt", outputPath(doc, "txt")).output;
        convert(pdf, "rtf", outputPath(doc, "rtf"));
        std::string log;
        int status = kx::test::runCommand("soffice -env:UserInstallation=file://" + profile +
                                              " --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" + outDir +
                                              "' '" + outputPath(doc, "rtf") + "'",
                                          &log);
        ASSERT_EQ(status, 0) << log;
        std::optional<std::string> back = kx::readFile(kx::pathJoin(outDir, std::string(doc.name) + ".txt"));
        ASSERT_TRUE(back) << log;
        EXPECT_TRUE(flowtest::wordsSplitAtAnyBlank(*back) == flowtest::wordsSplitAtAnyBlank(text))
            << doc.name << ":\n" << *back << "\n---\n" << text;
    }
}

TEST(FlowTextConversion, AnOutputThatCannotBeWrittenEndsWithAnError) {
    const Document& doc = documents().front();
    const std::string pdf = documentPath(doc);
    for (const std::string type : {"txt", "html", "rtf"}) {
        const std::string out = kx::pathJoin(kx::test::tempDir(), "no/such/folder/out." + type);
        Conversion c = convert(pdf, type, out);
        ASSERT_TRUE(c.error) << type;
        EXPECT_EQ(c.error->code, 400);
        EXPECT_EQ(c.error->failureReason, "Can't write the output file.");
        EXPECT_FALSE(kx::fileExists(out));
    }
}
