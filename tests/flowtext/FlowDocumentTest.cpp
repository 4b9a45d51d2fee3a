// The three document writers: output files assembled from their pages, work folders cleaned up,
// and failures to write seen.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <string>

#include "FlowTestRuns.h"
#include "flowtext/KXHTMLDocuvane.h"
#include "flowtext/KXRTFDocuvane.h"
#include "flowtext/KXTextWriter.h"
#include "platform/FileSystem.h"

using flowtest::RunPlace;

namespace {

// Limits the size of files this process writes; a write beyond it fails instead of stopping the
// process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

void addPage(kx::detail::FlowDocument& document, std::vector<RunPlace> runs) {
    document.begainWritePage({612, 792});
    for (const RunPlace& place : runs) document.currentPage()->allRunTextArray().push_back(flowtest::makeRun(place));
    document.endWritePage();
}

}  // namespace

TEST(FlowDocument, PlainTextPagesEachEndWithALineBreak) {
    kx::ScopedTemporaryRoot root;
    std::string path = kx::test::writeTemp("pages.txt", "an older, longer file that is replaced");
    KXTextWriter writer(path, 3);
    ASSERT_FALSE(writer.savedWorkFolder().empty());
    EXPECT_TRUE(kx::isDirectory(writer.savedWorkFolder()));
    writer.begainWriteDocument();
    addPage(writer, {{72, 80, 30, "first"}, {72, 94, 30, "page"}});
    EXPECT_FALSE(writer.currentPage()->isLastPage());
    addPage(writer, {});
    addPage(writer, {{72, 80, 30, "second"}});
    EXPECT_TRUE(writer.currentPage()->isLastPage());
    writer.endWriteDocument();
    EXPECT_TRUE(writer.packetZipFileIfNeed());
    EXPECT_EQ(kx::readFile(path), "first\npage\nsecond\n");
    EXPECT_FALSE(kx::fileExists(writer.savedWorkFolder()));
    EXPECT_FALSE(kx::fileExists(kx::pathDirectory(writer.savedWorkFolder())));

    // Pages without text give an empty file.
    std::string emptyPath = flowtest::tempPath("empty.txt");
    KXTextWriter empty(emptyPath, 0);
    empty.begainWriteDocument();
    addPage(empty, {});
    EXPECT_TRUE(empty.currentPage()->isLastPage());
    EXPECT_TRUE(empty.packetZipFileIfNeed());
    EXPECT_EQ(kx::readFile(emptyPath), "");
}

TEST(FlowDocument, HtmlDocumentHasItsHeadStyleSheetAndBody) {
    kx::ScopedTemporaryRoot root;
    std::string folder = kx::pathJoin(kx::test::tempDir(), "html-out");
    kx::createDirectories(folder);
    std::string path = kx::pathJoin(folder, "report <1>.html");
    KXHTMLDocuvane document(path, 1);
    document.begainWriteDocument();
    addPage(document, {{72, 80, 30, "A & B"}});
    EXPECT_TRUE(document.packetZipFileIfNeed());
    std::string html = kx::readFile(path).value_or("");
    const std::string head =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/1998/REC-html40-19980424/loose.dtd\">\n"
        "<!--Powered by Docuvane ";
    EXPECT_EQ(html.substr(0, head.size()), head);
    EXPECT_NE(html.find(" Ostrevo Software Inc-->\n<html>\n<head>\n  <title>report &lt;1&gt;</title>\n"), std::string::npos)
        << html;
    const std::string rest =
        " <style type=\"text/css\">\n"
        "    p.p0 {margin: 0px 0px 0px 0px; font: 14px 'Arial'; color: #000000}\n"
        "    span.s0 { font: 14px 'Arial'; color: #000000}\n"
        " </style>\n"
        "</head>\n"
        "<body>\n<p class=\"p0\"><span class=\"s0\">A &amp; B</span></p>\n</body>\n</html>";
    ASSERT_GE(html.size(), rest.size());
    EXPECT_EQ(html.substr(html.size() - rest.size()), rest);
    EXPECT_FALSE(kx::fileExists(document.savedWorkFolder()));
}

TEST(FlowDocument, RtfDocumentDeclaresItsCodePageAndTables) {
    kx::ScopedTemporaryRoot root;
    std::string path = flowtest::tempPath("empty.rtf");
    KXRTFDocuvane document(path, 1);
    document.begainWriteDocument();
    addPage(document, {});
    EXPECT_TRUE(document.packetZipFileIfNeed());
    std::string rtf = kx::readFile(path).value_or("");
    const std::string head =
        "{\\rtf1\\ansi\\ansicpg1252\\uc1\n{\\fonttbl\\f0\\fnil\\fcharset0 Arial Unicode MS;}\n"
        "{\\colortbl\\red0\\green0\\blue0;}\n{\\info\n{\\doccomm Powered by Docuvane v";
    EXPECT_EQ(rtf.substr(0, head.size()), head);
    const std::string tail = " Ostrevo Software Inc}\n}\n\n}";
    ASSERT_GE(rtf.size(), tail.size());
    EXPECT_EQ(rtf.substr(rtf.size() - tail.size()), tail);
}

TEST(FlowDocument, FailuresAndCancellationLeaveNothingBehind) {
    kx::ScopedTemporaryRoot root;
    // An output folder that does not exist: the document fails and no file appears.
    std::string nowhere = kx::pathJoin(kx::test::tempDir(), "missing/folder/out.html");
    KXHTMLDocuvane html(nowhere, 1);
    html.begainWriteDocument();
    addPage(html, {{72, 80, 30, "text"}});
    EXPECT_FALSE(html.packetZipFileIfNeed());
    EXPECT_TRUE(html.hasFailed());
    EXPECT_FALSE(kx::fileExists(nowhere));
    EXPECT_FALSE(kx::fileExists(html.savedWorkFolder()));

    KXTextWriter text(kx::pathJoin(kx::test::tempDir(), "missing/out.txt"), 1);
    text.begainWriteDocument();
    EXPECT_FALSE(text.packetZipFileIfNeed());

    // A disk that fills up: a file-size limit makes every write beyond it fail.
    {
        std::string path = flowtest::tempPath("full.rtf");
        FileSizeLimit limit(4096);
        KXRTFDocuvane full(path, 1);
        full.begainWriteDocument();
        addPage(full, {{72, 80, 30, std::string(70000, 'x')}});
        EXPECT_FALSE(full.packetZipFileIfNeed());
        EXPECT_FALSE(kx::fileExists(path));
    }

    // Cancelled: the work folder and the half-written output go.
    std::string path = flowtest::tempPath("cancelled.rtf");
    KXRTFDocuvane cancelled(path, 2);
    cancelled.begainWriteDocument();
    addPage(cancelled, {{72, 80, 30, "text"}});
    EXPECT_TRUE(kx::fileExists(path));
    cancelled.cancelDocument();
    EXPECT_FALSE(kx::fileExists(path));
    EXPECT_FALSE(kx::fileExists(cancelled.savedWorkFolder()));
}
