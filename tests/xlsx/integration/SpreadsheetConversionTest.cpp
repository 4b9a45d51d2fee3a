// Whole spreadsheet conversions through the engine, on table PDFs built here: workbooks checked by
// the shared validator and read back by openpyxl (one sheet per page, and all pages in one sheet
// both ways), CSV files read back by Python's csv reader, the same bytes under a German locale,
// and the output type key (not the destination's extension) choosing the target.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "engine/KXDocuvane.h"
#include "exporters/ExporterTable.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelPage.h"
#include "xlsx/KXExcelRunText.h"
#include "xlsx/KXExcelWriter.h"

using flowtest::Show;

namespace {

std::optional<std::string> pythonWithOpenpyxl() {
    for (const char* python : {"/usr/bin/python3", "python3"})
        if (kx::test::runCommand(std::string(python) + " -c 'import openpyxl' 2>/dev/null") == 0) return python;
    return std::nullopt;
}

std::optional<std::string> validator() {
    std::optional<std::string> path = kx::test::sharedTool("ooxml-validate");
    if (!path || !kx::test::haveCommand("xmllint")) return std::nullopt;
    return path;
}

// A page of a small table: a header and three rows, set at fixed columns, with numbers and quotes.
std::vector<Show> tablePage(int page) {
    const std::string n = std::to_string(page);
    return {
        {"F2", 11, 72, 720, 0, "Item"},
        {"F2", 11, 220, 720, 0, "Qty"},
        {"F2", 11, 340, 720, 0, "Price"},
        {"F1", 11, 72, 700, 0, "Tea \"green\" " + n},
        {"F1", 11, 220, 700, 0, "2" + n},
        {"F1", 11, 340, 700, 0, "3.50"},
        {"F1", 11, 72, 680, 0, "Cake, lemon"},
        {"F1", 11, 220, 680, 0, "1,200"},
        {"F1", 11, 340, 680, 0, "12.5%"},
        {"F1", 11, 72, 660, 0, "Code"},
        {"F1", 11, 220, 660, 0, "00123"},
        {"F1", 11, 340, 660, 0, "(4.00)"},
    };
}

std::string threePagePDF() {
    static const std::string path =
        kx::test::writeTemp("table-pages.pdf", flowtest::textDocument({tablePage(1), tablePage(2), tablePage(3)}));
    return path;
}

std::optional<KXError> convert(const std::string& pdf, const std::string& type, const std::string& out,
                               const KXExcelOptions& excel = KXExcelOptions(), std::vector<std::uint64_t> pages = {}) {
    kx::installExporters();
    if (pages.empty()) pages = {1, 2, 3};
    auto options = std::make_shared<KXPDFOptions>();
    options->setExcelOptions(excel);
    const auto run = kx::test::runConversion(pdf, pages, type, out, std::move(options));
    EXPECT_TRUE(run.ended);
    return run.error();
}

// Every sheet as "Sheet name" lines followed by "A1|type|value|format" lines.
std::string listing(const std::string& python, const std::string& xlsx) {
    const std::string script = kx::test::writeTemp("list-sheets.py",
        "import sys, openpyxl\n"
        "wb = openpyxl.load_workbook(sys.argv[1])\n"
        "for ws in wb.worksheets:\n"
        "    print(ws.title)\n"
        "    for row in ws.iter_rows():\n"
        "        for c in row:\n"
        "            if c.value is not None:\n"
        "                print(c.coordinate, type(c.value).__name__, c.value, c.number_format, sep='|')\n");
    std::string out;
    EXPECT_EQ(kx::test::runCommand(python + " -W ignore::UserWarning '" + script + "' '" + xlsx + "'", &out), 0) << out;
    return out;
}

// One part of a package, as text.
std::string partOf(const std::string& package, const std::string& part) {
    std::string out;
    EXPECT_EQ(kx::test::runCommand("/usr/bin/python3 -c 'import sys, zipfile; "
                                   "sys.stdout.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]).decode())' '" +
                                       package + "' '" + part + "'",
                                   &out),
              0)
        << out;
    return out;
}

void expectValid(const std::string& xlsx) {
    if (std::optional<std::string> validate = validator()) {
        std::string output;
        EXPECT_EQ(kx::test::runCommand("'" + *validate + "' '" + xlsx + "'", &output), 0) << output;
    }
}

std::string page(int n, char a, char b, char c, int row) {
    const std::string r = std::to_string(row), r1 = std::to_string(row + 1), r2 = std::to_string(row + 2),
                      r3 = std::to_string(row + 3), k = std::to_string(n);
    auto at = [](char col, const std::string& rr) { return std::string(1, col) + rr; };
    return at(a, r) + "|str|Item|General\n" + at(b, r) + "|str|Qty|General\n" + at(c, r) + "|str|Price|General\n" +
           at(a, r1) + "|str|Tea \"green\" " + k + "|General\n" + at(b, r1) + "|int|2" + k + "|General\n" + at(c, r1) +
           "|float|3.5|General\n" + at(a, r2) + "|str|Cake, lemon|General\n" + at(b, r2) + "|int|1200|#,##0\n" +
           at(c, r2) + "|float|0.125|0.00%\n" + at(a, r3) + "|str|Code|General\n" + at(b, r3) + "|str|00123|General\n" +
           at(c, r3) + "|float|-4.0|0.00_);(0.00)\n";
}

// A page set as TeX sets it: a font whose widths leave out the blank (so its word space is taken
// as half an em, 5 points at 10 points) and words placed a third of an em apart with no blank
// between them, by TJ offsets on one line and word by word on the next. Below, a two-column table
// in the same font whose closest cells are 9.7 points apart.
std::string wordsPlacedApartPDF() {
    kx::test::PDFBuilder pdf;
    const int descriptor = pdf.add(
        "<< /Type /FontDescriptor /FontName /PlainSerif /Flags 32 /FontBBox [-40 -250 1040 750] /ItalicAngle 0 "
        "/Ascent 750 /Descent -250 /CapHeight 700 /StemV 80 >>");
    std::string widths;
    for (int c = 33; c <= 126; ++c) widths += " 500";
    const int font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /PlainSerif /FirstChar 33 /LastChar 126 "
                             "/Widths [" + widths + "] /Encoding /WinAnsiEncoding /FontDescriptor " +
                             std::to_string(descriptor) + " 0 R >>");
    std::string content = "BT /T 10 Tf 72 720 Td [(Words) -333 (placed) -333 (apart) -333 (by) -333 (offsets)] TJ ET\n";
    double x = 72;
    for (const std::string word : {"each", "word", "on", "its", "own"}) {
        content += kx::format("BT /T 10 Tf %.2f 704 Td (%s) Tj ET\n", x, word.c_str());
        x += 5.0 * word.size() + 3.33;
    }
    content += "BT /T 10 Tf 72 680 Td (Item) Tj ET BT /T 10 Tf 130 680 Td (Amount) Tj ET\n"
               "BT /T 10 Tf 72 664 Td [(Green) -333 (tea)] TJ ET BT /T 10 Tf 130 664 Td (12) Tj ET\n"
               "BT /T 10 Tf 72 648 Td [(Lemon) -333 (cake)] TJ ET BT /T 10 Tf 130 648 Td (7) Tj ET\n";
    pdf.addPage(content, kx::format("<< /Font << /T %d 0 R >> >>", font));
    return kx::test::writeTemp("words-placed-apart.pdf", pdf.build());
}

// The text of a CSV table file (UTF-16 with a byte order mark).
std::u16string csvText(const std::string& file) {
    const std::string bytes = kx::readFile(file).value_or("");
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

// The text of every cell of every sheet, one line a cell, read from the package's parts.
std::string cellTexts(const std::string& xlsx) {
    const std::string script = kx::test::writeTemp("cell-texts.py",
        "import sys, zipfile, xml.etree.ElementTree as ET\n"
        "ns = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "text = lambda e: ''.join(t.text or '' for t in e.iter(ns + 't'))\n"
        "shared = [text(si) for si in ET.fromstring(z.read('xl/sharedStrings.xml')).iter(ns + 'si')] "
        "if 'xl/sharedStrings.xml' in z.namelist() else []\n"
        "for name in sorted(n for n in z.namelist() if n.startswith('xl/worksheets/sheet')):\n"
        "    for c in ET.fromstring(z.read(name)).iter(ns + 'c'):\n"
        "        v = c.find(ns + 'v')\n"
        "        if c.get('t') == 's' and v is not None: print(shared[int(v.text)])\n"
        "        elif c.find(ns + 'is') is not None: print(text(c.find(ns + 'is')))\n"
        "        elif v is not None: print(v.text)\n");
    std::string out;
    EXPECT_EQ(kx::test::runCommand("/usr/bin/python3 '" + script + "' '" + xlsx + "'", &out), 0) << out;
    return out;
}

// The words of a text, in order of their text, joined by '|': the cells of a sheet stand in the
// order of its rows, which need not be the order the page was read in.
std::string sortedWords(const std::u16string& text) {
    std::vector<std::string> words;
    for (const std::u16string& w : flowtest::wordsSplitAtAnyBlank(kx::utf16ToUtf8(text))) words.push_back(kx::utf16ToUtf8(w));
    std::sort(words.begin(), words.end());
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : "|") + w;
    return out;
}

// The words of the one page `pdf` as a workbook and as a table file.
std::pair<std::string, std::string> workbookAndTableWords(const std::string& pdf, const std::string& name) {
    const std::string file = kx::test::writeTemp(name + ".pdf", pdf);
    const std::string xlsx = kx::pathJoin(kx::test::tempDir(), name + ".xlsx");
    const std::string csv = kx::pathJoin(kx::test::tempDir(), name + ".csv");
    EXPECT_FALSE(convert(file, "xlsx", xlsx, KXExcelOptions(), {1}));
    EXPECT_FALSE(convert(file, "csv", csv, KXExcelOptions(), {1}));
    return {sortedWords(kx::utf8ToUtf16(cellTexts(xlsx))), sortedWords(csvText(csv + "/Table 1.csv"))};
}

}  // namespace

// A page may show one part of a larger sheet: only what lies on the page is its text. The whole
// sheet's text came out on every page that shows a part of it.
TEST(SpreadsheetConversion, TextOffThePageIsNotRead) {
    struct Case {
        const char* name;
        const char* extra;
        const char* words;
    } cases[] = {
        {"the whole sheet", "/MediaBox [0 0 612 792]", "Edge|Lower|Right|Upper"},
        // "Edge" crosses the page's right edge: the letters wholly beyond it go.
        {"its upper left part", "/MediaBox [0 482 361 792]", "E|Upper"},
        {"its lower part", "/MediaBox [0 0 612 482]", "Lower"},
        {"its upper left part, turned", "/MediaBox [0 482 361 792] /Rotate 90", "E|Upper"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const auto [xlsx, csv] =
            workbookAndTableWords(flowtest::onePage(flowtest::sheetContent(), c.extra), "sheet-part-" + std::to_string(++n));
        EXPECT_EQ(xlsx, c.words) << c.name << " as xlsx";
        EXPECT_EQ(csv, c.words) << c.name << " as csv";
    }
}

// Text drawn over itself is read once: a block drawn a second time at its place came out twice
// over in its cells.
TEST(SpreadsheetConversion, TextDrawnOverItselfIsReadOnce) {
    int n = 0;
    for (const flowtest::DrawnTwiceCase& c : flowtest::drawnTwiceCases()) {
        const auto [xlsx, csv] = workbookAndTableWords(flowtest::onePage(c.content), "drawn-twice-" + std::to_string(++n));
        EXPECT_EQ(xlsx, c.words) << c.name << " as xlsx";
        EXPECT_EQ(csv, c.words) << c.name << " as csv";
    }
}

TEST(SpreadsheetConversion, OneSheetPerPage) {
    std::optional<std::string> python = pythonWithOpenpyxl();
    if (!python) GTEST_SKIP() << "no python3 with openpyxl";
    const std::string out = kx::pathJoin(kx::test::tempDir(), "per-page.xlsx");
    ASSERT_FALSE(convert(threePagePDF(), "xlsx", out));
    expectValid(out);
    EXPECT_EQ(listing(*python, out), "Sheet 1\n" + page(1, 'A', 'B', 'C', 1) + "Sheet 2\n" + page(2, 'A', 'B', 'C', 1) +
                                         "Sheet 3\n" + page(3, 'A', 'B', 'C', 1));
    // The workbook opens on its first sheet: only that one is selected.
    for (int sheet = 1; sheet <= 3; ++sheet) {
        SCOPED_TRACE(sheet);
        const std::string xml = partOf(out, "xl/worksheets/sheet" + std::to_string(sheet) + ".xml");
        ASSERT_NE(xml.find("<sheetView "), std::string::npos) << xml;
        EXPECT_EQ(xml.find("tabSelected=\"1\"") != std::string::npos, sheet == 1) << xml;
    }
    EXPECT_EQ(partOf(out, "xl/workbook.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?><workbook "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
              "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><fileVersion appName=\"xl\" "
              "lastEdited=\"4\" lowestEdited=\"4\" rupBuild=\"4506\"/><workbookPr defaultThemeVersion=\"124226\"/>"
              "<bookViews><workbookView xWindow=\"240\" yWindow=\"15\" windowWidth=\"11670\" windowHeight=\"9480\" "
              "activeTab=\"0\"/></bookViews><sheets><sheet name=\"Sheet 1\" sheetId=\"1\" r:id=\"rId1\"/><sheet "
              "name=\"Sheet 2\" sheetId=\"2\" r:id=\"rId2\"/><sheet name=\"Sheet 3\" sheetId=\"3\" "
              "r:id=\"rId3\"/></sheets><calcPr calcId=\"125725\"/></workbook>");
    // The extended properties name this program, with the fixed application version.
    const std::string app = partOf(out, "docProps/app.xml");
    EXPECT_NE(app.find("<Application>Docuvane</Application><DocSecurity>0</DocSecurity>"), std::string::npos) << app;
    EXPECT_NE(app.find("<vt:i4>3</vt:i4>"), std::string::npos) << app;
    EXPECT_NE(app.find("<HyperlinksChanged>false</HyperlinksChanged><AppVersion>12.0000</AppVersion></Properties>"),
              std::string::npos)
        << app;
}

TEST(SpreadsheetConversion, AllPagesInOneSheet) {
    std::optional<std::string> python = pythonWithOpenpyxl();
    if (!python) GTEST_SKIP() << "no python3 with openpyxl";
    KXExcelOptions stacked;
    stacked.setAllInOneSheet(true);
    const std::string down = kx::pathJoin(kx::test::tempDir(), "stacked.xlsx");
    ASSERT_FALSE(convert(threePagePDF(), "xlsx", down, stacked));
    expectValid(down);
    EXPECT_EQ(listing(*python, down),
              "Sheet 1\n" + page(1, 'A', 'B', 'C', 1) + page(2, 'A', 'B', 'C', 5) + page(3, 'A', 'B', 'C', 9));

    KXExcelOptions sideBySide = stacked;
    sideBySide.setAiosAddToRow(false);
    const std::string across = kx::pathJoin(kx::test::tempDir(), "side-by-side.xlsx");
    ASSERT_FALSE(convert(threePagePDF(), "xlsx", across, sideBySide));
    expectValid(across);
    // Row by row: the first page's cells, then the second's in columns D to F, then the third's.
    const std::string got = listing(*python, across);
    for (const char* cell : {"A1|str|Item", "D1|str|Item", "G1|str|Item", "D2|str|Tea \"green\" 2", "I4|float|-4.0"})
        EXPECT_NE(got.find(cell), std::string::npos) << cell << "\n" << got;
    EXPECT_EQ(got.find("Sheet 2"), std::string::npos);
}

// LibreOffice opens the workbook and shows each cell: numbers in their formats (a plain number in
// the general format, a percentage with decimals in two), texts that only look like numbers as they
// were.
TEST(SpreadsheetConversion, LibreOfficeShowsTheCellsAsThePageDid) {
    if (!kx::test::haveCommand("soffice")) {
        if (std::getenv("CI")) FAIL() << "LibreOffice (soffice) is not installed";
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    }
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "lo-xlsx");
    kx::createDirectories(folder);
    const std::string out = kx::pathJoin(folder, "shown.xlsx");
    ASSERT_FALSE(convert(threePagePDF(), "xlsx", out));
    std::string log;
    ASSERT_EQ(kx::test::runCommand("timeout 180 soffice -env:UserInstallation=file://'" +
                                       kx::pathJoin(kx::test::tempDir(), "lo-profile-xlsx") +
                                       "' --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir '" +
                                       folder + "' '" + out + "'",
                                   &log),
              0)
        << log;
    const std::optional<std::string> shown = kx::readFile(kx::pathJoin(folder, "shown.csv"));
    ASSERT_TRUE(shown) << "LibreOffice did not open the workbook:\n" << log;
    // The filter quotes every text cell, so numbers are the cells written bare.
    EXPECT_EQ(*shown, "\"Item\",\"Qty\",\"Price\"\n\"Tea \"\"green\"\" 1\",21,3.5\n\"Cake, lemon\",\"1,200\",12.50%\n"
                      "\"Code\",\"00123\",(4.00)\n");
}

// A page whose cells hold the separators of the format round-trips through Python's csv reader.
TEST(SpreadsheetConversion, CSVFilesReadBack) {
    if (!kx::test::haveCommand("python3")) GTEST_SKIP() << "python3 is not installed";
    kx::ScopedTemporaryRoot root;
    KXExcelManager::sharedInstance().setOptions(KXExcelOptions());
    KXExcelManager::reset();
    const std::string out = kx::pathJoin(kx::test::tempDir(), "cells.csv");
    kx::removeAll(out);
    const std::vector<std::vector<std::u16string>> grid = {
        {u"tab\there", u"say \"hi\"", u"two\nlines"}, {u"plain", u"a,b;c", u"\"\""}, {u"caf\u00E9 \u4E2D", u"", u"x"}};
    {
        KXExcelWriter writer(out, 1, false);
        writer.begainWriteDocument();
        writer.begainWritePage({612, 792});
        for (size_t r = 0; r < grid.size(); ++r)
            for (size_t c = 0; c < grid[r].size(); ++c) {
                if (grid[r][c].empty()) continue;
                auto run = std::make_unique<KXExcelRunText>();
                run->setText(grid[r][c]);
                KXPDF_CTMInfo& g = run->ctmInfo();
                g.xLeft = 72 + 150.0 * c, g.xRight = g.xLeft + 100, g.yTop = 100 + 20.0 * r, g.yBottom = g.yTop + 10;
                g.yBase = g.yTop + 8;
                run->setTextWidth(100);
                writer.currentPage()->addRunText(std::move(run));
            }
        writer.endWritePage();
        ASSERT_TRUE(writer.packetZipFileIfNeed());
    }
    ASSERT_TRUE(kx::isDirectory(out));
    EXPECT_EQ(kx::listDirectory(out), (std::vector<std::string>{"Table 1.csv"}));
    const std::string script = kx::test::writeTemp("read-csv.py",
        "import csv, sys, json\n"
        "raw = open(sys.argv[1], 'rb').read()\n"
        "assert raw[:2] == b'\\xff\\xfe', raw[:2]\n"
        "rows = list(csv.reader(raw[2:].decode('utf-16-le').splitlines(True), delimiter='\\t'))\n"
        "print(json.dumps(rows))\n");
    std::string rows;
    ASSERT_EQ(kx::test::runCommand("python3 '" + script + "' '" + out + "/Table 1.csv'", &rows), 0) << rows;
    EXPECT_EQ(rows,
              "[[\"tab\\there\", \"say \\\"hi\\\"\", \"two\\nlines\"], [\"plain\", \"a,b;c\", \"\\\"\\\"\"], "
              "[\"caf\\u00e9 \\u4e2d\", \"\", \"x\"]]\n");
}

TEST(SpreadsheetConversion, CSVConversionWritesATableFilePerPage) {
    const std::string out = kx::pathJoin(kx::test::tempDir(), "tables.csv");
    ASSERT_FALSE(convert(threePagePDF(), "csv", out));
    ASSERT_TRUE(kx::isDirectory(out));
    EXPECT_EQ(kx::listDirectory(out), (std::vector<std::string>{"Table 1.csv", "Table 2.csv", "Table 3.csv"}));
    EXPECT_EQ(csvText(out + "/Table 2.csv"), u"Item\tQty\tPrice\n\"Tea \"\"green\"\" 2\"\t22\t3.50\n\"Cake, lemon\"\t\"1,200\"\t12.5%\n"
                    u"Code\t00123\t(4.00)\n");
}

// The same conversion gives the same bytes, also when the process runs under a German locale.
TEST(SpreadsheetConversion, SameBytesUnderAGermanLocale) {
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    const std::string first = kx::pathJoin(kx::test::tempDir(), "c-locale.xlsx");
    ASSERT_FALSE(convert(threePagePDF(), "xlsx", first));
    std::string second = kx::pathJoin(kx::test::tempDir(), "german.xlsx");
    {
        kx::test::ScopedLocale german("de_DE.UTF-8");
        if (!german.ok()) {
            ::unsetenv("SOURCE_DATE_EPOCH");
            GTEST_SKIP() << "de_DE.UTF-8 is not installed";
        }
        ASSERT_FALSE(convert(threePagePDF(), "xlsx", second));
    }
    ::unsetenv("SOURCE_DATE_EPOCH");
    const std::string a = kx::readFile(first).value_or("a"), b = kx::readFile(second).value_or("b");
    EXPECT_GT(a.size(), 1000u);
    EXPECT_TRUE(a == b) << "the two workbooks differ";
}

// The output type key decides the target, whatever the destination's name says.
TEST(SpreadsheetConversion, TheKeyDecidesTheTarget) {
    const std::string workbook = kx::pathJoin(kx::test::tempDir(), "upper.XLSX");
    ASSERT_FALSE(convert(threePagePDF(), "xlsx", workbook));
    EXPECT_TRUE(kx::isRegularFile(workbook));
    EXPECT_EQ(kx::readFile(workbook).value_or("").substr(0, 2), "PK");
    const std::string tables = kx::pathJoin(kx::test::tempDir(), "named-like-a-workbook.xlsx");
    ASSERT_FALSE(convert(threePagePDF(), "csv", tables));
    EXPECT_TRUE(kx::isDirectory(tables));
}

TEST(SpreadsheetConversion, FailuresAreReported) {
    // A destination in a folder that does not exist.
    std::optional<KXError> error = convert(threePagePDF(), "xlsx", "/nonexistent-folder/out.xlsx");
    EXPECT_TRUE(error);
    EXPECT_FALSE(kx::fileExists("/nonexistent-folder/out.xlsx"));
    // CSV tables cannot be moved over something that is already there.
    const std::string taken = kx::pathJoin(kx::test::tempDir(), "taken.csv");
    kx::createDirectories(taken + "/keep");
    EXPECT_TRUE(convert(threePagePDF(), "csv", taken));
    EXPECT_TRUE(kx::isDirectory(taken + "/keep")) << "what was there stays";
}

// Pages that all fail still give a workbook with one (empty) sheet, named in every part.
TEST(SpreadsheetConversion, AWorkbookAlwaysHasASheet) {
    std::optional<std::string> python = pythonWithOpenpyxl();
    if (!python) GTEST_SKIP() << "no python3 with openpyxl";
    const std::string out = kx::pathJoin(kx::test::tempDir(), "no-pages.xlsx");
    convert(threePagePDF(), "xlsx", out, KXExcelOptions(), {7, 8});
    ASSERT_TRUE(kx::isRegularFile(out));
    expectValid(out);
    EXPECT_EQ(listing(*python, out), "Sheet 1\n");
}

// Words placed apart without a blank, closer than a word space, are the words of one line: each line
// is one cell with blanks between its words, in the workbook and in the CSV table, while the
// table's columns, further apart than a word space, stay apart.
TEST(SpreadsheetConversion, WordsPlacedApartStayInOneCell) {
    const std::string pdf = wordsPlacedApartPDF();
    const std::string tables = kx::pathJoin(kx::test::tempDir(), "words-apart.csv");
    ASSERT_FALSE(convert(pdf, "csv", tables, KXExcelOptions(), {1}));
    EXPECT_EQ(csvText(tables + "/Table 1.csv"), u"Words placed apart by offsets\neach word on its own\nItem\tAmount\n"
                                                u"Green tea\t12\nLemon cake\t7\n");

    std::optional<std::string> python = pythonWithOpenpyxl();
    if (!python) GTEST_SKIP() << "no python3 with openpyxl";
    const std::string workbook = kx::pathJoin(kx::test::tempDir(), "words-apart.xlsx");
    ASSERT_FALSE(convert(pdf, "xlsx", workbook, KXExcelOptions(), {1}));
    expectValid(workbook);
    EXPECT_EQ(listing(*python, workbook), "Sheet 1\nA1|str|Words placed apart by offsets|General\n"
                                          "A2|str|each word on its own|General\nA3|str|Item|General\n"
                                          "B3|str|Amount|General\nA4|str|Green tea|General\nB4|int|12|General\n"
                                          "A5|str|Lemon cake|General\nB5|int|7|General\n");
}
