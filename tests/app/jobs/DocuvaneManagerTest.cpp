// The job manager driving the engine through a batch: the order of its reports, a failing middle
// item, cancel (also restarting before the cancelled job has ended), and the preferences copied into
// each item's options as they stand when the item starts. The engine is the real one; its "txt",
// "png" and "csv" conversions go to a scripted exporter that writes a small file (for page images
// and CSV tables, into a folder) and can be held at a page.

#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>

#include "JobsFixture.h"
#include "app/jobs/KXDocuvaneManager.h"
#include "app/jobs/KXOutputFormats.h"
#include "app/jobs/KXPreferences.h"
#include "engine/ExporterChoice.h"
#include "engine/KXPDFExporter.h"
#include "platform/Dispatch.h"
#include "platform/LeftOut.h"
#include "platform/pdf/PDFDocument.h"

using namespace kx;
using namespace kx::test;

namespace {

// Shared between the test and the exporters it makes: which options each job got, and a gate that
// holds the worker at a page until the test opens it.
struct Script {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<const KXPDFOptions>> options;
    int holdAtPage = 0;  // 0: no hold
    bool held = false, released = false;
    // An exporter that writes as it goes: a first line at the start and, when failAtEnd is set, a
    // broken end that throws after writing.
    bool writeAsItGoes = false, failAtEnd = false;
    // A page that fails, and pages from which a bound leaves out three of what is named.
    int failAtPage = 0;
    std::map<int, std::string> leftOutAtPage;

    void waitUntilHeld() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return held; });
    }
    void release() {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
};

class ScriptedExporter : public KXPDFExporter {
public:
    explicit ScriptedExporter(std::shared_ptr<Script> script) : script_(std::move(script)) {}
    void begainConvertPDF(const std::string&, const std::shared_ptr<PDFDocument>&) override {
        std::lock_guard lock(script_->mutex);
        script_->options.push_back(moreOptions());
        if (!script_->writeAsItGoes) return;
        if (destDocType() == "csv") {
            createDirectories(destDocPath());
            writeFile(pathJoin(destDocPath(), "Table 1.csv"), "partial");
        } else {
            writeFile(destDocPath(), "partial");
        }
    }
    bool convertPDFPage(const PDFPage& page) override {
        std::unique_lock lock(script_->mutex);
        ++pages_;
        if (page.pageNumber() == script_->holdAtPage && !script_->released) {
            script_->held = true;
            script_->changed.notify_all();
            script_->changed.wait(lock, [&] { return script_->released; });
        }
        if (auto it = script_->leftOutAtPage.find(page.pageNumber()); it != script_->leftOutAtPage.end())
            LeftOut::note(it->second, 3);
        return page.pageNumber() != script_->failAtPage;
    }
    void endConvertPDF(const std::shared_ptr<PDFDocument>&) override {
        if (script_->failAtEnd) throw std::runtime_error("the writer broke");
        // Page images go into the folder at the destination, one for each page converted; CSV tables
        // into a folder made at the destination.
        if (destDocType() == "csv") {
            createDirectories(destDocPath());
            writeFile(pathJoin(destDocPath(), "Table 1.csv"), "converted");
        } else if (!isDirectory(destDocPath()))
            writeFile(destDocPath(), "converted");
        else if (pages_ > 0)
            writeFile(pathJoin(destDocPath(), "IMG_00001.png"), "converted");
    }

private:
    std::shared_ptr<Script> script_;
    int pages_ = 0;
};

// One report of the manager, written as text: "willStart", "start a.pdf", "page a.pdf 2 1 0",
// "end b.pdf 404", "didEnd".
class Recorder : public KXDocuvaneManagerDelegate {
public:
    std::vector<std::string> reports;
    std::function<void(const std::string&)> onReport;
    bool converting = false;  // the manager's state when its end report came

    void KXDocuvaneManagerWillStartConversion(KXDocuvaneManager&) override { add("willStart"); }
    void KXDocuvaneManagerDidEndConversion(KXDocuvaneManager& m) override {
        converting = m.isConverting();
        add("didEnd");
    }
    void didStartConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item, const KXError*) override {
        add("start " + name(item));
    }
    void didEndConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item,
                          const KXError* error) override {
        add("end " + name(item) + (error ? " " + std::to_string(error->code) : ""));
    }
    void didConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item, std::uint64_t page,
                       std::uint64_t position, std::uint64_t before) override {
        add("page " + name(item) + " " + std::to_string(page) + " " + std::to_string(position) + " " +
            std::to_string(before));
    }
    void didConversionConvertPDFPageIndexFaildWithError(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item,
                                                        std::uint64_t page, const KXError& error) override {
        add("failed " + name(item) + " " + std::to_string(page) + " " + std::to_string(error.code));
    }
    void didConversionWillSaveDoc(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item) override {
        add("save " + name(item));
    }

private:
    static std::string name(const std::shared_ptr<KXSourceFileItem>& item) {
        return item ? pathFileName(item->sourcePath()) : "(none)";
    }
    void add(std::string report) {
        reports.push_back(report);
        if (onReport) onReport(report);
    }
};

class DocuvaneManagerTest : public JobsTest {
protected:
    std::shared_ptr<Script> script = std::make_shared<Script>();
    ScopedExporterChoice choice{{[](const std::string& key) { return key == "txt" || key == "png" || key == "csv"; },
                                 [s = script] { return std::make_unique<ScriptedExporter>(s); }}};
    Recorder recorder;
    std::unique_ptr<KXDocuvaneManager> manager;

    void SetUp() override {
        JobsTest::SetUp();
        manager = std::make_unique<KXDocuvaneManager>();
        manager->setDelegate(&recorder);
    }
    // Starts the queue and, with `cancel`, stops it while the worker is held at its page. True once
    // the manager has said it ended (within a minute).
    bool runToEnd(bool cancel) {
        manager->startConversion();
        if (cancel) {
            script->waitUntilHeld();
            manager->stopConversion();
            script->release();
        }
        return RunLoop::main().runUntil([&] { return recorder.reports.back() == "didEnd"; }, std::chrono::seconds(60));
    }
    void TearDown() override {
        manager.reset();
        JobsTest::TearDown();
    }

    // An item for a PDF of that name, converted to plain text.
    std::shared_ptr<KXSourceFileItem> item(const std::string& name, int pages = 2) {
        auto made = KXSourceFileItem::initWithPath(pdfOfPages(pages, name));
        made->setSettings_outputFormat(format_names::PlainText);
        return made;
    }

    void run(KXDocuvaneManager::Items items) {
        manager->setMa_sourceItems(std::move(items));
        manager->startConversion();
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !recorder.reports.empty() && recorder.reports.back() == "didEnd"; },
                                             std::chrono::seconds(60)))
            << "the batch did not end";
    }
};

}  // namespace

namespace {

TEST_F(DocuvaneManagerTest, ABatchWithAFailingMiddleItemGoesOnToTheEnd) {
    auto a = item("a.pdf"), b = item("b.pdf"), c = item("c.pdf");
    removeFile(b->sourcePath());
    run({a, b, c});
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{
                                    "willStart",
                                    "start a.pdf", "page a.pdf 1 1 0", "page a.pdf 2 2 1", "save a.pdf", "end a.pdf",
                                    "start b.pdf", "end b.pdf 404",
                                    "start c.pdf", "page c.pdf 1 1 0", "page c.pdf 2 2 1", "save c.pdf", "end c.pdf",
                                    "didEnd"}));
    EXPECT_FALSE(manager->isConverting());
    EXPECT_FALSE(a->conversionError());
    ASSERT_TRUE(b->conversionError());
    EXPECT_EQ(b->conversionError()->code, 404);
    EXPECT_FALSE(c->conversionError());
    EXPECT_EQ(a->conversionOptions(), "All Pages, TXT, Success!");
    EXPECT_EQ(b->conversionOptions(), "All Pages, TXT, Failed!");
    EXPECT_EQ(a->outputPath(), pathJoin(outputFolder, "a.txt"));
    EXPECT_TRUE(fileExists(c->outputPath()));
}

// The delegate sees an item's end while the batch still runs, before the next item's start.
TEST_F(DocuvaneManagerTest, TheEndOfAnItemComesBeforeTheNextStart) {
    auto a = item("a.pdf"), b = item("b.pdf");
    std::vector<bool> convertingAtEnd;
    recorder.onReport = [&](const std::string& report) {
        if (report.rfind("end ", 0) == 0) convertingAtEnd.push_back(manager->isConverting());
    };
    run({a, b});
    EXPECT_EQ(convertingAtEnd, (std::vector<bool>{true, true}));
    EXPECT_FALSE(recorder.converting);
}

TEST_F(DocuvaneManagerTest, AnEmptyBatchStartsAndEndsAtOnce) {
    manager->setMa_sourceItems({});
    manager->startConversion();
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{"willStart", "didEnd"}));
    EXPECT_FALSE(manager->isConverting());
}

TEST_F(DocuvaneManagerTest, CancelDuringTheFirstItemEndsTheBatch) {
    auto a = item("a.pdf", 3), b = item("b.pdf"), c = item("c.pdf");
    script->holdAtPage = 2;
    manager->setMa_sourceItems({a, b, c});
    manager->startConversion();
    script->waitUntilHeld();
    manager->stopConversion();
    EXPECT_FALSE(manager->isConverting());
    script->release();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return recorder.reports.back() == "didEnd"; }, std::chrono::seconds(60)));
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{"willStart", "start a.pdf", "page a.pdf 1 1 0",
                                                          "page a.pdf 2 2 1", "end a.pdf 406", "didEnd"}));
    ASSERT_TRUE(a->conversionError());
    EXPECT_EQ(a->conversionError()->code, 406);
    EXPECT_TRUE(b->outputPath().empty());
    EXPECT_TRUE(c->outputPath().empty());
    EXPECT_EQ(manager->ma_readyToConvertItems().size(), 2u);
}

// Convert pressed again before the cancelled job has reached its end: the old batch ends, the new one
// begins, and its first item waits for the engine; the late end belongs to the cancelled item.
TEST_F(DocuvaneManagerTest, ARestartWaitsForTheCancelledJob) {
    auto a = item("a.pdf", 3), b = item("b.pdf");
    script->holdAtPage = 2;
    manager->setMa_sourceItems({a});
    manager->startConversion();
    script->waitUntilHeld();
    manager->stopConversion();
    manager->setMa_sourceItems({b});
    manager->startConversion();
    EXPECT_TRUE(manager->isConverting());
    EXPECT_EQ(manager->currentConvertItem(), a);
    script->release();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return recorder.reports.back() == "didEnd"; }, std::chrono::seconds(60)));
    EXPECT_EQ(recorder.reports,
              (std::vector<std::string>{"willStart", "start a.pdf", "didEnd", "willStart", "page a.pdf 1 1 0",
                                        "page a.pdf 2 2 1", "end a.pdf 406", "start b.pdf", "page b.pdf 1 1 0",
                                        "page b.pdf 2 2 1", "save b.pdf", "end b.pdf", "didEnd"}));
    ASSERT_TRUE(a->conversionError());
    EXPECT_EQ(a->conversionError()->code, 406);
    EXPECT_FALSE(b->conversionError());
    EXPECT_TRUE(b->isConversionSucceeded());
}

// Each job gets the preferences as they stand when it starts, in a copy of the item's options: edits
// of the item while its job runs do not reach the engine.
TEST_F(DocuvaneManagerTest, EachJobGetsACopyOfItsOptionsWithTheCurrentPreferences) {
    KXPreferences& preferences = KXPreferences::sharedInstance();
    preferences.setParserPDFAnnots(true);
    preferences.setImageDPI(300);
    auto a = item("a.pdf"), b = item("b.pdf");
    a->convertOpts().wordOptions().setIsMergeParagraphs(false);
    recorder.onReport = [&](const std::string& report) {
        if (report == "start a.pdf") a->convertOpts().wordOptions().setIsMergeParagraphs(true);
        if (report == "end a.pdf") {
            preferences.setParserPDFAnnots(false);
            preferences.setImageDPI(2000);
        }
    };
    run({a, b});
    ASSERT_EQ(script->options.size(), 2u);
    EXPECT_EQ(script->options[0]->isParserAnnots(), 1);
    EXPECT_EQ(script->options[0]->imageDPI(), 300);
    EXPECT_FALSE(script->options[0]->wordOptions().isMergeParagraphs());
    EXPECT_NE(script->options[0].get(), &a->convertOpts());
    EXPECT_EQ(script->options[1]->isParserAnnots(), 0);
    EXPECT_EQ(script->options[1]->imageDPI(), 600);  // the options clamp it
    EXPECT_EQ(b->convertOpts().imageDPI(), 600);
    EXPECT_EQ(b->convertOpts().isParserAnnots(), 0);
    preferences.setParserPDFAnnots(true);
    preferences.setImageDPI(144);
}

// The number of pages that progress is measured against is the one the job started with.
TEST_F(DocuvaneManagerTest, ThePageCountIsTakenWhenTheJobStarts) {
    auto a = item("a.pdf", 3);
    a->setSettings_pageRangeType(1);
    a->setSettings_customPageRange("1-2");
    std::vector<std::size_t> counts;
    recorder.onReport = [&](const std::string& report) {
        if (report.rfind("page ", 0) == 0) {
            a->setSettings_customPageRange("1");
            counts.push_back(manager->currentConvertPageCount());
        }
    };
    run({a});
    EXPECT_EQ(counts, (std::vector<std::size_t>{2, 2}));
}

// When every numbered name is taken the item fails with an error instead of overwriting a file, and
// the batch goes on.
TEST_F(DocuvaneManagerTest, AnItemWithoutAFreeOutputNameFailsAlone) {
    auto a = item("a.pdf"), b = item("b.pdf");
    writeFile(pathJoin(outputFolder, "a.txt"), "mine");
    for (int n = 2; n <= 999; ++n) writeFile(pathJoin(outputFolder, "a " + std::to_string(n) + ".txt"), "mine");
    run({a, b});
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{"willStart", "start a.pdf", "end a.pdf 1", "start b.pdf",
                                                          "page b.pdf 1 1 0", "page b.pdf 2 2 1", "save b.pdf",
                                                          "end b.pdf", "didEnd"}));
    ASSERT_TRUE(a->conversionError());
    EXPECT_EQ(a->conversionError()->domain, KXDocuvaneManager::errorDomain);
    EXPECT_EQ(*readFile(pathJoin(outputFolder, "a.txt")), "mine");
    EXPECT_EQ(a->conversionOptions(), "All Pages, TXT, Failed!");
    EXPECT_TRUE(b->isConversionSucceeded());
}

// A custom range that reads only in part ("All Pages2-3" reads as 1-3) converts no page: its job
// ends failed, saying why, and leaves nothing; the batch goes on. A range that reads converts its
// pages.
TEST_F(DocuvaneManagerTest, ARangeThatReadsOnlyInPartConvertsNothing) {
    auto a = item("a.pdf", 3), b = item("b.pdf", 3);
    a->setSettings_pageRangeType(1);
    a->setSettings_customPageRange("All Pages2-3");
    b->setSettings_pageRangeType(1);
    b->setSettings_customPageRange("2-3");
    run({a, b});
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{"willStart", "start a.pdf", "save a.pdf", "end a.pdf 4",
                                                          "start b.pdf", "page b.pdf 2 1 0", "page b.pdf 3 2 1",
                                                          "save b.pdf", "end b.pdf", "didEnd"}));
    ASSERT_TRUE(a->conversionError());
    EXPECT_EQ(a->conversionError()->domain, KXDocuvaneManager::errorDomain);
    EXPECT_EQ(a->conversionError()->failureReason, "The page range can't be read.(All Pages2-3)");
    EXPECT_EQ(a->conversionOptions(), "All Pages2-3, TXT, Failed!");
    EXPECT_EQ(listDirectory(outputFolder), std::vector<std::string>{"b.txt"});
    EXPECT_TRUE(b->isConversionSucceeded());
}

// A page from which a bound left something out is in the output, and the job puts its output in
// place even when that page is the only one; but the row reads Failed as for a page that could not
// be converted, its tool tip naming the page and what it lost.
TEST_F(DocuvaneManagerTest, APageWithSomethingLeftOutIsNamedInItsRow) {
    struct Case {
        const char* name;
        int pages, failAtPage;
        std::map<int, std::string> leftOut;
        std::vector<std::string> reports;
        const char* description;
    } cases[] = {
        {"the only page",
         1,
         0,
         {{1, "paths past the drawing budget of a picture"}},
         {"start a.pdf", "page a.pdf 1 1 0", "failed a.pdf 1 407", "save a.pdf", "end a.pdf"},
         "1 of 1 pages could not be converted in full: 1.\nLeft out of page 1: 3 paths past the drawing budget of a "
         "picture"},
        {"beside a page that failed and lost something too",
         3,
         2,
         {{2, "paths past the drawing budget of a picture"}, {3, "images past the most a page holds"}},
         {"start a.pdf", "page a.pdf 1 1 0", "failed a.pdf 2 401", "page a.pdf 3 3 1", "failed a.pdf 3 407",
          "save a.pdf", "end a.pdf"},
         "2 of 3 pages could not be converted in full: 2-3.\nCan't convert the PDF Page.(2) (Left out of page 2: 3 "
         "paths past the drawing budget of a picture)\nLeft out of page 3: 3 images past the most a page holds"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeAll(outputFolder);
        createDirectories(outputFolder);
        recorder.reports.clear();
        script->failAtPage = c.failAtPage;
        script->leftOutAtPage = c.leftOut;
        auto a = item("a.pdf", c.pages);
        run({a});
        std::vector<std::string> expected = c.reports;
        expected.insert(expected.begin(), "willStart");
        expected.push_back("didEnd");
        EXPECT_EQ(recorder.reports, expected);
        EXPECT_FALSE(a->conversionError());
        EXPECT_EQ(readFile(a->outputPath()), "converted");
        EXPECT_TRUE(a->hasConversionOutput());
        EXPECT_FALSE(a->isConversionSucceeded());
        EXPECT_EQ(a->conversionOptions(), "All Pages, TXT, Failed!");
        EXPECT_EQ(a->conversionFailureDescription(), c.description);
    }
    script->failAtPage = 0;
    script->leftOutAtPage.clear();
}

// While its job runs an item reads Ready, not yet Success or Failed: its output path names a file
// that is still being written elsewhere. The end state shows at the end.
TEST_F(DocuvaneManagerTest, AnItemReadsReadyUntilItsJobHasEnded) {
    auto a = item("a.pdf", 2);
    std::vector<std::string> seen;
    recorder.onReport = [&](const std::string& report) {
        if (report.rfind("start ", 0) == 0 || report.rfind("page ", 0) == 0 || report.rfind("save ", 0) == 0)
            seen.push_back(a->conversionOptions() + (a->isConversionSucceeded() ? " (succeeded)" : ""));
        if (report.rfind("end ", 0) == 0) seen.push_back(a->conversionOptions());
    };
    run({a});
    EXPECT_EQ(seen, (std::vector<std::string>{"All Pages, TXT, Ready!", "All Pages, TXT, Ready!",
                                              "All Pages, TXT, Ready!", "All Pages, TXT, Ready!",
                                              "All Pages, TXT, Success!"}));
    EXPECT_FALSE(a->isConverting());
}

// The output is written aside and put at the item's output path only when the job succeeded: a
// failed, cancelled or empty job leaves what stands there (here a file put there while the job ran)
// and nothing of its own, not even the folder it wrote in.
TEST_F(DocuvaneManagerTest, OnlyASucceededJobReplacesWhatIsAtItsOutputPath) {
    struct Case {
        const char* name;
        bool failAtEnd, cancel, noPage;
        int errorCode;  // 0: success
    };
    const Case cases[] = {
        {"succeeded", false, false, false, 0},
        {"broken at the end", true, false, false, 400},
        {"cancelled", false, true, false, 406},
        {"no page converted", false, false, true, KXDocuvaneManager::kNoPageConverted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeAll(outputFolder);
        createDirectories(outputFolder);
        recorder.reports.clear();
        script->options.clear();
        script->held = script->released = false;
        script->holdAtPage = 0;
        script->writeAsItGoes = true;
        script->failAtEnd = c.failAtEnd;
        if (c.cancel) script->holdAtPage = 2;
        auto a = item("a.pdf", 3);
        if (c.noPage) {
            a->setSettings_pageRangeType(1);
            a->setSettings_customPageRange("0");  // reads, and selects no page
        }
        recorder.onReport = [&](const std::string& report) {
            if (report == "start a.pdf") writeFile(a->outputPath(), "mine");
        };
        manager->setMa_sourceItems({a});
        ASSERT_TRUE(runToEnd(c.cancel));
        EXPECT_EQ(listDirectory(outputFolder), std::vector<std::string>{"a.txt"});
        EXPECT_EQ(readFile(a->outputPath()).value_or(""), c.errorCode ? "mine" : "converted");
        EXPECT_EQ(a->conversionError() ? a->conversionError()->code : 0, c.errorCode);
        EXPECT_EQ(recorder.reports.end()[-2], "end a.pdf" + (c.errorCode ? " " + std::to_string(c.errorCode) : ""));
        EXPECT_EQ(a->conversionStatus(), c.errorCode ? "Failed" : "Success");
    }
}

// The output name is claimed when the job starts (an empty file, for page images and CSV tables an
// empty folder, so that a folder output never takes the place of a file): a job that does not
// succeed gives it back and leaves nothing in the output folder, and one that succeeds puts its
// output in the claimed place.
TEST_F(DocuvaneManagerTest, AJobThatDoesNotSucceedLeavesNothing) {
    using Names = std::vector<std::string>;
    enum Output { Text, Images, Tables };
    struct Case {
        const char* name;
        Output output;
        bool failAtEnd, cancel, noPage;
        int errorCode;  // 0: success
        Names left;
    };
    const Case cases[] = {
        {"text, succeeded", Text, false, false, false, 0, {"a.txt"}},
        {"text, broken at the end", Text, true, false, false, 400, {}},
        {"text, cancelled", Text, false, true, false, 406, {}},
        {"text, no page converted", Text, false, false, true, KXDocuvaneManager::kNoPageConverted, {}},
        {"page images, succeeded", Images, false, false, false, 0, {"a.png"}},
        {"page images, broken at the end", Images, true, false, false, 400, {}},
        {"page images, cancelled", Images, false, true, false, 406, {}},
        {"page images, no page converted", Images, false, false, true, KXDocuvaneManager::kNoPageConverted, {}},
        {"tables, succeeded", Tables, false, false, false, 0, {"a.csv"}},
        {"tables, broken at the end", Tables, true, false, false, 400, {}},
        {"tables, cancelled", Tables, false, true, false, 406, {}},
        {"tables, no page converted", Tables, false, false, true, KXDocuvaneManager::kNoPageConverted, {}},
    };
    const char* const names[] = {"a.txt", "a.png", "a.csv"};
    const char* const written[] = {"", "IMG_00001.png", "Table 1.csv"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        removeAll(outputFolder);
        createDirectories(outputFolder);
        recorder.reports.clear();
        script->held = script->released = false;
        script->holdAtPage = c.cancel ? 2 : 0;
        script->writeAsItGoes = true;
        script->failAtEnd = c.failAtEnd;
        auto a = item("a.pdf", 3);
        if (c.output == Images) {
            a->setSettings_outputFormat(format_names::ImageFamily);
            a->setSettings_outputFormat_imageType(format_names::PNG);
        }
        if (c.output == Tables) a->setSettings_outputFormat(format_names::CSV);
        if (c.noPage) {
            a->setSettings_pageRangeType(1);
            a->setSettings_customPageRange("0");  // reads, and selects no page
        }
        Names whileRunning;
        FileKind claim = FileKind::None;
        recorder.onReport = [&](const std::string& report) {
            if (report != "start a.pdf") return;
            // (without the hidden folder the output is written in)
            for (const std::string& name : listDirectory(outputFolder))
                if (name[0] != '.') whileRunning.push_back(name);
            claim = fileKind(pathJoin(outputFolder, names[c.output]));
        };
        manager->setMa_sourceItems({a});
        ASSERT_TRUE(runToEnd(c.cancel));
        EXPECT_EQ(whileRunning, Names{names[c.output]}) << "the name is taken while the job runs";
        EXPECT_EQ(claim, c.output == Text ? FileKind::RegularFile : FileKind::Folder);
        EXPECT_EQ(a->conversionError() ? a->conversionError()->code : 0, c.errorCode);
        EXPECT_EQ(listDirectory(outputFolder), c.left);
        if (!c.errorCode) {
            EXPECT_EQ(readFile(c.output == Text ? a->outputPath() : pathJoin(a->outputPath(), written[c.output])),
                      "converted");
        }
    }
    script->writeAsItGoes = script->failAtEnd = false;
}

// Two windows convert the same PDF into one folder at once: each job claims its own name while the
// other runs, and neither output replaces the other.
TEST_F(DocuvaneManagerTest, JobsOfTwoWindowsNeverShareAnOutputName) {
    auto a = item("a.pdf", 3), b = item("a.pdf", 3);
    script->holdAtPage = 2;
    Recorder otherRecorder;
    KXDocuvaneManager other;
    other.setDelegate(&otherRecorder);
    manager->setMa_sourceItems({a});
    manager->startConversion();
    script->waitUntilHeld();
    other.setMa_sourceItems({b});
    other.startConversion();
    EXPECT_NE(a->outputPath(), b->outputPath());
    script->release();
    auto ended = [](const Recorder& r) { return !r.reports.empty() && r.reports.back() == "didEnd"; };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return ended(recorder) && ended(otherRecorder); },
                                         std::chrono::seconds(60)));
    EXPECT_EQ(a->outputPath(), pathJoin(outputFolder, "a.txt"));
    EXPECT_EQ(b->outputPath(), pathJoin(outputFolder, "a 2.txt"));
    EXPECT_TRUE(a->isConversionSucceeded());
    EXPECT_TRUE(b->isConversionSucceeded());
    EXPECT_EQ(listDirectory(outputFolder), (std::vector<std::string>{"a 2.txt", "a.txt"}));
}

// A locked PDF converts with the password it was added with; without it the engine cannot open it.
TEST_F(DocuvaneManagerTest, ALockedPDFConvertsWithThePasswordOfItsItem) {
    PDFBuilder builder;
    builder.addPage("BT /F1 12 Tf 72 700 Td (Locked) Tj ET");
    const std::string locked = writeTemp("locked.pdf", encryptPDF(builder.build(), "user", "owner"));
    auto withPassword = KXSourceFileItem::initWithPath(locked);
    withPassword->setSourcePassword("user");
    withPassword->setSettings_outputFormat(format_names::PlainText);
    auto without = KXSourceFileItem::initWithPath(locked);
    run({withPassword, without});
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{"willStart", "start locked.pdf", "page locked.pdf 1 1 0",
                                                          "save locked.pdf", "end locked.pdf", "start locked.pdf",
                                                          "end locked.pdf 405", "didEnd"}));
    EXPECT_TRUE(withPassword->isConversionSucceeded());
    EXPECT_EQ(without->conversionStatus(), "Failed");
}

}  // namespace
