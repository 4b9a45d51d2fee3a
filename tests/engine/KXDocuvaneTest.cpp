// The engine's page loop, its reports and its failure paths, driven with a recording exporter on
// small documents built here.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "EngineHarness.h"
#include "platform/FileSystem.h"
#include "platform/LeftOut.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using namespace kx::test;

namespace {

// A document of `pages` pages, each with a filled square.
std::string documentOf(int pages, const std::string& name) {
    PDFBuilder b;
    for (int i = 0; i < pages; ++i) b.addPage("0 0 1 rg 72 72 100 100 re f");
    return writeTemp(name, b.build());
}

const std::string& tenPages() {
    static const std::string path = documentOf(10, "ten-pages.pdf");
    return path;
}

class EngineTest : public ::testing::Test {
protected:
    std::shared_ptr<ExporterScript> script = std::make_shared<ExporterScript>();
    ScopedExporterChoice choice{recordingChoice(script)};
    RecordingDelegate delegate;
    KXDocuvane engine;

    void SetUp() override { engine.setDelegate(&delegate); }

    void convert(const std::string& path, std::vector<std::uint64_t> pages, const std::string& password = "",
                 const std::string& type = "record") {
        engine.convertPDFAtPath(path, password, std::move(pages), type, pathJoin(tempDir(), "out.record"), nullptr);
        ASSERT_TRUE(runUntilEnd(delegate)) << "no end report";
    }

    std::optional<KXError> endError() const { return delegate.last().error; }
};

KXError pageFailure(const std::string& reason) { return {KXDocuvaneErrorDomain, 401, reason}; }

}  // namespace

TEST_F(EngineTest, PagesOutsideTheDocumentFailOneByOneAndTheConversionGoesOn) {
    convert(tenPages(), {3, 0, 99});
    EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "converted", "failed", "failed", "willSave", "end"}));
    auto failed = delegate.ofKind("failed");
    EXPECT_EQ(failed[0].a, 0u);
    EXPECT_EQ(failed[0].error, pageFailure("Out of PDF Page Range(0)"));
    EXPECT_EQ(failed[1].a, 99u);
    EXPECT_EQ(failed[1].error, pageFailure("Out of PDF Page Range(99)"));
    EXPECT_FALSE(endError());
    EXPECT_EQ(script->snapshot(), (std::vector<std::string>{"begin", "page 3 at 0", "end"}));
    EXPECT_EQ(script->numberOfPagesToConvert, 3u);
    EXPECT_EQ(script->destDocType, "record");
    EXPECT_EQ(script->destDocPath, pathJoin(tempDir(), "out.record"));
}

// The report of a converted page carries its number, its position in the request and the pages
// converted before it; a failed page takes no output position.
TEST_F(EngineTest, ConvertedPagesCountOnlySuccesses) {
    script->pageResult[4] = false;
    convert(tenPages(), {2, 2, 4, 7});
    auto converted = delegate.ofKind("converted");
    ASSERT_EQ(converted.size(), 3u);
    const std::uint64_t expected[3][3] = {{2, 1, 0}, {2, 2, 1}, {7, 4, 2}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(converted[i].a, expected[i][0]);
        EXPECT_EQ(converted[i].b, expected[i][1]);
        EXPECT_EQ(converted[i].c, expected[i][2]);
    }
    auto failed = delegate.ofKind("failed");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].error, pageFailure("Can't convert the PDF Page.(4)"));
    EXPECT_EQ(script->snapshot(),
              (std::vector<std::string>{"begin", "page 2 at 0", "page 2 at 1", "page 4 at 2", "page 7 at 2", "end"}));
    EXPECT_FALSE(endError());
}

// What a bound leaves out of a page (noted on the conversion's thread while the page converts)
// is reported for that page and no other: a converted page is counted converted and then reported
// incomplete with what it lost; a page that failed or threw carries what it lost in its failure;
// the next page starts with an empty record. The conversion itself still succeeds.
TEST_F(EngineTest, WhatABoundLeavesOutIsReportedForItsPage) {
    script->duringPage = [](KXPDFExporter&, int page) {
        // Page 6 notes nothing: a record that came over from page 5 would report it.
        if (page == 1 || page == 6) return;
        LeftOut::note("paths past the drawing budget of a picture", 1000);
        LeftOut::note("images past the most a page holds");
        if (page == 2) LeftOut::note("paths past the drawing budget of a picture", 200);
    };
    script->pageResult[4] = false;
    script->throwOnPage[5] = 1;
    convert(tenPages(), {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "converted", "converted", "failed", "converted",
                                                          "failed", "failed", "exception", "failed", "converted",
                                                          "willSave", "end"}));
    const std::vector<Report> converted = delegate.ofKind("converted");
    ASSERT_EQ(converted.size(), 4u);
    // The incomplete page took its place in the output: the pages after it count it.
    EXPECT_EQ(converted[2].a, 3u);
    EXPECT_EQ(converted[2].c, 2u);
    const std::vector<Report> failed = delegate.ofKind("failed");
    ASSERT_EQ(failed.size(), 4u);
    EXPECT_EQ(failed[0].a, 2u);
    EXPECT_EQ(failed[0].error, (KXError{KXDocuvaneErrorDomain, KXDocuvaneErrorPageIncomplete,
                                        "Left out of page 2: 1200 paths past the drawing budget of a picture; 1 images "
                                        "past the most a page holds"}));
    EXPECT_EQ(failed[1].a, 3u);
    EXPECT_EQ(failed[1].error->code, KXDocuvaneErrorPageIncomplete);
    EXPECT_EQ(failed[1].error->failureReason,
              "Left out of page 3: 1000 paths past the drawing budget of a picture; 1 images past the most a page holds");
    for (size_t i : {2, 3}) {
        const std::uint64_t page = failed[i].a;
        EXPECT_EQ(page, i + 2);
        EXPECT_EQ(failed[i].error,
                  (KXError{KXDocuvaneErrorDomain, KXDocuvaneErrorPageFailed,
                           "Can't convert the PDF Page.(" + std::to_string(page) + ")",
                           "Left out of page " + std::to_string(page) +
                               ": 1000 paths past the drawing budget of a picture; 1 images past the most a page holds"}));
    }
    EXPECT_FALSE(endError());
}

TEST_F(EngineTest, AnEmptyPageListStillBeginsAndEndsTheDocument) {
    convert(tenPages(), {});
    EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "willSave", "end"}));
    EXPECT_EQ(script->snapshot(), (std::vector<std::string>{"begin", "end"}));
    EXPECT_FALSE(endError());
}

TEST_F(EngineTest, ReportsComeOnTheMainThreadAndTheStartBeforeTheCallReturns) {
    engine.convertPDFAtPath(tenPages(), "", {1, 2}, "record", pathJoin(tempDir(), "x"), nullptr);
    ASSERT_EQ(delegate.reports.size(), 1u);
    EXPECT_EQ(delegate.reports[0].kind, "start");
    EXPECT_FALSE(delegate.reports[0].error);
    EXPECT_TRUE(engine.isConverting());
    ASSERT_TRUE(runUntilEnd(delegate));
    EXPECT_FALSE(engine.isConverting());
    for (const Report& r : delegate.reports) EXPECT_TRUE(r.onMainThread) << r.kind;
    EXPECT_EQ(delegate.ofKind("end").size(), 1u);
}

// Each failure keeps its text and says what lay under it. Anything but a regular file is refused
// before it is read (a device would never end), and a document without a page is no success.
TEST_F(EngineTest, DocumentsThatCannotBeReadEndTheConversion) {
    PDFBuilder b;
    b.addPage("");
    const std::string plain = b.build();
    const std::string locked = writeTemp("locked.pdf", encryptPDF(plain, "user", "owner"));
    const std::string notPDF = writeTemp("not-a.pdf", "this is no PDF at all");
    const std::string damaged = writeTemp("damaged.pdf", "%PDF-1.7\n" + std::string(64, '\x01'));
    const std::string fifo = pathJoin(tempDir(), "a-pipe.pdf");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    PDFBuilder noTree;
    const std::string withoutPageTree = writeTemp("no-page-tree.pdf", noTree.buildWithRoot(noTree.add("<< /Type /Catalog >>")));
    PDFBuilder negative;
    const int kids = negative.add("<< /Type /Pages /Kids [] /Count -5 >>");
    const std::string negativeCount =
        writeTemp("count-minus-5.pdf", negative.buildWithRoot(negative.add("<< /Type /Catalog /Pages " + std::to_string(kids) + " 0 R >>")));
    const std::string unreadable = writeTemp("unreadable.pdf", plain);
    chmod(unreadable.c_str(), 0);
    const char* kLoad = "Can't load the PDF Document.";
    struct Case {
        const char* name;
        std::string path;
        std::string password;
        std::optional<int> code;
        const char* reason;
        const char* underlying;
    } cases[] = {
        {"missing file", pathJoin(tempDir(), "missing.pdf"), "", 404, "Source File isn't exist.", "no such file"},
        {"a folder", tempDir(), "", 404, "Source File isn't exist.", "a folder"},
        {"a device", "/dev/zero", "", 405, kLoad, "not a regular file"},
        {"a pipe", fifo, "", 405, kLoad, "not a regular file"},
        {"not a PDF", notPDF, "", 405, kLoad, "not a PDF file"},
        {"damaged beyond reading", damaged, "", 405, kLoad, "a damaged PDF file that could not be read"},
        {"without read permission", unreadable, "", 405, kLoad, "permission denied"},
        {"wrong password", locked, "guess", 405, kLoad, "the password does not unlock it"},
        {"locked without a password", locked, "", 405, kLoad, "password-protected"},
        {"no page tree", withoutPageTree, "", 405, kLoad, "the document has no page"},
        {"a page count of -5", negativeCount, "", 405, kLoad, "the document has no page"},
        {"user password", locked, "user", std::nullopt, "", ""},
        {"owner password", locked, "owner", std::nullopt, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The superuser reads any file.
        if (c.path == unreadable && geteuid() == 0) continue;
        delegate.reports.clear();
        int before = script->exportersMade;
        const auto start = std::chrono::steady_clock::now();
        convert(c.path, {1}, c.password);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        if (c.code) {
            EXPECT_EQ(endError(), (KXError{KXDocuvaneErrorDomain, *c.code, c.reason, c.underlying}));
            EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "end"}));
            EXPECT_EQ(script->exportersMade, before) << "no exporter for a document that was not read";
        } else {
            EXPECT_FALSE(endError());
            EXPECT_EQ(delegate.ofKind("converted").size(), 1u);
        }
    }
}

// Cancel during page 2 of 5: page 2 completes and is reported, page 3 never starts, the exporter is
// cleaned instead of ended, and the next conversion starts with the flag cleared.
TEST_F(EngineTest, CancelStopsAtThePageBoundary) {
    std::mutex m;
    std::condition_variable cv;
    bool inPage2 = false, released = false;
    script->duringPage = [&](KXPDFExporter&, int page) {
        if (page != 2) return;
        std::unique_lock lock(m);
        inPage2 = true;
        cv.notify_all();
        cv.wait(lock, [&] { return released; });
    };
    engine.convertPDFAtPath(documentOf(5, "five.pdf"), "", {1, 2, 3, 4, 5}, "record", tempDir(), nullptr);
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return inPage2; });
    }
    engine.stopConvertsionIfNeed();
    EXPECT_TRUE(engine.isShouldCancel());
    {
        std::lock_guard lock(m);
        released = true;
    }
    cv.notify_all();
    ASSERT_TRUE(runUntilEnd(delegate));

    EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "converted", "converted", "end"}));
    EXPECT_EQ(endError(), (KXError{KXDocuvaneErrorDomain, 406, "Conversion has been canceled."}));
    EXPECT_EQ(script->snapshot(), (std::vector<std::string>{"begin", "page 1 at 0", "page 2 at 1", "cancel", "clean"}));

    script->duringPage = nullptr;
    delegate.reports.clear();
    convert(tenPages(), {1});
    EXPECT_FALSE(engine.isShouldCancel());
    EXPECT_FALSE(endError());
    EXPECT_EQ(delegate.ofKind("converted").size(), 1u);
}

// Output type keys without an exporter end the conversion at the start; the table still lists
// "pdf".
TEST_F(EngineTest, KeysWithoutAnExporterEndWithAnErrorAtTheStart) {
    for (const std::string key : {"pdf", "xyz", "", "Record"}) {
        SCOPED_TRACE(key);
        delegate.reports.clear();
        int before = script->exportersMade;
        convert(tenPages(), {1, 2}, "", key);
        EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "end"}));
        EXPECT_EQ(endError(), (KXError{KXDocuvaneErrorDomain, 402, "Unsupported output type(" + key + ")."}));
        EXPECT_EQ(script->exportersMade, before);
        EXPECT_FALSE(KXDocuvane::canConvertToDocType(key));
    }
    EXPECT_EQ(KXDocuvane::supportDocTypeNameForKey("pdf"), "Adobe PDF File(.pdf)");
}

// A row's early set-up runs when a conversion to its key is asked for, before its exporter is
// made, and only for that row; asking again (the next document of a queue) runs it again, cheaply.
TEST_F(EngineTest, TheKeysRowPreparesBeforeItsExporterIsMade) {
    std::atomic<int> prepared{0}, otherPrepared{0};
    std::atomic<int> exportersAtPrepare{-1};
    ExporterChoice row = recordingChoice(script);
    row.accepts = [](const std::string& key) { return key == "prepared"; };
    row.prepare = [&] {
        std::lock_guard lock(script->mutex);
        exportersAtPrepare = script->exportersMade;
        ++prepared;
    };
    ExporterChoice other = recordingChoice(script);
    other.accepts = [](const std::string& key) { return key == "other"; };
    other.prepare = [&] { ++otherPrepared; };
    ScopedExporterChoice otherChoice(other);
    ScopedExporterChoice preparedChoice(row);

    const int made = script->exportersMade;
    convert(tenPages(), {1}, "", "prepared");
    EXPECT_EQ(prepared, 1);
    EXPECT_EQ(exportersAtPrepare, made);
    EXPECT_EQ(script->exportersMade, made + 1);
    delegate.reports.clear();
    convert(tenPages(), {1}, "", "prepared");
    EXPECT_EQ(prepared, 2);
    // Asked for by a caller that knows the key early; nothing for a key no row takes or a row
    // without set-up.
    KXDocuvane::prepareForDocType("prepared");
    KXDocuvane::prepareForDocType("nothing");
    KXDocuvane::prepareForDocType("record");
    EXPECT_EQ(prepared, 3);
    EXPECT_EQ(otherPrepared, 0);
}

// Which keys convert is the installed exporter table's (tests/exporters).
TEST(KXDocuvaneTable, FourteenKeysWithTheirDisplayNames) {
    auto table = KXDocuvane::supportDocTypes();
    EXPECT_EQ(table.size(), 14u);
    EXPECT_EQ(table.at("docx"), "Microsoft Word(.docx)");
    EXPECT_EQ(table.at("tga"), "Image TGA File(.tga)");
    EXPECT_EQ(KXDocuvane::supportDocTypeNameForKey("png"), "Image PNG File(.png)");
    EXPECT_FALSE(KXDocuvane::supportDocTypeNameForKey("jpg"));
    EXPECT_FALSE(KXDocuvane::supportDocTypeNameForKey("PNG"));
}

// An exception inside an exporter is caught: the page fails (or the conversion ends with 400), the
// delegate hears of it, and exactly one end report closes the conversion.
TEST_F(EngineTest, ExceptionsInTheExporterAreCaught) {
    struct Case {
        const char* name;
        std::function<void(ExporterScript&)> arrange;
        std::vector<std::string> reports;
        std::vector<std::string> calls;
        std::optional<int> endCode;
        const char* exceptionText;
    } cases[] = {
        {"in a page", [](ExporterScript& s) { s.throwOnPage[2] = 1; },
         {"start", "converted", "exception", "failed", "converted", "willSave", "end"},
         {"begin", "page 1 at 0", "page 2 at 1", "page 3 at 1", "end"}, std::nullopt, "page 2 broke"},
        {"not a standard exception", [](ExporterScript& s) { s.throwOnPage[1] = 2; },
         {"start", "exception", "failed", "converted", "converted", "willSave", "end"},
         {"begin", "page 1 at 0", "page 2 at 0", "page 3 at 1", "end"}, std::nullopt, "unknown exception"},
        {"at the beginning", [](ExporterScript& s) { s.throwOnBegin = true; }, {"start", "exception", "end"},
         {"begin", "clean"}, 400, "begin broke"},
        {"at the end", [](ExporterScript& s) { s.throwOnEnd = true; },
         {"start", "converted", "converted", "converted", "willSave", "exception", "end"},
         {"begin", "page 1 at 0", "page 2 at 1", "page 3 at 2", "end"}, 400, "end broke"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script->reset();
        c.arrange(*script);
        delegate.reports.clear();
        convert(tenPages(), {1, 2, 3});
        EXPECT_EQ(delegate.kinds(), c.reports);
        EXPECT_EQ(script->snapshot(), c.calls);
        ASSERT_EQ(delegate.ofKind("exception").size(), 1u);
        EXPECT_EQ(delegate.ofKind("exception")[0].text, c.exceptionText);
        if (c.endCode)
            EXPECT_EQ(endError(), (KXError{KXDocuvaneErrorDomain, 400, "Unknow error while converting."}));
        else
            EXPECT_FALSE(endError());
        for (const Report& f : delegate.ofKind("failed"))
            EXPECT_EQ(f.error, pageFailure("Can't convert the PDF Page.(" + std::to_string(f.a) + ")"));
    }
}

// An exporter whose output cannot be written ends the conversion with its error; no page is
// converted after it.
TEST_F(EngineTest, AnExporterErrorEndsTheConversion) {
    struct Case {
        const char* where;
        std::vector<std::string> reports;
        std::vector<std::string> calls;
    } cases[] = {
        {"begin", {"start", "end"}, {"begin", "clean"}},
        {"page 2", {"start", "converted", "converted", "end"}, {"begin", "page 1 at 0", "page 2 at 1", "clean"}},
        {"end", {"start", "converted", "converted", "converted", "willSave", "end"},
         {"begin", "page 1 at 0", "page 2 at 1", "page 3 at 2", "end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        script->reset();
        script->exportErrorAt = c.where;
        delegate.reports.clear();
        convert(tenPages(), {1, 2, 3});
        EXPECT_EQ(delegate.kinds(), c.reports);
        EXPECT_EQ(script->snapshot(), c.calls);
        EXPECT_EQ(endError(), (KXError{"test.exporter", 7, std::string("disk full at ") + c.where}));
    }
}

TEST_F(EngineTest, ExporterProgressReachesTheDelegate) {
    script->duringPage = [](KXPDFExporter& e, int) {
        if (e.delegate()) e.delegate()->pageIndex(e, e.pageIndex(), 50);
    };
    convert(tenPages(), {4, 5});
    auto progress = delegate.ofKind("progress");
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[0].a, 0u);
    EXPECT_EQ(progress[1].a, 1u);
    EXPECT_EQ(progress[1].b, 50u);
    EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "progress", "converted", "progress", "converted",
                                                          "willSave", "end"}));
}

TEST_F(EngineTest, ASecondRequestDuringAConversionIsIgnored) {
    std::atomic<bool> release{false};
    script->duringPage = [&](KXPDFExporter&, int) {
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    engine.convertPDFAtPath(tenPages(), "", {1}, "record", tempDir(), nullptr);
    engine.convertPDFAtPath(tenPages(), "", {2, 3}, "record", tempDir(), nullptr);
    EXPECT_EQ(engine.pdfPageIndexs(), (std::vector<std::uint64_t>{1}));
    release = true;
    ASSERT_TRUE(runUntilEnd(delegate));
    RunLoop::main().drain();
    EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start", "converted", "willSave", "end"}));
}

// An engine destroyed while it converts cancels, waits for its worker, and no report reaches the
// delegate afterwards.
TEST(KXDocuvaneLifetime, DestroyedWhileConverting) {
    auto script = std::make_shared<ExporterScript>();
    ScopedExporterChoice choice(recordingChoice(script));
    RecordingDelegate delegate;
    std::atomic<int> pagesSeen{0};
    script->duringPage = [&](KXPDFExporter&, int) {
        ++pagesSeen;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    {
        KXDocuvane engine;
        engine.setDelegate(&delegate);
        engine.convertPDFAtPath(tenPages(), "", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "record", tempDir(), nullptr);
        while (pagesSeen == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    RunLoop::main().drain();
    EXPECT_EQ(delegate.kinds(), (std::vector<std::string>{"start"}));
    EXPECT_LT(pagesSeen.load(), 10);
    auto calls = script->snapshot();
    EXPECT_EQ(calls.front(), "begin");
    EXPECT_EQ(calls.back(), "clean");
}

// Temporary files of a conversion are gone when its end report arrives.
TEST_F(EngineTest, TemporaryFilesGoWithTheConversion) {
    std::string made;
    script->duringPage = [&](KXPDFExporter&, int) {
        made = temporaryRoot();
        writeFile(pathJoin(made, "scratch.png"), "x");
    };
    convert(tenPages(), {1});
    ASSERT_FALSE(made.empty());
    EXPECT_FALSE(fileExists(made));
}
