#pragma once
// What the window tests share: a temporary settings file, an output folder, the open panels and the
// desktop answered by the test, small PDFs made here, and the application with its window.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <set>

#include "app/gui/KXAppDelegate.h"
#include "app/gui/KXFilePanels.h"
#include "app/gui/KXImageButton.h"
#include "app/gui/KXMainWindow.h"
#include "app/gui/KXSourceTableCellView.h"
#include "app/gui/KXQSettingsStore.h"
#include "app/gui/KXWorkspace.h"
#include "app/jobs/KXPreferences.h"
#include "app/jobs/KXSettingsKeys.h"
#include "engine/ExporterChoice.h"
#include "engine/KXPDFExporter.h"
#include "platform/FileSystem.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

// Test failures print Qt's texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace kx::test {

// The desktop as the tests see it: what was opened and shown.
class RecordingWorkspace : public KXWorkspace::Handler {
public:
    QStringList opened, selected;
    QList<QUrl> urls;
    bool openSucceeds = true;
    bool openFile(const QString& path) override {
        opened << path;
        return openSucceeds;
    }
    void selectFile(const QString& path) override { selected << path; }
    bool openURL(const QUrl& url) override {
        urls << url;
        return true;
    }
};

// The open panels answered by the test: the files or folder to choose (nothing means Cancel), and
// the new folder's name in the first conversion's panel (nothing means Cancel).
class ScriptedPanels : public KXFilePanels::Override {
public:
    QStringList files;
    std::optional<QString> folder;
    std::optional<QString> newFolderName;
    int filePanels = 0, folderPanels = 0, newFolderPanels = 0;
    QString lastStartFolder, lastNameLabel, lastProposedName;
    void chooseFiles(const QString&, const QString&, KXFilePanels::FilesChosen done) override {
        ++filePanels;
        done(files);
    }
    void chooseFolder(const QString&, const QString&, const QString& start, KXFilePanels::FolderChosen done) override {
        ++folderPanels;
        lastStartFolder = start;
        done(folder);
    }
    void chooseNewFolder(const QString&, const QString&, const QString& nameLabel, const QString& start,
                         const QString& proposedName, KXFilePanels::FolderChosen done) override {
        ++newFolderPanels;
        lastStartFolder = start;
        lastNameLabel = nameLabel;
        lastProposedName = proposedName;
        done(newFolderName ? std::optional<QString>(QDir(start).filePath(*newFolderName)) : std::nullopt);
    }
};

// An exporter for "txt" that converts nothing but records, writes a small file at the end, and can
// be held at a page until the test lets it go (or the conversion is cancelled).
struct HeldScript {
    std::mutex mutex;
    std::condition_variable changed;
    int holdAtPage = 0;
    std::set<int> failPages;  // pages whose conversion fails
    bool held = false, released = false;
    std::vector<std::string> calls;

    void release() {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    bool isHeld() {
        std::lock_guard lock(mutex);
        return held;
    }
    std::vector<std::string> snapshot() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

class HeldExporter : public KXPDFExporter {
public:
    explicit HeldExporter(std::shared_ptr<HeldScript> script) : script_(std::move(script)) {}
    void begainConvertPDF(const std::string&, const std::shared_ptr<PDFDocument>&) override { record("begin"); }
    bool convertPDFPage(const PDFPage& page) override {
        std::unique_lock lock(script_->mutex);
        script_->calls.push_back("page " + std::to_string(page.pageNumber()));
        if (page.pageNumber() == script_->holdAtPage && !script_->released) {
            script_->held = true;
            script_->changed.wait(lock, [&] { return script_->released; });
        }
        return !script_->failPages.count(static_cast<int>(page.pageNumber()));
    }
    void endConvertPDF(const std::shared_ptr<PDFDocument>&) override {
        record("end");
        writeFile(destDocPath(), "text");
    }
    void cancelConvertPDF() override {
        record("cancel");
        script_->release();
    }
    void cleanConvertPDF() override { record("clean"); }

private:
    void record(std::string call) {
        std::lock_guard lock(script_->mutex);
        script_->calls.push_back(std::move(call));
    }
    std::shared_ptr<HeldScript> script_;
};

inline std::string pdfWithPages(const std::string& name, int pages) {
    PDFBuilder b;
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int i = 0; i < pages; ++i)
        b.addPage("BT /F1 24 Tf 72 700 Td (Page " + std::to_string(i + 1) + " of " + name + ") Tj ET",
                  "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
    return writeTemp(name, b.build());
}

// Where the test run leaves its screenshots for review: <build>/screenshots.
inline QString screenshotFolder() {
    const QString folder = QString::fromStdString(binDir()) + "/../screenshots";
    QDir().mkpath(folder);
    return QDir(folder).absolutePath();
}

class WindowTest : public ::testing::Test {
protected:
    QTemporaryDir temporary;
    std::unique_ptr<KXQSettingsStore> store;
    RecordingWorkspace workspace;
    ScriptedPanels panels;
    std::unique_ptr<KXAppDelegate> app;
    std::string outputFolder;

    void SetUp() override {
        store = std::make_unique<KXQSettingsStore>(temporary.filePath("settings.ini"));
        KXSettingsStore::setStandardUserDefaults(store.get());
        outputFolder = temporary.filePath("out").toStdString();
        createDirectories(outputFolder);
        store->setString(KXDefaulExportDirectory_SandBox, outputFolder);
        KXPreferences::sharedInstance().setOpenFileAfterConversion(false);
        KXPreferences::sharedInstance().setParserPDFAnnots(true);
        KXPreferences::sharedInstance().setImageDPI(144);
        KXWorkspace::setHandler(&workspace);
        KXFilePanels::setOverride(&panels);
        launch();
    }
    void TearDown() override {
        app.reset();
        KXWorkspace::setHandler(nullptr);
        KXFilePanels::setOverride(nullptr);
        KXSettingsStore::setStandardUserDefaults(nullptr);
    }

    void launch() {
        app = std::make_unique<KXAppDelegate>();
        app->applicationDidFinishLaunching();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(app->window(), 30000));
    }

    KXSourceFileViewController& list() { return *app->sourceFileViewController(); }
    KXSettingsViewController& pane() { return *app->settingsViewController(); }

    // The file names of the rows, top to bottom.
    std::vector<std::string> rows() {
        std::vector<std::string> names;
        for (const auto& item : list().ma_sourceItems()) names.push_back(pathFileName(item->sourcePath()));
        return names;
    }

    bool waitFor(const std::function<bool()>& condition, int milliseconds = 20000) {
        return QTest::qWaitFor(condition, milliseconds);
    }
    bool waitForBatchEnd() {
        return waitFor([&] { return app->docuvaneManager() && !app->docuvaneManager()->isConverting() && !app->isShowingCancel(); });
    }
    void clickConvert() { QTest::mouseClick(app->btn_convert(), Qt::LeftButton); }
};

}  // namespace kx::test
