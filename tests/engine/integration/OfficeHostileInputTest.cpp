// Damaged and hostile documents through the office outputs (docx, xlsx, csv, pptx), each run by
// the command-line program in a process of its own with a time limit and its own temporary folder.
// A run passes when the program ends by itself with one of its exit codes, keeps what was at the
// output path when it fails, writes its output when it says it succeeded (a package the shared
// validator accepts, where it is installed), and leaves no temporary file behind.
//
// Beside the table: a long document in bounded memory and a cancel in the middle of a document,
// for each office output.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/EngineHarness.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using kx::test::PDFBuilder;

namespace {

#ifdef KX_TEST_UNDER_ASAN
constexpr int kTimeFactor = 5;
#else
constexpr int kTimeFactor = 1;
#endif

const std::vector<std::string> kFormats = {"docx", "xlsx", "csv", "pptx"};

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

const std::string kFonts = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";

// A ruled table of `rows` by `cols` cells with a word in each, its top-left corner at (x, y).
std::string ruledTable(int rows, int cols, double x = 72, double y = 700) {
    std::string s = "0.5 w ";
    const double w = 80, h = 18;
    for (int r = 0; r <= rows; ++r)
        s += std::to_string(x) + " " + std::to_string(y - r * h) + " m " + std::to_string(x + cols * w) + " " +
             std::to_string(y - r * h) + " l S ";
    for (int c = 0; c <= cols; ++c)
        s += std::to_string(x + c * w) + " " + std::to_string(y) + " m " + std::to_string(x + c * w) + " " +
             std::to_string(y - rows * h) + " l S ";
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            s += "BT /F1 9 Tf " + std::to_string(x + c * w + 4) + " " + std::to_string(y - r * h - 13) + " Td (c" +
                 std::to_string(r) + std::to_string(c) + ") Tj ET ";
    return s;
}

std::string textLines(int lines, const std::string& size = "11") {
    std::string s;
    for (int i = 0; i < lines; ++i)
        s += "BT /F1 " + size + " Tf 72 " + std::to_string(760 - 14 * i) + " Td (Line " + std::to_string(i) +
             " of plain words) Tj ET ";
    return s;
}

std::string onePage(const std::string& content, const std::string& resources = kFonts,
                    const std::string& extra = "/MediaBox [0 0 612 792]") {
    PDFBuilder b;
    b.addPage(content, resources, extra);
    return b.build();
}

// Text laid over a ruled table: the DOCX page floats the table, anchored to a paragraph that holds
// it. The table held its paragraph in turn, so neither was ever freed: every page of the kind kept
// its whole page model until the process ended.
std::string textOverTables(int pages) {
    PDFBuilder b;
    const std::string content = textLines(30) + ruledTable(8, 5);
    int stream = b.addStream("", content);
    std::vector<int> kids;
    int root = b.reserve();
    for (int i = 0; i < pages; ++i)
        kids.push_back(b.add("<< /Type /Page /Parent " + ref(root) + " /Contents " + ref(stream) + " /Resources " +
                             kFonts + " /MediaBox [0 0 612 792] >>"));
    std::string list;
    for (int k : kids) list += ref(k) + " ";
    b.set(root, "<< /Type /Pages /Kids [" + list + "] /Count " + std::to_string(pages) + " >>");
    return b.buildWithRoot(b.add("<< /Type /Catalog /Pages " + ref(root) + " >>"));
}

// A stream whose /Length misses its keyword by far, with more than one read chunk (64 KB) of data
// before the keyword: the search for the keyword carried the end of one chunk into the next and
// wrote past its buffer.
std::string wrongLengthLongStream(const std::string& kind) {
    PDFBuilder b;
    if (kind == "Content") {
        std::string content;
        content = repeat("% a long run of comment lines that fill the stream past one read chunk\n", 2000) +
                  textLines(3);
        const int root = b.reserve(), stream = b.reserve();
        b.set(stream, "<< /Length 17 >>\nstream\n" + content + "\nendstream");
        int page = b.add("<< /Type /Page /Parent " + ref(root) + " /Contents " + ref(stream) + " /Resources " + kFonts +
                         " /MediaBox [0 0 612 792] >>");
        b.set(root, "<< /Type /Pages /Kids [" + ref(page) + "] /Count 1 >>");
        return b.buildWithRoot(b.add("<< /Type /Catalog /Pages " + ref(root) + " >>"));
    }
    // An image whose data runs 150 KB past a /Length of 10.
    const std::string pixels(200 * 250 * 3, '\x60');
    const int image = b.reserve();
    b.set(image, "<< /Type /XObject /Subtype /Image /Width 200 /Height 250 /ColorSpace /DeviceRGB /BitsPerComponent 8 "
                 "/Length 10 >>\nstream\n" + pixels + "\nendstream");
    b.addPage("q 200 0 0 250 72 400 cm /Im Do Q " + textLines(3),
              "<< /XObject << /Im " + ref(image) + " >> /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont "
              "/Helvetica >> >> >>");
    return b.build();
}

// Numbers no real file holds, where the office page models compute sizes, positions and styles.
std::string hostileNumbers(const std::string& where) {
    const std::vector<std::string> values = {"1e308", "-1e308", "nan", "2147483648", "-2147483649", "0", "1e-300",
                                             "-0"};
    std::string content;
    for (const std::string& v : values) {
        if (where == "Matrix")
            content += "q " + v + " 0 0 " + v + " " + v + " 10 cm 0 0 50 20 re f BT /F1 9 Tf (scaled) Tj ET Q ";
        else if (where == "TextMatrix")
            content += "BT /F1 12 Tf 1 0 0 1 " + v + " 500 Tm (moved) Tj " + v + " 0 0 " + v + " 72 400 Tm (m) Tj ET ";
        else if (where == "FontSize")
            content += "BT /F1 " + v + " Tf 72 600 Td (sized) Tj 0 " + v + " TD (next) Tj ET ";
        else if (where == "TextState")
            content += "BT /F1 12 Tf " + v + " Tc " + v + " Tw " + v + " Tz " + v + " TL " + v +
                       " Ts 72 300 Td (spaced words) Tj T* (more) Tj ET ";
        else if (where == "Dash")
            content += "q " + v + " w [" + v + " 3 " + v + "] " + v + " d 72 200 m 400 200 l S Q ";
        else if (where == "Path")
            content += v + " " + v + " m 100 " + v + " l " + v + " 0 " + v + " 5 re f 10 10 " + v + " " + v + " re S ";
        else  // "Colour"
            content += v + " " + v + " " + v + " rg " + v + " g " + v + " 0 0 " + v + " k 72 72 300 300 re f ";
    }
    content += ruledTable(3, 3) + textLines(4);
    return onePage(content);
}

// Widths and metrics of a font that cannot be true.
std::string hostileFont(const std::string& kind) {
    std::string font;
    if (kind == "Widths")
        font = "<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 32 /LastChar 126 /Widths [" +
               repeat("1e308 nan -500 0 2147483648 ", 19) + "] >>";
    else if (kind == "FirstCharPastLast")
        font = "<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 2147483000 /LastChar -5 /Widths [500] >>";
    else if (kind == "BrokenProgram")
        font = "<< /Type /Font /Subtype /TrueType /BaseFont /Broken /FirstChar 32 /LastChar 126 /FontDescriptor << "
               "/Type /FontDescriptor /FontName /Broken /Flags 32 /FontBBox [nan 0 1e308 -1e308] /ItalicAngle nan "
               "/Ascent -1e30 /Descent 1e30 /CapHeight 0 /StemV 0 /FontFile2 << /Length 16 >> >> >>";
    else  // "CIDWidths"
        font = "<< /Type /Font /Subtype /Type0 /BaseFont /Wide /Encoding /Identity-H /DescendantFonts [<< /Type /Font "
               "/Subtype /CIDFontType2 /BaseFont /Wide /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) "
               "/Supplement 0 >> /DW nan /W [0 4294967295 1e308 1 [nan -1e308 0]] >>] >>";
    std::string pdf = onePage("BT /F 12 Tf 72 700 Td (abc def) Tj <00410042> Tj ET " + textLines(3),
                              "<< /Font << /F " + font + " /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> "
                              ">> >>");
    if (kind == "BrokenProgram") {
        // The embedded program's stream, written by hand: 16 bytes of nonsense.
        const std::string marker = "/FontFile2 << /Length 16 >>";
        pdf.replace(pdf.find(marker), marker.size(), "/FontFile2 << /Length 16 /Length1 99999 >>");
    }
    return pdf;
}

std::string deepNesting(const std::string& kind) {
    if (kind == "Saves") return onePage(repeat("q ", 50000) + textLines(3) + ruledTable(2, 2) + repeat("Q ", 50000));
    if (kind == "TextObjects") return onePage(repeat("BT ", 20000) + "/F1 9 Tf (deep) Tj " + repeat("ET ", 20000) + textLines(2));
    if (kind == "MarkedContent") return onePage(repeat("/P BMC ", 30000) + textLines(3) + repeat("EMC ", 10000));
    // "Forms": forms that each draw the next, 40 deep.
    PDFBuilder b;
    int below = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 600 800] /Resources " + kFonts,
                            "BT /F1 9 Tf 72 100 Td (inner) Tj ET 0 0 m 5 5 l S");
    for (int level = 0; level < 40; ++level)
        below = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 600 800] /Resources << /XObject << /N " +
                                ref(below) + " >> >>",
                            "/N Do 0 0 m 1 1 l S");
    b.addPage("/Fm Do " + textLines(3), "<< /XObject << /Fm " + ref(below) + " >> /Font << /F1 << /Type /Font "
              "/Subtype /Type1 /BaseFont /Helvetica >> >> >>");
    return b.build();
}

std::string hugeGraphics(const std::string& kind) {
    PDFBuilder b;
    std::string content, resources;
    if (kind == "Image") {
        int image = b.addStream("/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace /DeviceRGB "
                                "/BitsPerComponent 8", std::string(64, '\x10'));
        content = "q 500 0 0 500 50 50 cm /Im Do Q BI /W 100000 /H 100000 /CS /RGB /BPC 8 ID \x01\x02\x03 EI ";
        resources = "/XObject << /Im " + ref(image) + " >>";
    } else if (kind == "Shading") {
        int shading = b.add("<< /ShadingType 3 /ColorSpace /DeviceRGB /Coords [0 0 0 1e30 1e30 1e30] /Function << "
                            "/FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> /Extend [true true] >>");
        int pattern = b.add("<< /Type /Pattern /PatternType 2 /Shading " + ref(shading) + " /Matrix [1e30 0 0 1e30 0 0] >>");
        content = "/Sh sh /Pattern cs /P scn 0 0 612 792 re f ";
        resources = "/Shading << /Sh " + ref(shading) + " >> /Pattern << /P " + ref(pattern) + " >>";
    } else {  // "TinyPaths": three thousand rectangles of a fraction of a point
        for (int i = 0; i < 3000; ++i)
            content += std::to_string(10 + (i % 100) * 5.5) + " " + std::to_string(20 + (i / 100) * 7.5) +
                       " 0.3 0.2 re " + (i % 3 == 0 ? "S " : "f ");
    }
    b.addPage(content + textLines(3) + ruledTable(2, 3, 72, 300),
              "<< " + resources + " /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
    return b.build();
}

std::string brokenAnnotations() {
    PDFBuilder b;
    std::string annots;
    const std::vector<std::string> bodies = {
        "/Subtype /FreeText /Rect [nan 0 1e308 -1e308] /Contents (free) /DA (/Helv nan Tf 0 0 1 rg)",
        "/Subtype /Link /Rect [10 10 20 20] /A << /S /URI /URI (" + std::string(70000, 'x') + ") >>",
        "/Subtype /Link /Rect [30 30 40 40] /Dest [99999 0 R /XYZ nan nan nan]",
        "/Subtype /Ink /Rect [0 0 200 200] /InkList [[10 10 nan 1e308 5]] /C [nan 2 -1]",
        "/Subtype /Line /Rect [] /L [0 0 1e308 nan]",
        "/Subtype /Highlight /Rect [0 0 1 1] /QuadPoints [1 2 3]",
        "/Subtype /Square /Rect [0 0 50 50] /AP << /N << /Type /XObject >> >>",
        "/Subtype /Text /Contents (note)",
    };
    for (const std::string& body : bodies) annots += ref(b.add("<< /Type /Annot " + body + " >>")) + " ";
    b.addPage(textLines(5), kFonts, "/MediaBox [0 0 612 792] /Annots [" + annots + "]");
    return b.build();
}

// The page tree's count and the pages' boxes.
std::string pagesOfNoSize(const std::string& box) {
    PDFBuilder b;
    b.addPage(textLines(3) + ruledTable(2, 2), kFonts, "/MediaBox [" + box + "]");
    b.addPage(textLines(3), kFonts, "/MediaBox [0 0 612 792]");
    return b.build();
}

std::string countLies(const std::string& count) {
    PDFBuilder b;
    b.addPage(textLines(5) + ruledTable(2, 2));
    b.setPagesExtra("/Count " + count);
    std::string pdf = b.build();
    // The builder writes the true count first; the one the file claims replaces it.
    size_t at = pdf.find("/Count 1 ");
    if (at != std::string::npos) pdf.erase(at, 9);
    return pdf;
}

enum class Expect {
    Converts,  // every office output converts it
    Refused,   // every office output refuses it
    Either,    // converted or refused, cleanly
};

struct Case {
    std::string name;
    std::function<std::string()> make;
    Expect expect = Expect::Converts;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::vector<Case> allCases() {
    return {
        {"TextOverATable", [] { return textOverTables(2); }},
        {"WrongLengthLongContentStream", [] { return wrongLengthLongStream("Content"); }},
        {"WrongLengthLongImage", [] { return wrongLengthLongStream("Image"); }},
        {"HostileMatrices", [] { return hostileNumbers("Matrix"); }},
        {"HostileTextMatrices", [] { return hostileNumbers("TextMatrix"); }},
        {"HostileFontSizes", [] { return hostileNumbers("FontSize"); }},
        {"HostileTextState", [] { return hostileNumbers("TextState"); }},
        {"HostileDashesAndLineWidths", [] { return hostileNumbers("Dash"); }},
        {"HostilePathCoordinates", [] { return hostileNumbers("Path"); }},
        {"HostileColours", [] { return hostileNumbers("Colour"); }},
        {"HostileWidths", [] { return hostileFont("Widths"); }},
        {"FirstCharPastLastChar", [] { return hostileFont("FirstCharPastLast"); }},
        {"BrokenFontProgram", [] { return hostileFont("BrokenProgram"); }},
        {"HostileCIDWidths", [] { return hostileFont("CIDWidths"); }},
        {"DeeplyNestedSaves", [] { return deepNesting("Saves"); }},
        {"DeeplyNestedTextObjects", [] { return deepNesting("TextObjects"); }},
        {"DeeplyNestedMarkedContent", [] { return deepNesting("MarkedContent"); }},
        {"FormsNestedFortyDeep", [] { return deepNesting("Forms"); }},
        {"HugeImages", [] { return hugeGraphics("Image"); }},
        {"HugeShading", [] { return hugeGraphics("Shading"); }},
        {"ThousandsOfTinyPaths", [] { return hugeGraphics("TinyPaths"); }},
        {"BrokenAnnotations", [] { return brokenAnnotations(); }},
        {"PageOfNoSize", [] { return pagesOfNoSize("0 0 0 0"); }},
        {"PageOfNaNSize", [] { return pagesOfNoSize("nan nan 1e308 -1e308"); }},
        {"CountClaimsBillions", [] { return countLies("2147483647"); }},
        {"CountIsNegative", [] { return countLies("-1"); }},
        {"TruncatedInTheMiddle", [] { std::string pdf = textOverTables(3); return pdf.substr(0, pdf.size() / 2); },
         Expect::Either},
        {"NotAPDF", [] { return std::string("%!PS-Adobe-3.0\nshowpage\n"); }, Expect::Refused},
        {"EmptyFile", [] { return std::string(); }, Expect::Refused},
    };
}

// ---- Running the program ----

struct ProgramRun {
    bool exited = false;
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
    long maxResidentKB = 0;
    std::string output;
    std::string describe() const {
        std::string s = timedOut ? "timed out" : signal ? "killed by signal " + std::to_string(signal)
                                                        : "exit code " + std::to_string(exitCode);
        return s + "\n--- output ---\n" + output.substr(0, 8000);
    }
};

// Runs the command-line program with `args` and TMPDIR set to `tmp`, killed at the time limit.
ProgramRun runProgram(const std::vector<std::string>& args, const std::string& tmp, std::chrono::seconds limit) {
    ProgramRun run;
    const std::string program = kx::pathJoin(kx::test::binDir(), "KXDocuvane");
    const std::string log = kx::pathJoin(tmp, "../program-output.txt");
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        setenv("TMPDIR", tmp.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (pid < 0) return run;
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    struct rusage usage{};
    for (;;) {
        if (wait4(pid, &status, WNOHANG, &usage) == pid) break;
        if (std::chrono::steady_clock::now() - start > limit) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.maxResidentKB = usage.ru_maxrss;
    if (WIFEXITED(status)) {
        run.exited = true;
        run.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    run.output = kx::readFile(log).value_or("");
    return run;
}

std::vector<std::string> filesUnder(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        found.push_back(it->path().string());
    return found;
}

std::optional<std::string> validator() {
    std::optional<std::string> path = kx::test::sharedTool("ooxml-validate");
    if (!path || !kx::test::haveCommand("xmllint") || !kx::test::haveCommand("python3")) return std::nullopt;
    return path;
}

std::string freshFolder(const std::string& name) {
    std::string folder = kx::pathJoin(kx::test::tempDir(), name + "-" + kx::newUUIDString());
    kx::createDirectories(kx::pathJoin(folder, "tmp"));
    return folder;
}

class OfficeHostileInput : public testing::TestWithParam<Case> {};

std::string caseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

}  // namespace

TEST_P(OfficeHostileInput, EveryOfficeOutputEndsCleanlyAndKeepsItsWord) {
    const Case& c = GetParam();
    const std::string folder = freshFolder(c.name);
    const std::string pdf = kx::pathJoin(folder, "in.pdf");
    ASSERT_TRUE(kx::writeFile(pdf, c.make()));
    std::vector<std::string> packages;
    for (const std::string& format : kFormats) {
        SCOPED_TRACE(format);
        const std::string tmp = kx::pathJoin(folder, "tmp");
        const std::string out = kx::pathJoin(folder, "out." + format);
        const std::string previous = "what was here before\n";
        // A file in the way of a folder output is refused before anything is read (its own test
        // is the command line's); the CSV folder starts from nothing.
        const bool folderOutput = format == "csv";
        if (!folderOutput) {
            ASSERT_TRUE(kx::writeFile(out, previous));
        }

        ProgramRun run = runProgram({"-i", pdf, "-o", out, "-f", format}, tmp, std::chrono::seconds(60 * kTimeFactor));
        ASSERT_TRUE(run.exited) << run.describe();
        // 0: converted; 1: refused; 3: converted with some pages failed.
        ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1 || run.exitCode == 3) << run.describe();
        EXPECT_EQ(run.output.find("Sanitizer"), std::string::npos) << run.describe();
        EXPECT_EQ(run.output.find("runtime error"), std::string::npos) << run.describe();
        EXPECT_EQ(filesUnder(tmp), std::vector<std::string>{}) << "temporary files left behind";

        const bool converted = run.exitCode != 1;
        if (c.expect == Expect::Converts) {
            EXPECT_TRUE(converted) << run.describe();
        } else if (c.expect == Expect::Refused) {
            EXPECT_FALSE(converted) << run.describe();
        }
        if (!converted) {
            if (folderOutput) {
                EXPECT_FALSE(kx::fileExists(out)) << "a failed run left a folder behind";
            } else {
                EXPECT_EQ(kx::readFile(out).value_or(""), previous) << "a failed run lost what was at the output path";
            }
            continue;
        }
        if (format == "csv") {
            // One table per page that holds text, in a folder at the output path.
            EXPECT_TRUE(kx::isDirectory(out)) << run.describe();
            for (const std::string& table : filesUnder(out)) {
                const std::string text = kx::readFile(table).value_or("");
                EXPECT_TRUE(text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0) << table;
                EXPECT_EQ(text.size() % 2, 0u) << table;
            }
        } else {
            const std::string written = kx::readFile(out).value_or("");
            EXPECT_EQ(written.rfind("PK", 0), 0u) << "no package at the output path after a success\n"
                                                  << run.describe();
            packages.push_back(out);
        }
    }
    if (const std::optional<std::string> validate = validator(); validate && !packages.empty()) {
        std::string command = "python3 '" + *validate + "'";
        for (const std::string& p : packages) command += " '" + p + "'";
        std::string report;
        EXPECT_EQ(kx::test::runCommand(command, &report), 0) << report;
    }
}

INSTANTIATE_TEST_SUITE_P(Damage, OfficeHostileInput, testing::ValuesIn(allCases()), caseName);

// A long document converts to each office output in memory that does not grow with its length:
// the pages' models are released as each page is written.
TEST(OfficeOutputsAtLength, MemoryDoesNotGrowWithThePageCount) {
    const std::string folder = freshFolder("long");
    const std::string shortPDF = kx::pathJoin(folder, "short.pdf"), longPDF = kx::pathJoin(folder, "long.pdf");
    ASSERT_TRUE(kx::writeFile(shortPDF, textOverTables(20)));
    ASSERT_TRUE(kx::writeFile(longPDF, textOverTables(300)));
    const std::string tmp = kx::pathJoin(folder, "tmp");
    for (const std::string& format : kFormats) {
        SCOPED_TRACE(format);
        ProgramRun few = runProgram({"-i", shortPDF, "-o", kx::pathJoin(folder, "short." + format), "-f", format}, tmp,
                             std::chrono::seconds(120 * kTimeFactor));
        ProgramRun many = runProgram({"-i", longPDF, "-o", kx::pathJoin(folder, "long." + format), "-f", format}, tmp,
                              std::chrono::seconds(300 * kTimeFactor));
        ASSERT_TRUE(few.exited && few.exitCode == 0) << few.describe();
        ASSERT_TRUE(many.exited && many.exitCode == 0) << many.describe();
        // Fifteen times the pages: a model kept per page (about 200 KB each here) would add 60 MB.
        EXPECT_LT(many.maxResidentKB - few.maxResidentKB, 20 * 1024)
            << "peak " << few.maxResidentKB / 1024 << " MB for 20 pages, " << many.maxResidentKB / 1024
            << " MB for 300";
    }
}

// A cancel while the pages are being converted ends the conversion with the cancel error, leaves
// nothing at the destination and removes the conversion's temporary files.
TEST(OfficeOutputsCancel, CancelInTheMiddleLeavesNothing) {
    kx::installExporters();
    kx::MainQueue::setMainThread();
    const std::string folder = freshFolder("cancel");
    const std::string pdf = kx::pathJoin(folder, "many.pdf");
    ASSERT_TRUE(kx::writeFile(pdf, textOverTables(200)));
    std::vector<std::uint64_t> pages;
    for (std::uint64_t n = 1; n <= 200; ++n) pages.push_back(n);
    for (const std::string& format : kFormats) {
        SCOPED_TRACE(format);
        kx::ScopedTemporaryRoot temporary;
        kx::test::RecordingDelegate delegate;
        KXDocuvane engine;
        engine.setDelegate(&delegate);
        delegate.onReport = [](KXDocuvane& e, const kx::test::Report& r) {
            if (r.kind == "converted" && r.a == 3) e.stopConvertsionIfNeed();
        };
        const std::string dest = kx::pathJoin(folder, "cancelled." + format);
        engine.convertPDFAtPath(pdf, "", pages, format, dest, std::make_shared<KXPDFOptions>());
        ASSERT_TRUE(kx::test::runUntilEnd(delegate, std::chrono::seconds(120 * kTimeFactor)));
        engine.setDelegate(nullptr);
        ASSERT_TRUE(delegate.last().error);
        EXPECT_EQ(delegate.last().error->code, 406);
        EXPECT_LT(delegate.ofKind("converted").size(), pages.size());
        EXPECT_FALSE(kx::fileExists(dest)) << "a cancelled conversion left its output";
        EXPECT_EQ(filesUnder(temporary.path()), std::vector<std::string>{});
    }
}
