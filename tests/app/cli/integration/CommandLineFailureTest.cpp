// The KXDocuvane program when things go wrong, as a new user and as an attacker try it: what is at
// the output path survives a failed run; failed and interrupted runs leave nothing half-written;
// failed pages are said and counted in the exit status; success is claimed only for a success;
// declared page counts and stream lengths cost nothing; parallel runs share a folder safely; only
// regular files are read; and every failure says why, on standard error too.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "CommandLineHarness.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

extern char** environ;

using namespace kx;
using namespace kx::test;

namespace {

const char* const kHelvetica = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";

// Text near the lower left corner, on the smallest of the pages below.
std::string textPage(const std::string& text) { return "BT /F1 12 Tf 5 40 Td (" + text + ") Tj ET"; }

// A document of `pages` pages, each saying "Page <n>", the page `huge` (1-based; 0 for none) far too
// large to draw at 144 dpi.
std::string pagesDocument(int pages, int huge = 0) {
    PDFBuilder b;
    for (int n = 1; n <= pages; ++n)
        b.addPage(textPage("Page " + std::to_string(n)), kHelvetica,
                  n == huge ? "/MediaBox [0 0 14400 14400]" : format("/MediaBox [0 0 %d 100]", 100 * n));
    return b.build();
}

// One real page under a root node that declares `count` pages.
std::string declaredCount(const std::string& count) {
    PDFBuilder b;
    const int pages = b.reserve();
    const int content = b.addStream("", textPage("The only page"));
    const int page = b.add(format("<< /Type /Page /Parent %d 0 R /MediaBox [0 0 200 200] /Contents %d 0 R /Resources %s >>",
                                  pages, content, kHelvetica));
    b.set(pages, format("<< /Type /Pages /Kids [%d 0 R] /Count %s >>", page, count.c_str()));
    return b.buildWithRoot(b.add(format("<< /Type /Catalog /Pages %d 0 R >>", pages)));
}

// A page the page look-up cannot reach: its parent node declares no page.
std::string unreachablePage() {
    PDFBuilder b;
    const int inner = b.reserve();
    const int content = b.addStream("", textPage("Out of reach"));
    const int page = b.add(format("<< /Type /Page /MediaBox [0 0 200 200] /Contents %d 0 R /Resources %s >>", content, kHelvetica));
    b.set(inner, format("<< /Type /Pages /Kids [%d 0 R] /Count 0 >>", page));
    const int root = b.add(format("<< /Type /Pages /Kids [%d 0 R] /Count 1 >>", inner));
    return b.buildWithRoot(b.add(format("<< /Type /Catalog /Pages %d 0 R >>", root)));
}

std::string withoutPages(const std::string& pagesNode) {
    PDFBuilder b;
    if (pagesNode.empty()) return b.buildWithRoot(b.add("<< /Type /Catalog >>"));
    const int pages = b.add(pagesNode);
    return b.buildWithRoot(b.add(format("<< /Type /Catalog /Pages %d 0 R >>", pages)));
}

// `pages` pages sharing one content stream whose /Length runs 5000 bytes past its end.
std::string sharedStreamWithWrongLength(int pages) {
    PDFBuilder b;
    const int node = b.reserve();
    const std::string data = textPage("Shared line");
    const int content = b.add(format("<< /Length %zu >>\nstream\n%s\nendstream", data.size() + 5000, data.c_str()));
    std::string kids;
    for (int i = 0; i < pages; ++i)
        kids += format("%d 0 R ", b.add(format("<< /Type /Page /Parent %d 0 R /MediaBox [0 0 200 200] /Contents %d 0 R "
                                               "/Resources %s >>",
                                               node, content, kHelvetica)));
    b.set(node, format("<< /Type /Pages /Kids [%s] /Count %d >>", kids.c_str(), pages));
    return b.buildWithRoot(b.add(format("<< /Type /Catalog /Pages %d 0 R >>", node)));
}

std::string pdfFile(const std::string& name, const std::string& bytes) { return writeTemp(name + ".pdf", bytes); }

// A locked copy made by qpdf (AES-256), when qpdf is installed; else by MuPDF's writer.
std::string lockedByQpdf() {
    const std::string plain = pdfFile("to-lock", pagesDocument(1));
    const std::string locked = pathJoin(tempDir(), "locked-by-qpdf.pdf");
    if (haveCommand("qpdf") &&
        runCommand("qpdf --encrypt user owner 256 -- " + shellQuoted(plain) + " " + shellQuoted(locked)) == 0)
        return locked;
    return pdfFile("locked-by-qpdf", encryptPDF(pagesDocument(1), "user", "owner"));
}

std::string lastLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool isRoot() { return geteuid() == 0; }

// A folder nothing can be created in: sysfs takes no new file even from the superuser.
std::string readOnlyFolder() {
    if (isRoot()) return "/sys";
    std::string folder = freshFolder("read-only");
    chmod(folder.c_str(), 0555);
    return folder;
}

// Width and height of a PNG file that is whole: the signature, then chunks up to IEND and nothing
// after it; nullopt for anything else.
std::optional<std::pair<int, int>> wholePNG(const std::string& path) {
    const std::string d = readFile(path).value_or("");
    if (d.size() < 33 || d.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return std::nullopt;
    auto u32 = [&](size_t i) {
        return (static_cast<unsigned>(static_cast<unsigned char>(d[i])) << 24) |
               (static_cast<unsigned>(static_cast<unsigned char>(d[i + 1])) << 16) |
               (static_cast<unsigned>(static_cast<unsigned char>(d[i + 2])) << 8) |
               static_cast<unsigned>(static_cast<unsigned char>(d[i + 3]));
    };
    size_t at = 8;
    while (at + 12 <= d.size()) {
        const size_t length = u32(at);
        const std::string type = d.substr(at + 4, 4);
        at += 12 + length;
        if (type == "IEND") {
            if (at != d.size()) return std::nullopt;
            return std::make_pair(static_cast<int>(u32(16)), static_cast<int>(u32(20)));
        }
    }
    return std::nullopt;
}

}  // namespace

// A file at -o is replaced only by the output of a run that succeeded: a run that fails keeps it
// byte for byte and leaves nothing beside it; where no file was, a failed run makes none (no
// empty .txt of a run that converted no page).
TEST(CommandLineFailure, TheFileAtTheOutputSurvivesAFailedRun) {
    const std::string folder = freshFolder("inputs");
    struct Case {
        const char* name;
        std::string input;
        const char* format;
    } cases[] = {
        {"a misspelt input", pathJoin(folder, "typo.pdf"), "txt"},
        {"not a PDF", writeTemp("prose.pdf", "Dear reader,\n"), "txt"},
        {"password-protected", lockedByQpdf(), "txt"},
        {"no page can be read", pdfFile("unreachable-page", unreachablePage()), "txt"},
        {"no page can be read, as page images", pdfFile("unreachable-page", unreachablePage()), "png"},
        {"no page can be drawn", pdfFile("one-huge-page", pagesDocument(1, 1)), "png"},
    };
    for (const Case& c : cases) {
        for (bool existing : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (existing ? ", a file at the output" : ", nothing at the output"));
            const std::string dest = freshFolder("dest");
            const std::string out = pathJoin(dest, std::string("keep.") + c.format);
            if (existing) writeFile(out, "precious\n");
            Outcome r = run("-i " + shellQuoted(c.input) + " -o " + shellQuoted(out) + " -f " + c.format);
            EXPECT_EQ(r.status, 1) << r.output;
            EXPECT_FALSE(contains(r.output, "Conversion end Success")) << r.output;
            if (existing) {
                EXPECT_EQ(readFile(out), "precious\n");
                EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{std::string("keep.") + c.format}));
            } else {
                EXPECT_TRUE(listDirectory(dest).empty()) << listDirectory(dest).front();
            }
        }
    }

    // The same file is replaced once a run succeeds.
    const std::string dest = freshFolder("replaced");
    const std::string out = pathJoin(dest, "keep.txt");
    writeFile(out, "precious\n");
    Outcome r = run("-i " + shellQuoted(pdfFile("two-pages", pagesDocument(2))) + " -o " + shellQuoted(out) + " -f txt");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_TRUE(contains(readFile(out).value_or(""), "Page 2"));
    EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{"keep.txt"}));
}

// What is not a regular file is never removed or written through: a device, a pipe (which would
// also block the writer for ever), a folder for a file output, a folder that takes no file. The run
// ends at once with the reason, and the thing is still there as it was.
TEST(CommandLineFailure, OnlyRegularFilesAreReplaced) {
    const std::string input = pdfFile("two-pages", pagesDocument(2));
    const std::string pipe = pathJoin(freshFolder("pipe"), "out.txt");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string folder = freshFolder("folder-in-the-way");
    writeFile(pathJoin(folder, "mine.txt"), "mine");
    const std::string readOnly = readOnlyFolder();
    struct Case {
        const char* name;
        std::string out;
        const char* format;
        std::string reason;
    } cases[] = {
        {"a device", "/dev/null", "txt", "not a regular file"},
        {"a device, as page images", "/dev/null", "png", "not a regular file"},
        {"a pipe", pipe, "txt", "not a regular file"},
        {"a folder", folder, "html", "a folder is in the way"},
        {"a read-only folder", pathJoin(readOnly, "kx-out.txt"), "txt", "permission denied"},
        {"a read-only folder, as page images", pathJoin(readOnly, "kx-images"), "png", "permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome r = runSplit("-i " + shellQuoted(input) + " -o " + shellQuoted(c.out) + " -f " + c.format, 20);
        EXPECT_EQ(r.status, 1) << r.output << r.errors;
        const std::string line = "Can't write the output (" + c.reason + "): \"" + c.out + "\"";
        EXPECT_EQ(lastLine(r.output), line);
        EXPECT_EQ(lastLine(r.errors), line);
        EXPECT_FALSE(contains(r.output, "Conversion Started")) << "nothing is converted for a destination that cannot take it";
    }
    struct stat st {};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(stat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(listDirectory(folder), (std::vector<std::string>{"mine.txt"}));
    EXPECT_FALSE(fileExists(pathJoin(readOnly, "kx-out.txt")));
    EXPECT_FALSE(fileExists(pathJoin(readOnly, "kx-images")));
}

// A format that writes a folder (every page image format, CSV) never takes the place of a regular
// file at the output path: the run is refused before anything is converted, says why, and the file
// keeps its bytes, with nothing left beside it.
TEST(CommandLineFailure, FolderFormatsLeaveAFileAtTheOutputPath) {
    const std::string input = pdfFile("two-pages", pagesDocument(2));
    for (const char* format : {"png", "jpg", "jpeg", "bmp", "gif", "tiff", "tga", "jp2", "csv"}) {
        SCOPED_TRACE(format);
        const std::string dest = freshFolder(std::string("file-in-the-way-") + format);
        const std::string out = pathJoin(dest, "notes");
        writeFile(out, "notes\n");
        Outcome r = runSplit("-i " + shellQuoted(input) + " -o " + shellQuoted(out) + " -f " + format, 20);
        EXPECT_EQ(r.status, 1) << r.output << r.errors;
        const std::string line = "Can't write the output (a file is in the way): \"" + out + "\"";
        EXPECT_EQ(lastLine(r.output), line);
        EXPECT_EQ(lastLine(r.errors), line);
        EXPECT_FALSE(contains(r.output, "Conversion Started"));
        EXPECT_EQ(fileKind(out), FileKind::RegularFile);
        EXPECT_EQ(readFile(out).value_or(""), "notes\n");
        EXPECT_EQ(listDirectory(dest), std::vector<std::string>{"notes"});
    }
}

// SIGINT and SIGTERM cancel the conversion at the next page: the output written so far goes, a file
// that was at the output path stays, the run says it was cancelled, and the process ends by the
// signal it was sent, as a shell expects of an interrupted program.
TEST(CommandLineFailure, AnInterruptedRunLeavesNothingBehind) {
    const std::string manyPages = pdfFile("many-pages", sharedStreamWithWrongLength(4000));
    const std::string letterPages = [] {
        PDFBuilder b;
        for (int i = 0; i < 300; ++i) b.addPage(textPage("Letter"), kHelvetica);
        return pdfFile("letter-pages", b.build());
    }();
    struct Case {
        const char* name;
        int signal;
        std::string input;
        const char* format;
        bool existing;
    } cases[] = {
        {"SIGINT, text over a file", SIGINT, manyPages, "txt", true},
        {"SIGTERM, text", SIGTERM, manyPages, "txt", false},
        {"SIGINT, page images into a new folder", SIGINT, letterPages, "png", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dest = freshFolder("interrupted");
        const std::string out = pathJoin(dest, std::string("out.") + c.format);
        if (c.existing) writeFile(out, "precious\n");

        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const std::string exe = program();
        std::vector<std::string> args = {exe, "-i", c.input, "-o", out, "-f", c.format};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);

        // The signal goes once the first page is reported: the conversion is under way.
        std::string output;
        bool sent = false;
        char buf[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) {
            output.append(buf, static_cast<size_t>(n));
            if (!sent && contains(output, "Conversion Page: ")) {
                kill(pid, c.signal);
                sent = true;
            }
        }
        close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(sent) << output;
        ASSERT_TRUE(WIFSIGNALED(status)) << output;
        EXPECT_EQ(WTERMSIG(status), c.signal);
        EXPECT_TRUE(contains(output, "Conversion end Failed: \"Conversion has been canceled.\"")) << output;
        EXPECT_FALSE(contains(output, "Conversion end Success")) << output;
        if (c.existing) {
            EXPECT_EQ(readFile(out), "precious\n");
            EXPECT_EQ(listDirectory(dest), (std::vector<std::string>{std::string("out.") + c.format}));
        } else {
            EXPECT_TRUE(listDirectory(dest).empty()) << listDirectory(dest).front();
        }
    }
}

// A page that fails is said on standard error with the engine's message, the run ends with status
// 3 and without the success line, and the failed page leaves its file number unused: the n-th
// requested page is always IMG_0000n.
TEST(CommandLineFailure, FailedPagesAreSaidAndLeaveTheirNumberUnused) {
    const std::string input = pdfFile("huge-second-page", pagesDocument(3, 2));
    struct Case {
        const char* range;
        std::vector<std::string> files;
        std::vector<int> widths;  // at 144 dpi
    } cases[] = {
        {"1-3", {"IMG_00001.png", "IMG_00003.png"}, {200, 600}},
        {"3,2,1", {"IMG_00001.png", "IMG_00003.png"}, {600, 200}},
        {"2,1", {"IMG_00002.png"}, {200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        const std::string out = pathJoin(freshFolder("failed-pages"), "out");
        Outcome r = runSplit("-i " + shellQuoted(input) + " -o " + shellQuoted(out) + " -f png -p " + c.range);
        EXPECT_EQ(r.status, 3) << r.output << r.errors;
        EXPECT_TRUE(contains(r.errors, "Conversion Page Failed: \"Can't convert the PDF Page.(2)\"\n")) << r.errors;
        EXPECT_EQ(lastLine(r.errors), "Conversion end Failed: \"1 of " + std::to_string(c.files.size() + 1) +
                                          " pages could not be converted.\"");
        EXPECT_FALSE(contains(r.output, "Conversion end Success")) << r.output;
        ASSERT_EQ(listDirectory(out), c.files);
        for (size_t i = 0; i < c.files.size(); ++i) {
            auto size = wholePNG(pathJoin(out, c.files[i]));
            ASSERT_TRUE(size) << c.files[i];
            EXPECT_EQ(size->first, c.widths[i]) << c.files[i];
        }
    }
}

// A page tree that declares more pages than it holds costs what its pages cost: the page list is
// built from the pages that exist (the progress line gives its length), with or without -p.
TEST(CommandLineFailure, ADeclaredPageCountBuildsNoPageList) {
    struct Case {
        const char* count;
        const char* range;
    } cases[] = {{"2147483647", "1"}, {"2147483647", ""}, {"50000000", ""}, {"2147483647", "1-2000000000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.count) + " -p " + c.range);
        const std::string input = pdfFile(std::string("declares-") + c.count, declaredCount(c.count));
        const std::string out = pathJoin(freshFolder("declared"), "out.txt");
        const auto start = std::chrono::steady_clock::now();
        Outcome r = run("-i " + shellQuoted(input) + " -o " + shellQuoted(out) + " -f txt" +
                            (*c.range ? std::string(" -p ") + c.range : std::string()),
                        30);
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(contains(r.output, "Conversion Page: 0-1, Progress: 0.10%\n")) << r.output;
        EXPECT_TRUE(contains(readFile(out).value_or(""), "The only page"));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

// A content stream with a wrong /Length that 2,000 pages share is mended once, not once a page:
// the conversion takes a moment (it took minutes), and every page has its text.
TEST(CommandLineFailure, ASharedStreamWithAWrongLengthIsMendedOnce) {
    const std::string input = pdfFile("shared-wrong-length", sharedStreamWithWrongLength(2000));
    const std::string out = pathJoin(freshFolder("shared"), "out.txt");
    const auto start = std::chrono::steady_clock::now();
    Outcome r = run("-i " + shellQuoted(input) + " -o " + shellQuoted(out) + " -f txt", 60);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string text = readFile(out).value_or("");
    size_t lines = 0;
    for (size_t at = text.find("Shared line"); at != std::string::npos; at = text.find("Shared line", at + 1)) ++lines;
    EXPECT_EQ(lines, 2000u);
    EXPECT_LT(seconds, 15.0);
}

// Eight page-image runs of different documents into one folder at the same time: every page of
// every run is a file of its own, whole, with its own page's size.
TEST(CommandLineFailure, ParallelRunsIntoOneFolderKeepEveryPage) {
    constexpr int kRuns = 8, kPages = 4;
    std::vector<std::string> inputs;
    std::vector<int> expected;
    for (int run = 0; run < kRuns; ++run) {
        PDFBuilder b;
        for (int page = 0; page < kPages; ++page) {
            const int width = 40 + 4 * (run * kPages + page);
            b.addPage("0 g 1 1 8 8 re f", "<< >>", format("/MediaBox [0 0 %d 50]", width));
            expected.push_back(2 * width);  // 144 dpi
        }
        inputs.push_back(pdfFile(format("parallel-%d", run), b.build()));
    }
    std::sort(expected.begin(), expected.end());
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const std::string folder = freshFolder("parallel");
        const std::string statuses = freshFolder("statuses");
        std::string script;
        for (int run = 0; run < kRuns; ++run)
            script += "(" + shellQuoted(program()) + " -i " + shellQuoted(inputs[static_cast<size_t>(run)]) + " -o " +
                      shellQuoted(folder) + " -f png >/dev/null 2>&1; echo $? > " +
                      shellQuoted(pathJoin(statuses, std::to_string(run))) + ") & ";
        ASSERT_EQ(runCommand(script + "wait"), 0);
        for (int run = 0; run < kRuns; ++run)
            EXPECT_EQ(readFile(pathJoin(statuses, std::to_string(run))), "0\n") << "run " << run;
        std::vector<int> widths;
        for (const std::string& name : listDirectory(folder)) {
            auto size = wholePNG(pathJoin(folder, name));
            EXPECT_TRUE(size) << name << " is not a whole PNG";
            if (size) widths.push_back(size->first);
        }
        std::sort(widths.begin(), widths.end());
        EXPECT_EQ(widths, expected);
    }
}

// Every failure keeps the engine's text and follows it with the reason and the path, on standard
// output and on standard error. Only a regular file is read: a device or a pipe ends the run at
// once. A document without a page ends with an error, never with success and no output.
TEST(CommandLineFailure, FailuresSayWhyAndWhere) {
    const std::string folder = freshFolder("why");
    const std::string fifo = pathJoin(folder, "pipe.pdf");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string unreadable = pdfFile("unreadable", pagesDocument(1));
    chmod(unreadable.c_str(), 0);
    const std::string load = "Conversion end Failed: \"Can't load the PDF Document.\" ";
    const std::string locked = "(password-protected; the command line opens no password-protected PDF): ";
    struct Case {
        const char* name;
        std::string input;
        std::string line;  // without the path
        bool needsAUser;
    } cases[] = {
        {"a misspelt input", pathJoin(folder, "typo.pdf"), "Conversion end Failed: \"Source File isn't exist.\" (no such file): ", false},
        {"a folder", folder, "Conversion end Failed: \"Source File isn't exist.\" (a folder): ", false},
        {"a device", "/dev/zero", load + "(not a regular file): ", false},
        {"a pipe", fifo, load + "(not a regular file): ", false},
        {"not a PDF", writeTemp("letter.pdf", "Dear reader,\n"), load + "(not a PDF file): ", false},
        {"locked by MuPDF", pdfFile("locked-by-mupdf", encryptPDF(pagesDocument(1), "user", "owner")), load + locked, false},
        {"locked by qpdf", lockedByQpdf(), load + locked, false},
        {"no page tree", pdfFile("no-page-tree", withoutPages("")), load + "(the document has no page): ", false},
        {"a page count of -5", pdfFile("count-minus-5", withoutPages("<< /Type /Pages /Kids [] /Count -5 >>")),
         load + "(the document has no page): ", false},
        {"without read permission", unreadable, load + "(permission denied): ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsAUser && isRoot()) continue;  // the superuser reads any file
        const std::string dest = freshFolder("why-out");
        const auto start = std::chrono::steady_clock::now();
        Outcome r = runSplit("-i " + shellQuoted(c.input) + " -o " + shellQuoted(pathJoin(dest, "out.txt")) + " -f txt", 20);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(r.status, 1) << r.output << r.errors;
        const std::string line = c.line + "\"" + c.input + "\"";
        EXPECT_EQ(lastLine(r.output), line);
        EXPECT_EQ(r.errors, line + "\n");
        EXPECT_FALSE(contains(r.output, "Conversion end Success")) << r.output;
        EXPECT_TRUE(listDirectory(dest).empty());
    }
}
