// The KXDocuvane program end to end: page images in every format, read back by an independent
// reader; its printed progress; exit statuses; and what it must never do to the files around it.

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <sstream>

#include "CommandLineHarness.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using kx::test::PDFBuilder;
using kx::test::freshFolder;
using kx::test::Outcome;
using kx::test::run;
using kx::test::shellQuoted;

namespace {

// Two pages: letter turned a quarter (/Rotate 90) and 300 x 200 points, each with something drawn.
const std::string& twoPages() {
    static const std::string path = [] {
        PDFBuilder b;
        b.addPage("0 0 1 rg 72 72 200 300 re f", "<< >>", "/MediaBox [0 0 612 792] /Rotate 90");
        b.addPage("1 0 0 rg 10 10 100 50 re f", "<< >>", "/MediaBox [0 0 300 200]");
        return test::writeTemp("two-pages.pdf", b.build());
    }();
    return path;
}

const std::string& pagesOf(int count) {
    static std::map<int, std::string> paths;
    auto& path = paths[count];
    if (path.empty()) {
        PDFBuilder b;
        for (int i = 1; i <= count; ++i)
            b.addPage("0 g 10 10 20 20 re f", "<< >>", kx::format("/MediaBox [0 0 %d 100]", 100 * i));
        path = test::writeTemp(kx::format("pages-%d.pdf", count), b.build());
    }
    return path;
}

std::string identify(const std::string& path, const std::string& format) {
    std::string out;
    if (test::runCommand("identify -format " + shellQuoted(format) + " " + shellQuoted(path), &out) != 0) return {};
    return out;
}

int imageWidth(const std::string& path) {
    std::istringstream in(identify(path, "%w"));
    int w = -1;
    in >> w;
    return w;
}

struct FormatCase {
    const char* key;
    const char* magick;
    bool recordsResolution;
};

class CommandLineFormat : public ::testing::TestWithParam<FormatCase> {};

}  // namespace

// Every image key writes IMG_00001.<key>, IMG_00002.<key>, ... that an independent reader opens,
// with the page's size at 144 dpi (the turned letter page is 1584 x 1224) and that resolution.
TEST_P(CommandLineFormat, WritesOneReadableImagePerPage) {
    if (!test::haveCommand("identify")) GTEST_SKIP() << "ImageMagick is not installed";
    const FormatCase& fc = GetParam();
    std::string out = pathJoin(freshFolder(fc.key), "out");
    Outcome r = run("-i " + shellQuoted(twoPages()) + " -o " + shellQuoted(out) + " -f " + fc.key);
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string first = std::string("IMG_00001.") + fc.key, second = std::string("IMG_00002.") + fc.key;
    ASSERT_EQ(listDirectory(out), (std::vector<std::string>{first, second}));

    struct Expected {
        std::string file;
        int width, height;
    } pages[] = {{first, 1584, 1224}, {second, 600, 400}};
    for (const Expected& e : pages) {
        SCOPED_TRACE(e.file);
        std::istringstream meta(identify(pathJoin(out, e.file), "%m %w %h %x %U"));
        std::string magick, units;
        int w = 0, h = 0;
        double xres = 0;
        meta >> magick >> w >> h >> xres >> units;
        EXPECT_EQ(magick, fc.magick);
        EXPECT_EQ(w, e.width);
        EXPECT_EQ(h, e.height);
        if (fc.recordsResolution) {
            EXPECT_NEAR(units == "PixelsPerCentimeter" ? xres * 2.54 : xres, 144, 0.05);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ImageKeys, CommandLineFormat,
                         ::testing::Values(FormatCase{"jpeg", "JPEG", true}, FormatCase{"jpg", "JPEG", true},
                                           FormatCase{"png", "PNG", true}, FormatCase{"bmp", "BMP3", true},
                                           FormatCase{"gif", "GIF", false}, FormatCase{"tiff", "TIFF", true},
                                           FormatCase{"tga", "TGA", false}, FormatCase{"jp2", "JP2", false}),
                         [](const auto& info) { return std::string(info.param.key); });

TEST(CommandLine, PrintsItsProgressLines) {
    std::string out = pathJoin(freshFolder("progress"), "out");
    const std::string& pdf = pagesOf(4);
    Outcome r = run("-i " + shellQuoted(pdf) + " -o " + shellQuoted(out) + " -f png");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "The input file: \"" + pdf + "\"\n"
                        "Let's convert PDF to \"png\"\n"
                        "Conversion Started: \"" + pdf + "\"\n"
                        "Conversion Page: 0-4, Progress: 0.10%\n"
                        "Conversion Page: 1-4, Progress: 25.00%\n"
                        "Conversion Page: 2-4, Progress: 50.00%\n"
                        "Conversion Page: 3-4, Progress: 75.00%\n"
                        "Conversion willSaveDoc to: \"" + out + "\"\n"
                        "Conversion end Success: \"" + pdf + "\"\n");
}

TEST(CommandLine, UsageEndsWithStatus255) {
    Outcome r = run("-h");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.output,
              "KXDocuvane v1.0.1\n\n"
              "KXDocuvane - Convert PDF to Word/Excel/PPT, etc.\n"
              "usage: KXDocuvane [input]filepath.pdf [options]docx [output]filepath.docx\n"
              "where options are:\n"
              " -i input.pdf              [input]add a new file path for pdf conversion\n"
              " -o output.docx            [output]write conversion output to file path\n"
              " -p 1-3,5                  [options]setup pdf page ranges[todo fix]\n"
              " -f docx,pptx,xlsx,jpg     [options]setup conversion formats{default is docx}\n"
              " -h                        [help]print this help message\n\n");
}

// One version everywhere: the banner gives the version that the program's documents carry, the
// bundle's (a DOCX package's AppVersion, the generator comment of HTML, the comment of RTF).
TEST(CommandLine, TheBannerGivesTheVersionItsDocumentsCarry) {
    const std::string banner = run("-h").output;
    std::smatch found;
    ASSERT_TRUE(std::regex_search(banner, found, std::regex("^KXDocuvane v([^\n]+)\n\n"))) << banner;
    const std::string version = found[1];
    EXPECT_EQ(version, "1.0.1");
    struct Case {
        const char* format;
        const char* part;  // in the package, or nothing for a plain file
        std::string carries;
    } cases[] = {
        {"docx", "docProps/app.xml", "<AppVersion>" + version + "</AppVersion>"},
        {"html", nullptr, "<!--Powered by Docuvane " + version + " "},
        {"rtf", nullptr, "{\\doccomm Powered by Docuvane v" + version + " "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string folder = freshFolder(std::string("version-") + c.format);
        const std::string out = pathJoin(folder, std::string("out.") + c.format);
        Outcome r = run("-i " + shellQuoted(twoPages()) + " -o " + shellQuoted(out) + " -f " + c.format);
        ASSERT_EQ(r.status, 0) << r.output;
        std::string text;
        if (!c.part) {
            text = readFile(out).value_or("");
        } else {
            if (!test::haveCommand("unzip")) continue;
            ASSERT_EQ(test::runCommand("unzip -p " + shellQuoted(out) + " " + c.part, &text), 0);
        }
        EXPECT_NE(text.find(c.carries), std::string::npos) << text.substr(0, 600);
    }
}

TEST(CommandLine, FailuresEndWithStatus1) {
    std::string dir = freshFolder("failures");
    std::string locked = test::writeTemp("cli-locked.pdf", kx::test::encryptPDF(
        [] { PDFBuilder b; b.addPage(""); return b.build(); }(), "user", "owner"));
    struct Case {
        const char* name;
        std::string arguments;
        std::string lastLine;
    } cases[] = {
        {"missing input", "-i " + shellQuoted(pathJoin(dir, "missing.pdf")) + " -f png -o " + shellQuoted(pathJoin(dir, "o1")),
         "Conversion end Failed: \"Source File isn't exist.\" (no such file): \"" + pathJoin(dir, "missing.pdf") + "\""},
        {"locked input", "-i " + shellQuoted(locked) + " -f png -o " + shellQuoted(pathJoin(dir, "o2")),
         "Conversion end Failed: \"Can't load the PDF Document.\" (password-protected; the command line opens no "
         "password-protected PDF): \"" + locked + "\""},
        {"unknown format", "-i " + shellQuoted(twoPages()) + " -f xyz", "Unsupported output format: \"xyz\""},
        {"a format without an exporter", "-i " + shellQuoted(twoPages()) + " -f pdf", "Unsupported output format: \"pdf\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome r = run(c.arguments);
        EXPECT_EQ(r.status, 1) << r.output;
        std::string output = r.output;
        if (!output.empty() && output.back() == '\n') output.pop_back();
        EXPECT_EQ(output.substr(output.rfind('\n') + 1), c.lastLine) << r.output;
    }
}

// A conversion that ends without an error but converted none of its pages is no success for the
// caller of the command: every page here is too large to draw at 144 dpi. Nothing is left behind.
TEST(CommandLine, NoPageConvertedEndsWithStatus1) {
    PDFBuilder b;
    b.addPage("", "<< >>", "/MediaBox [0 0 14400 14400]");
    b.addPage("", "<< >>", "/MediaBox [0 0 14400 14400]");
    std::string huge = test::writeTemp("cli-huge-pages.pdf", b.build());
    const std::string hugeFolder = freshFolder("huge");
    Outcome r = run("-i " + shellQuoted(huge) + " -f png -o " + shellQuoted(pathJoin(hugeFolder, "out")));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("No page could be converted."), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("Conversion end Success"), std::string::npos) << r.output;
    EXPECT_TRUE(listDirectory(hugeFolder).empty());
    // One drawable page among them gives an output, and the status that says pages are missing.
    PDFBuilder mixed;
    mixed.addPage("", "<< >>", "/MediaBox [0 0 14400 14400]");
    mixed.addPage("", "<< >>", "/MediaBox [0 0 100 100]");
    std::string some = test::writeTemp("cli-some-pages.pdf", mixed.build());
    const std::string out = pathJoin(freshFolder("some"), "out");
    r = run("-i " + shellQuoted(some) + " -f png -o " + shellQuoted(out));
    EXPECT_EQ(r.status, 3) << r.output;
    EXPECT_EQ(listDirectory(out), (std::vector<std::string>{"IMG_00002.png"}));
}

// The format is checked before anything is touched: the file at the output path stays.
TEST(CommandLine, AnUnknownFormatTouchesNothing) {
    std::string existing = pathJoin(freshFolder("untouched"), "report.xyz");
    writeFile(existing, "keep me");
    Outcome r = run("-i " + shellQuoted(twoPages()) + " -o " + shellQuoted(existing) + " -f xyz");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readFile(existing), "keep me");
}

// The output never replaces the input, however its path is spelled.
TEST(CommandLine, NeverOverwritesTheInput) {
    std::string dir = freshFolder("input");
    std::string input = pathJoin(dir, "doc.pdf");
    const std::string bytes = readFile(twoPages()).value();
    writeFile(input, bytes);
    std::string link = pathJoin(dir, "link.pdf");
    ASSERT_EQ(symlink(input.c_str(), link.c_str()), 0);
    for (const std::string& output : {input, pathJoin(dir, "./sub/../doc.pdf"), link}) {
        SCOPED_TRACE(output);
        Outcome r = run("-i " + shellQuoted(input) + " -o " + shellQuoted(output) + " -f png");
        EXPECT_EQ(r.status, 1) << r.output;
        EXPECT_EQ(readFile(input), bytes);
    }
    // The default output (next to the input, named after it) is not the input either.
    Outcome r = run("-i " + shellQuoted(input) + " -f png");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(readFile(input), bytes);
    EXPECT_EQ(listDirectory(pathJoin(dir, "doc.png")), (std::vector<std::string>{"IMG_00001.png", "IMG_00002.png"}));
}

// A folder at the output path is kept with what it holds; a file there is replaced by a one-file
// output (a folder output refuses it: CommandLineFailure.FolderFormatsLeaveAFileAtTheOutputPath).
TEST(CommandLine, OutputFoldersAreKeptAndOutputFilesReplaced) {
    std::string folder = pathJoin(freshFolder("keep"), "images");
    createDirectories(folder);
    writeFile(pathJoin(folder, "notes.txt"), "mine");
    Outcome r = run("-i " + shellQuoted(twoPages()) + " -o " + shellQuoted(folder) + " -f png -p 2");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(listDirectory(folder), (std::vector<std::string>{"IMG_00001.png", "notes.txt"}));
    EXPECT_EQ(readFile(pathJoin(folder, "notes.txt")), "mine");

    std::string file = pathJoin(freshFolder("replace"), "old");
    writeFile(file, "old output");
    r = run("-i " + shellQuoted(twoPages()) + " -o " + shellQuoted(file) + " -f txt -p 2");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(fileKind(file), FileKind::RegularFile);
    EXPECT_NE(readFile(file).value_or("old output"), "old output");
}

TEST(CommandLine, PageRangesSelectAndOrderPages) {
    if (!test::haveCommand("identify")) GTEST_SKIP() << "ImageMagick is not installed";
    const std::string& pdf = pagesOf(3);  // pages 100, 200 and 300 points wide
    struct Case {
        const char* range;
        std::vector<int> widths;  // of IMG_00001, IMG_00002, ... at 144 dpi
    } cases[] = {
        {"3-1", {600, 400, 200}},
        {"1-99999999999", {200, 400, 600}},
        {"0", {200, 400, 600}},
        {"ALL", {200, 400, 600}},
        {"2,2", {400, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        std::string out = pathJoin(freshFolder("range"), "out");
        Outcome r = run("-f png -p " + shellQuoted(c.range) + " -i " + shellQuoted(pdf) + " -o " + shellQuoted(out));
        ASSERT_EQ(r.status, 0) << r.output;
        EXPECT_NE(r.output.find("Pages Selected: \"" + std::string(c.range) + "\"\n"), std::string::npos);
        std::vector<std::string> files = listDirectory(out);
        ASSERT_EQ(files.size(), c.widths.size());
        for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(imageWidth(pathJoin(out, files[i])), c.widths[i]) << files[i];
    }
}

namespace {

// The words of a text, in order: letters and digits, lower case.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// The text of a WordprocessingML body: the runs of a paragraph joined, paragraphs apart.
std::string bodyText(const std::string& xml) {
    std::string text;
    static const std::regex piece("<w:t(?: [^>]*)?>([^<]*)</w:t>|</w:p>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), piece); it != std::sregex_iterator(); ++it)
        text += (*it)[1].matched ? (*it)[1].str() : std::string("\n");
    return text;
}

}  // namespace

// The commands of the README work on the sample that ships with the sources: its first command
// (the sample to a Word document, which is valid and holds the sample's words) and its page images.
TEST(CommandLine, TheReadmeSampleConverts) {
    const std::string sample = pathJoin(test::sourceDir(), "examples/sample.pdf");
    ASSERT_TRUE(isRegularFile(sample));
    std::string sampleText;
    if (test::haveCommand("pdftotext")) {
        ASSERT_EQ(test::runCommand("pdftotext -enc UTF-8 " + shellQuoted(sample) + " -", &sampleText), 0);
    }
    const std::optional<std::string> validator = test::sharedTool("ooxml-validate");
    const bool validate = validator && test::haveCommand("xmllint");

    struct Case {
        const char* format;
        const char* output;               // -o, in a fresh folder
        std::vector<std::string> folder;  // what a folder output holds; empty: one file
    } cases[] = {
        {"docx", "sample.docx", {}},
        {"png", "out", {"IMG_00001.png", "IMG_00002.png", "IMG_00003.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string out = pathJoin(freshFolder(std::string("readme-") + c.format), c.output);
        Outcome r = run("-i " + shellQuoted(sample) + " -o " + shellQuoted(out) + " -f " + c.format);
        ASSERT_EQ(r.status, 0) << r.output;
        if (!c.folder.empty()) {
            EXPECT_EQ(listDirectory(out), c.folder);
            continue;
        }
        ASSERT_TRUE(isRegularFile(out)) << r.output;
        EXPECT_EQ(readFile(out).value_or("").substr(0, 2), "PK");
        if (validate) {
            std::string report;
            EXPECT_EQ(test::runCommand(*validator + " " + shellQuoted(out), &report), 0) << report;
        }
        if (!test::haveCommand("unzip")) continue;
        std::string document;
        ASSERT_EQ(test::runCommand("unzip -p " + shellQuoted(out) + " word/document.xml", &document), 0);
        // Every word of the sample is in the document, as often as the sample has it.
        std::map<std::string, int> missing;
        for (const std::string& w : wordsOf(sampleText)) ++missing[w];
        for (const std::string& w : wordsOf(bodyText(document)))
            if (auto it = missing.find(w); it != missing.end() && --it->second == 0) missing.erase(it);
        std::string list;
        for (const auto& [word, count] : missing) list += " " + word + " x" + std::to_string(count);
        EXPECT_TRUE(missing.empty()) << "missing from the document:" << list;
        EXPECT_FALSE(wordsOf(bodyText(document)).empty());
    }
}

// The spreadsheet formats: a workbook file, and a folder of one CSV table per page.
TEST(CommandLine, SpreadsheetFormats) {
    std::string sample = pathJoin(test::sourceDir(), "examples/sample.pdf");
    std::string dir = freshFolder("spreadsheet");
    Outcome r = run("-i " + shellQuoted(sample) + " -o " + shellQuoted(pathJoin(dir, "sample.xlsx")) + " -f xlsx");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(readFile(pathJoin(dir, "sample.xlsx")).value_or("").substr(0, 2), "PK");
    r = run("-i " + shellQuoted(sample) + " -o " + shellQuoted(pathJoin(dir, "sample.csv")) + " -f csv -p 1");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(listDirectory(pathJoin(dir, "sample.csv")), (std::vector<std::string>{"Table 1.csv"}));
}

// The document properties are dated by SOURCE_DATE_EPOCH when it is set, in every package format
// alike: created and modified both give that time. A document's core properties carry no dates.
TEST(CommandLine, PackagesAreDatedBySourceDateEpoch) {
    if (!test::haveCommand("unzip")) GTEST_SKIP() << "unzip is not installed";
    struct Case {
        const char* format;
        std::vector<std::string> dates;  // the dcterms dates of docProps/core.xml, in order
    } cases[] = {
        {"docx", {}},
        {"xlsx", {"2023-11-14T22:13:20Z", "2023-11-14T22:13:20Z"}},
        {"pptx", {"2023-11-14T22:13:20Z", "2023-11-14T22:13:20Z"}},
    };
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string out = pathJoin(freshFolder(std::string("dated-") + c.format), std::string("out.") + c.format);
        Outcome r = run("-i " + shellQuoted(twoPages()) + " -o " + shellQuoted(out) + " -f " + c.format);
        EXPECT_EQ(r.status, 0) << r.output;
        std::string core;
        EXPECT_EQ(test::runCommand("unzip -p " + shellQuoted(out) + " docProps/core.xml", &core), 0);
        EXPECT_NE(core.find("coreProperties"), std::string::npos) << core;
        std::vector<std::string> dates;
        const std::regex date("<dcterms:(created|modified) xsi:type=\"dcterms:W3CDTF\">([^<]*)<");
        for (auto it = std::sregex_iterator(core.begin(), core.end(), date); it != std::sregex_iterator(); ++it)
            dates.push_back((*it)[2]);
        EXPECT_EQ(dates, c.dates) << core;
    }
    ::unsetenv("SOURCE_DATE_EPOCH");
}
