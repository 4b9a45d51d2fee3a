// Converting from the window: the progress each row shows, a real conversion to plain text, opening
// the result only after a success, Convert on an empty list and during a batch, quitting while a job
// runs, the settings pane hidden and shown and remembered, the screenshot of the window, and the
// program itself starting and quitting cleanly.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QProcess>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <set>

#include "WindowTestSupport.h"
#include "app/gui/KXColorView.h"
#include "app/gui/KXHoverTableRowView.h"
#include "app/gui/KXSourceTableView.h"
#include "app/gui/KXImageButton.h"

using namespace kx;
using namespace kx::test;

namespace {

// The contrast of the pixel of the box that stands out most against a colour.
double strongestContrast(const QImage& image, const QRect& box, const QColor& against) {
    double best = 1.0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            best = std::max(best, KXHoverTableRowView::contrastRatio(image.pixelColor(x, y), against));
    return best;
}

class ConversionWindowTest : public WindowTest {
protected:
    std::shared_ptr<HeldScript> script = std::make_shared<HeldScript>();
    std::optional<ScopedExporterChoice> heldText;

    // Plain-text conversions go to the held exporter.
    void holdTextConversions() {
        heldText.emplace(ExporterChoice{[](const std::string& key) { return key == "txt"; },
                                        [s = script] {
                                            return std::make_unique<HeldExporter>(s);
                                        }});
    }
    // As drawn: the selected row stands out 3:1 from another row, and the row buttons of a row whose
    // output can be opened stand out 3:1 from that row.
    void expectRowsStandOut(const std::shared_ptr<KXSourceFileItem>& selected,
                            const std::shared_ptr<KXSourceFileItem>& other,
                            const std::shared_ptr<KXSourceFileItem>& withButtons) {
        KXSourceTableView* table = list().tv_sourceFileList();
        table->setHoveredRow(-1);
        QTest::qWait(50);
        const QImage image = table->viewport()->grab().toImage();
        auto rowRect = [&](const std::shared_ptr<KXSourceFileItem>& item) {
            const auto& items = list().ma_sourceItems();
            const int row = static_cast<int>(std::find(items.begin(), items.end(), item) - items.begin());
            return table->visualRect(table->model()->index(row, 0));
        };
        auto backgroundOf = [&](const QRect& row) { return image.pixelColor(row.left() + 3, row.center().y()); };
        ASSERT_EQ(list().selectedItem(), selected);
        EXPECT_GE(KXHoverTableRowView::contrastRatio(backgroundOf(rowRect(selected)), backgroundOf(rowRect(other))), 3.0);
        const QRect row = rowRect(withButtons);
        const KXSourceTableCellView::Layout parts = KXSourceTableCellView::layoutForRow(row);
        ASSERT_TRUE(withButtons->hasConversionOutput());
        for (const QRect& button : {parts.btn_openOutputFile, parts.btn_showOutputFile})
            EXPECT_GE(strongestContrast(image, button, backgroundOf(row)), 3.0);
    }
    std::shared_ptr<KXSourceFileItem> addText(const std::string& name, int pages) {
        const int before = static_cast<int>(list().ma_sourceItems().size());
        const std::string path = pdfWithPages(name, pages);
        app->applicationOpenFiles({QString::fromStdString(path)});
        EXPECT_TRUE(waitFor([&] { return static_cast<int>(list().ma_sourceItems().size()) == before + 1; }));
        std::shared_ptr<KXSourceFileItem> item;
        for (const auto& listed : list().ma_sourceItems())
            if (listed->sourcePath() == path) item = listed;
        item->setSettings_outputFormat("UTF-8 Plain Text(.txt)");
        list().reloadTableView();
        return item;
    }
};

TEST_F(ConversionWindowTest, ARowShowsItsJobsProgress) {
    holdTextConversions();
    auto item = addText("four.pdf", 4);
    QSignalSpy progress(&list(), &KXSourceFileViewController::progressUpdated);
    clickConvert();
    EXPECT_TRUE(app->isShowingCancel());
    ASSERT_TRUE(waitForBatchEnd());
    std::vector<double> values;
    for (const QList<QVariant>& call : progress) values.push_back(call.at(0).toDouble());
    const std::vector<double> expected = {1.0, double(0.1f), 21.25, 42.5, 63.75, 90.0, 100.0};
    ASSERT_EQ(values.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(values[i], expected[i], 1e-9) << i;
    EXPECT_EQ(values[1], double(0.1f));
    // The batch's end leaves every row with its status.
    EXPECT_EQ(list().progressItem(), nullptr);
    EXPECT_EQ(item->conversionOptions(), "All Pages, TXT, Success!");
    EXPECT_FALSE(app->isShowingCancel());
}

// A running row shows its bar and spinner with the status it had before the job (Ready), also when
// the list is filled again while the job runs (a settings change does that); its end state comes
// with its end. Its output is written aside until then; the output icon is enabled as soon as the
// job's claim stands at the output path.
TEST_F(ConversionWindowTest, ARunningRowReadsReadyUntilItsJobEnds) {
    holdTextConversions();
    script->holdAtPage = 2;
    auto item = addText("running.pdf", 3);
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld() && list().progressItem() == item; }));
    list().reloadTableView();
    QTest::qWait(50);
    const KXSourceTableCellView::Contents& running = list().cellView()->contents(item);
    EXPECT_EQ(running.conversionInfo, "All Pages, TXT, Ready!");
    EXPECT_EQ(running.conversionIcon, "POI_History");
    EXPECT_TRUE(running.outputEnabled);
    EXPECT_FALSE(item->outputPath().empty());
    // Only the empty file that claims the name stands there yet.
    EXPECT_EQ(fileSize(item->outputPath()), std::optional<std::uintmax_t>(0));
    script->release();
    ASSERT_TRUE(waitForBatchEnd());
    const KXSourceTableCellView::Contents& ended = list().cellView()->contents(item);
    EXPECT_EQ(ended.conversionInfo, "All Pages, TXT, Success!");
    EXPECT_EQ(ended.conversionIcon, "pwdguard_success_status_icon");
    EXPECT_TRUE(ended.outputEnabled);
}

// Help → "Add the Sample PDF" adds the document that ships with the application, and it converts.
TEST_F(ConversionWindowTest, TheHelpMenuAddsTheSampleDocument) {
    auto* action = app->window()->findChild<QAction*>("support_copySampleFiles");
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    ASSERT_TRUE(waitFor([&] { return list().ma_sourceItems().size() == 1; }));
    auto item = list().ma_sourceItems().front();
    EXPECT_EQ(pathFileName(item->sourcePath()), "Getting Started.pdf");
    EXPECT_EQ(item->sourcePages(), 3);
    item->setSettings_outputFormat("UTF-8 Plain Text(.txt)");
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    ASSERT_TRUE(item->isConversionSucceeded());
    const std::string text = readFile(item->outputPath()).value_or("");
    EXPECT_NE(text.find("Getting started with Docuvane"), std::string::npos) << text;
    EXPECT_NE(text.find("Quarterly figures"), std::string::npos) << text;
}

TEST_F(ConversionWindowTest, AConversionToPlainTextThroughTheWindow) {
    auto item = addText("text.pdf", 2);
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(item->conversionOptions(), "All Pages, TXT, Success!");
    ASSERT_TRUE(fileExists(item->outputPath()));
    EXPECT_EQ(pathDirectory(item->outputPath()), outputFolder);
    const std::string text = readFile(item->outputPath()).value_or("");
    EXPECT_NE(text.find("Page 2 of text.pdf"), std::string::npos) << text;
    EXPECT_EQ(KXSourceTableCellView::contentsOfItem(*item).conversionIcon, "pwdguard_success_status_icon");
}

// Every job's output path is opened at its end, whatever the job's error: a failed job wrote
// nothing, so its open fails and the file manager is asked to show the path instead (where nothing
// stands, the desktop's file manager shows nothing: KXWorkspace).
TEST_F(ConversionWindowTest, EveryJobsOutputPathIsOpenedAtItsEnd) {
    KXPreferences::sharedInstance().setOpenFileAfterConversion(true);
    auto good = addText("good.pdf", 1);
    auto bad = addText("bad.pdf", 1);
    removeFile(bad->sourcePath());
    workspace.openSucceeds = false;
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(bad->conversionOptions(), "All Pages, TXT, Failed!");
    EXPECT_FALSE(fileExists(bad->outputPath()));
    const QStringList both{QString::fromStdString(good->outputPath()), QString::fromStdString(bad->outputPath())};
    EXPECT_EQ(workspace.opened, both);
    // A result the desktop cannot open is shown in the file manager instead.
    EXPECT_EQ(workspace.selected, both);
    KXPreferences::sharedInstance().setOpenFileAfterConversion(false);
}

TEST_F(ConversionWindowTest, ConvertOnAnEmptyListShowsTheOpenPanel) {
    clickConvert();
    EXPECT_EQ(panels.filePanels, 1);
    EXPECT_FALSE(app->docuvaneManager()->isConverting());
}

TEST_F(ConversionWindowTest, ConvertDuringABatchCancelsAtOnce) {
    holdTextConversions();
    script->holdAtPage = 2;
    auto first = addText("first.pdf", 3);
    auto second = addText("second.pdf", 3);
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld(); }));
    EXPECT_EQ(list().cellView()->contents(first).conversionInfo, "All Pages, TXT, Ready!");
    clickConvert();
    EXPECT_FALSE(app->isShowingCancel());
    EXPECT_FALSE(app->docuvaneManager()->isConverting());
    ASSERT_TRUE(waitFor([&] { return first->conversionError().has_value(); }));
    EXPECT_EQ(first->conversionError()->code, 406);
    EXPECT_EQ(first->conversionOptions(), "All Pages, TXT, Failed!");
    // Its row says so once the cancelled job has ended.
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(list().cellView()->contents(first).conversionInfo, "All Pages, TXT, Failed!");
    EXPECT_EQ(list().cellView()->contents(first).conversionIcon, "pwdguard_failed_status_icon");
    EXPECT_TRUE(second->outputPath().empty());
}

// Removing rows while a batch runs: the running row's job is cancelled and leaves nothing in the
// output folder, a removed waiting row is not converted, and the batch goes on with the others.
TEST_F(ConversionWindowTest, RemovingARunningRowCancelsItsJobAndLeavesNothing) {
    holdTextConversions();
    script->holdAtPage = 2;
    auto first = addText("first.pdf", 3);
    auto second = addText("second.pdf", 2);
    auto third = addText("third.pdf", 1);
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld(); }));
    list().removeItemsFromTable({first, third});
    EXPECT_EQ(rows(), (std::vector<std::string>{"second.pdf"}));
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(script->snapshot(), (std::vector<std::string>{"begin", "page 1", "page 2", "cancel", "clean", "begin",
                                                            "page 1", "page 2", "end"}));
    ASSERT_TRUE(first->conversionError().has_value());
    EXPECT_EQ(first->conversionError()->code, 406);
    EXPECT_TRUE(third->outputPath().empty());
    EXPECT_TRUE(second->isConversionSucceeded());
    EXPECT_EQ(listDirectory(outputFolder), std::vector<std::string>{"second.txt"});
}

// A run in which some pages failed is no success: the row reads Failed, and the pages that were
// converted can still be opened, and shown from the row's context menu. Its tool tip stays the
// file's name. The menu's entry goes with the file: once it has been deleted there is nothing to show.
TEST_F(ConversionWindowTest, APartlyFailedConversionReadsFailedAndKeepsItsConvertedPages) {
    holdTextConversions();
    script->failPages = {2, 3, 5};
    auto item = addText("damaged.pdf", 5);
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(item->conversionOptions(), "All Pages, TXT, Failed!");
    const KXSourceTableCellView::Contents& row = list().cellView()->contents(item);
    EXPECT_EQ(row.conversionIcon, "pwdguard_failed_status_icon");
    EXPECT_TRUE(row.outputEnabled);
    EXPECT_TRUE(fileExists(item->outputPath()));
    KXSourceTableView* table = list().tv_sourceFileList();
    QAbstractItemModel* model = table->model();
    EXPECT_EQ(model->data(model->index(0, 0), Qt::ToolTipRole).toString(), "damaged.pdf");

    // The row's context menu, opened on the row: its "Show Output in File Manager" entry.
    auto showOutputEntry = [&]() -> QAction* {
        const QPoint at = table->visualRect(model->index(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &event);
        auto* menu = list().findChild<QMenu*>();
        if (!menu) return nullptr;
        EXPECT_TRUE(waitFor([&] { return menu->isVisible(); }));
        return menu->findChild<QAction*>("mi_showOutputFileInFinder");
    };
    auto closeMenu = [&] {
        if (auto* menu = list().findChild<QMenu*>()) menu->close();
    };
    QAction* showOutput = showOutputEntry();
    ASSERT_NE(showOutput, nullptr);
    EXPECT_TRUE(showOutput->isEnabled());
    workspace.selected.clear();
    showOutput->trigger();
    EXPECT_EQ(workspace.selected, QStringList{QString::fromStdString(item->outputPath())});
    closeMenu();
    ASSERT_TRUE(removeFile(item->outputPath()));
    showOutput = showOutputEntry();
    ASSERT_NE(showOutput, nullptr);
    EXPECT_FALSE(showOutput->isEnabled());
    closeMenu();

    // The next run of the same row, with every page converted, reads Success again.
    script->failPages.clear();
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(item->conversionOptions(), "All Pages, TXT, Success!");
    EXPECT_EQ(model->data(model->index(0, 0), Qt::ToolTipRole).toString(), "damaged.pdf");
}

// Every row shows the open and show buttons of its output, before its job, while it runs (its bar
// beside them) and after it; a press hands the workspace the item's output path as it stands then:
// none before the first run, the name the running job has claimed, the written output, and the name
// of a failed run's output, where nothing stands. The row's tool tip is its file's name throughout.
TEST_F(ConversionWindowTest, EveryRowShowsItsOutputButtonsAndItsFileNameAsToolTip) {
    holdTextConversions();
    script->holdAtPage = 2;
    auto item = addText("buttons.pdf", 3);
    KXSourceTableView* table = list().tv_sourceFileList();
    QAbstractItemModel* model = table->model();
    auto row = [&] { return table->visualRect(model->index(0, 0)); };
    auto parts = [&] { return KXSourceTableCellView::layoutForRow(row()); };
    auto toolTip = [&] { return model->data(model->index(0, 0), Qt::ToolTipRole).toString(); };
    // Both buttons stand out 3:1 from the row behind them.
    auto buttonsDrawn = [&] {
        table->setHoveredRow(-1);
        QTest::qWait(50);
        const QImage image = table->viewport()->grab().toImage();
        const QColor behind = image.pixelColor(row().left() + 3, row().center().y());
        return strongestContrast(image, parts().btn_openOutputFile, behind) >= 3.0 &&
               strongestContrast(image, parts().btn_showOutputFile, behind) >= 3.0;
    };
    // Both pressed: what the workspace was asked to open and to show.
    auto pressBoth = [&] {
        workspace.opened.clear();
        workspace.selected.clear();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, parts().btn_openOutputFile.center());
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, parts().btn_showOutputFile.center());
        return std::pair{workspace.opened, workspace.selected};
    };
    auto asked = [](const std::string& path) {
        return std::pair{QStringList{QString::fromStdString(path)}, QStringList{QString::fromStdString(path)}};
    };
    EXPECT_EQ(toolTip(), "buttons.pdf");
    EXPECT_TRUE(buttonsDrawn()) << "before the job";
    EXPECT_EQ(pressBoth(), asked("")) << "before the job";

    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld() && list().progressItem() == item; }));
    EXPECT_TRUE(buttonsDrawn()) << "while the job runs";
    EXPECT_FALSE(parts().conversionProgress.intersects(parts().btn_openOutputFile));
    EXPECT_FALSE(parts().conversionProgress.intersects(parts().btn_showOutputFile));
    ASSERT_FALSE(item->outputPath().empty());
    EXPECT_EQ(pressBoth(), asked(item->outputPath())) << "while the job runs";
    EXPECT_EQ(toolTip(), "buttons.pdf");
    script->release();
    ASSERT_TRUE(waitForBatchEnd());

    EXPECT_TRUE(buttonsDrawn()) << "after the job";
    ASSERT_TRUE(item->isConversionSucceeded());
    EXPECT_EQ(pressBoth(), asked(item->outputPath())) << "after the job";
    EXPECT_EQ(toolTip(), "buttons.pdf");

    // A run that fails leaves its output's name and nothing there; the buttons still hand it on.
    script->holdAtPage = 0;
    script->failPages = {1, 2, 3};
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    ASSERT_EQ(item->conversionOptions(), "All Pages, TXT, Failed!");
    ASSERT_FALSE(item->outputPath().empty());
    EXPECT_FALSE(fileExists(item->outputPath()));
    EXPECT_EQ(pressBoth(), asked(item->outputPath())) << "after a failed job";
    EXPECT_EQ(toolTip(), "buttons.pdf");
}

// Quitting while a job runs cancels it and waits for its worker before the application is gone.
TEST_F(ConversionWindowTest, QuittingWhileAJobRunsCancelsAndWaits) {
    holdTextConversions();
    script->holdAtPage = 2;
    addText("long.pdf", 5);
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld(); }));
    app.reset();
    const std::vector<std::string> calls = script->snapshot();
    EXPECT_EQ(calls, (std::vector<std::string>{"begin", "page 1", "page 2", "cancel", "clean"}));
}

// The pane goes at once and the window narrows to the list in an animation; at the next start it is
// hidden without one, the window at its minimum width. Shown, it stands at the window's right edge at
// once and the window widens by it in an animation, the list coming back to its width.
TEST_F(ConversionWindowTest, TheSettingsPaneIsHiddenShownAndRemembered) {
    // The widths the window takes until the animation has ended.
    auto animate = [&] {
        QPropertyAnimation* animation = app->settingsViewAnimation();
        EXPECT_TRUE(animation && animation->state() == QAbstractAnimation::Running && animation->propertyName() == "size");
        std::set<int> widths;
        EXPECT_TRUE(waitFor([&] {
            widths.insert(app->window()->width());
            return !app->settingsViewAnimation();
        }, 5000));
        return widths;
    };
    const int wide = app->window()->width();
    const int listWidth = app->leftView()->width();
    app->showOrHidenSettingView();
    EXPECT_FALSE(app->rightView()->isVisible());
    EXPECT_TRUE(store->boolForKey(setttings_isHiddenSettings));
    const std::set<int> narrowing = animate();
    EXPECT_GE(narrowing.size(), 3u) << "the window took its new width at once";
    EXPECT_EQ(app->window()->width(), std::max(listWidth, app->leftView()->minimumWidth()));
    EXPECT_LT(app->window()->width(), wide);
    EXPECT_EQ(app->leftView()->width(), app->window()->width());

    // The next start restores the hidden pane, not animated.
    app.reset();
    launch();
    EXPECT_FALSE(app->rightView()->isVisible());
    EXPECT_EQ(app->settingsViewAnimation(), nullptr);
    EXPECT_EQ(app->window()->width(), app->leftView()->minimumWidth());
    const int narrow = app->window()->width();
    app->showOrHidenSettingView();
    EXPECT_TRUE(app->rightView()->isVisible());
    EXPECT_FALSE(store->boolForKey(setttings_isHiddenSettings));
    const std::set<int> widening = animate();
    EXPECT_GE(widening.size(), 3u) << "the window took its new width at once";
    EXPECT_EQ(app->leftView()->width(), narrow);
    EXPECT_EQ(app->leftView()->minimumWidth(), narrow);
    EXPECT_GE(app->window()->width(), narrow + app->rightView()->width());
    EXPECT_EQ(app->rightView()->geometry().right(), app->window()->width() - 1);
}

// The window with three rows, one of them converting, for review.
TEST_F(ConversionWindowTest, ScreenshotOfTheWindowWithARunningRow) {
    holdTextConversions();
    script->holdAtPage = 3;
    auto first = addText("Annual statement.pdf", 4);
    auto second = addText("Invoice 2024-117.pdf", 1);
    auto third = addText("Quarterly report.pdf", 2);
    second->setSettings_outputFormat("Microsoft Excel(.xlsx)");
    third->setSettings_outputFormat("Image Files(JPEG, PNG, etc.)");
    third->setSettings_outputFormat_imageType("PNG Image File(.png)");
    list().reloadTableView();
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld() && list().progressValue() > 20.0; }));
    QTest::qWait(200);
    const QString path = screenshotFolder() + "/main-window.png";
    ASSERT_TRUE(app->window()->grab().save(path));
    std::cout << "Screenshot: " << path.toStdString() << "\n";
    script->release();
    ASSERT_TRUE(waitForBatchEnd());

    // And at the end: the rows' final states (the spreadsheet and image jobs ran through their own
    // exporters), each with its status icon and the buttons of its output.
    QTest::qWait(200);
    const QString ended = screenshotFolder() + "/main-window-ended.png";
    ASSERT_TRUE(app->window()->grab().save(ended));
    std::cout << "Screenshot: " << ended.toStdString() << "\n";
    // The last row run stays selected and stands out in the light appearance.
    expectRowsStandOut(third, first, first);
}

// What is drawn with fixed colours (the bar under the list, the message over the empty list) follows
// the appearance when the palette turns dark and back; screenshots of the dark window for review.
TEST_F(ConversionWindowTest, TheWindowFollowsTheDarkAppearance) {
    auto* bar = app->window()->findChild<KXColorView*>("bottomBar");
    ASSERT_NE(bar, nullptr);
    auto lightnessAt = [](QWidget* widget) { return widget->grab().toImage().pixelColor(4, 4).lightness(); };
    EXPECT_GT(bar->startingColor().lightness(), 128);
    EXPECT_GT(lightnessAt(list().nv_emptyMsg()), 128);

    const QPalette light = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2d, 0x31));
    dark.setColor(QPalette::WindowText, QColor(0xe8, 0xea, 0xed));
    dark.setColor(QPalette::Base, QColor(0x1f, 0x20, 0x23));
    dark.setColor(QPalette::AlternateBase, QColor(0x2b, 0x2d, 0x31));
    dark.setColor(QPalette::Text, QColor(0xe8, 0xea, 0xed));
    dark.setColor(QPalette::Button, QColor(0x35, 0x37, 0x3c));
    dark.setColor(QPalette::ButtonText, QColor(0xe8, 0xea, 0xed));
    dark.setColor(QPalette::Highlight, QColor(0x2f, 0x7b, 0xe0));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    QApplication::setPalette(dark);
    QTest::qWait(100);
    EXPECT_LT(bar->startingColor().lightness(), 128);
    EXPECT_LT(bar->endingColor().lightness(), 128);
    EXPECT_LT(lightnessAt(list().nv_emptyMsg()), 128);
    // Secondary texts are made again from the new palette: light grey on the dark window.
    EXPECT_GT(pane().tf_previewInfo()->palette().color(QPalette::WindowText).lightness(), 128);
    EXPECT_TRUE(app->window()->grab().save(screenshotFolder() + "/main-window-dark-empty.png"));

    auto first = addText("Annual statement.pdf", 2);
    auto second = addText("Invoice 2024-117.pdf", 1);
    auto third = addText("Quarterly report.pdf", 1);
    removeFile(second->sourcePath());
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    list().selectTableRowWithItem(first);
    QTest::qWait(200);
    const QString path = screenshotFolder() + "/main-window-dark.png";
    EXPECT_TRUE(app->window()->grab().save(path));
    std::cout << "Screenshot: " << path.toStdString() << "\n";
    // The selected row and the row buttons stand out in the dark appearance too.
    expectRowsStandOut(first, second, first);
    expectRowsStandOut(first, third, third);

    QApplication::setPalette(light);
    QTest::qWait(100);
    EXPECT_GT(bar->startingColor().lightness(), 128);
    EXPECT_LT(pane().tf_previewInfo()->palette().color(QPalette::WindowText).lightness(), 128);
}

// The program starts with a file, shows its window and ends on a termination request with status 0
// and nothing from Qt on the console.
TEST(DesktopProgram, StartsAndQuitsCleanly) {
    const QString program = QString::fromStdString(binDir()) + "/Docuvane";
    ASSERT_TRUE(QFileInfo::exists(program));
    QTemporaryDir home;
    QDir(home.path()).mkpath("run");
    QFile::setPermissions(home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
    environment.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    environment.remove("QT_QPA_PLATFORM");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, {QString::fromStdString(pdfWithPages("opened.pdf", 2))});
    ASSERT_TRUE(process.waitForStarted(10000));
    QTest::qWait(2500);
    EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardError().toStdString(), "");
    // Its settings went to the user's configuration folder.
    EXPECT_TRUE(QFileInfo::exists(home.filePath("config/Docuvane/Docuvane.ini")));
}

}  // namespace
