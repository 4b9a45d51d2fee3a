// The settings pane and its sheets in the window: the format choice, the page range, Apply to All,
// each sheet writing into the selected item at once and storing its keys on Done, the resolution
// and quality segments, the output folder, Convert without a folder, the preferences window, the
// cover over a running item's settings, and screenshots of the pane, the sheets and the preferences.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QRadioButton>

#include "WindowTestSupport.h"
#include "app/gui/KXExcelSettings.h"
#include "app/gui/KXHideView.h"
#include "app/gui/KXImageSettings.h"
#include "app/gui/KXPreferencesWindowController.h"
#include "app/gui/KXSegmentedControl.h"
#include "app/gui/KXSourceTableView.h"
#include "app/gui/KXThumbnails.h"
#include "app/gui/KXWordSettings.h"

using namespace kx;
using namespace kx::test;

namespace {

class SettingsPaneTest : public WindowTest {
protected:
    std::shared_ptr<KXSourceFileItem> addAndSelect(const std::string& name, int pages = 3) {
        const std::string path = pdfWithPages(name, pages);
        app->applicationOpenFiles({QString::fromStdString(path)});
        EXPECT_TRUE(waitFor([&] { return !list().isAddingFiles() && !list().ma_sourceItems().empty(); }));
        std::shared_ptr<KXSourceFileItem> item;
        for (const auto& listed : list().ma_sourceItems())
            if (listed->sourcePath() == path) item = listed;
        list().selectTableRowWithItem(item);
        EXPECT_EQ(pane().sourceFileItem(), item);
        return item;
    }
    void chooseFormat(const char* title) {
        QComboBox* formats = pane().pub_outputFormat();
        const int index = formats->findText(title);
        ASSERT_GE(index, 0) << title;
        formats->setCurrentIndex(index);
        emit formats->activated(index);
    }
    void openSheet() {
        pane().btn_moreSettings()->click();
        ASSERT_TRUE(waitFor([&] { return pane().panel_moreSettings()->isVisible(); }));
    }
    void shoot(QWidget* widget, const char* name) {
        QTest::qWait(100);
        const QString path = screenshotFolder() + "/" + name;
        ASSERT_TRUE(widget->grab().save(path));
        std::cout << "Screenshot: " << path.toStdString() << "\n";
    }
};

TEST_F(SettingsPaneTest, ChoosingAFormatUpdatesTheItemsKeyAndIcon) {
    auto item = addAndSelect("report.pdf");
    struct Case {
        const char* format;
        const char* key;
        const char* icon;
        bool moreSettings;
    } cases[] = {
        {"Microsoft Excel(.xlsx)", "xlsx", "icon_xlsx", true},
        {"Comma-Separated Values(.csv)", "csv", "icon_csv", true},
        {"Microsoft PowerPoint(.pptx)", "pptx", "icon_pptx", false},
        {"UTF-8 Plain Text(.txt)", "txt", "icon_txt", false},
        {"Rich Text File(.rtf)", "rtf", "icon_rtf", false},
        {"Web Source File(.html)", "html", "icon_html", false},
        {"Image Files(JPEG, PNG, etc.)", "jpeg", "icon_jpeg", true},
        {"Microsoft Word(.docx)", "docx", "icon_docx", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        chooseFormat(c.format);
        EXPECT_EQ(item->settings_outputFormat(), c.format);
        EXPECT_EQ(item->outputFileFormat(), c.key);
        EXPECT_EQ(list().cellView()->contents(item).outputIcon, c.icon);
        EXPECT_EQ(pane().btn_moreSettings()->isEnabled(), c.moreSettings);
        EXPECT_EQ(store->stringForKey(Setting_Key_Docuvane_OutputFormat), c.format);
    }
}

TEST_F(SettingsPaneTest, CustomEnablesTheRangeFieldAndAllPagesKeepsItsText) {
    auto item = addAndSelect("ranges.pdf", 6);
    EXPECT_FALSE(pane().tf_ouputPageRange()->isEnabled());
    pane().mtx_ouputPageRange()->button(1)->click();
    EXPECT_TRUE(pane().tf_ouputPageRange()->isEnabled());
    pane().tf_ouputPageRange()->clear();
    QTest::keyClicks(pane().tf_ouputPageRange(), "2-3,6");
    EXPECT_EQ(item->settings_pageRangeType(), 1);
    EXPECT_EQ(item->settings_customPageRange(), "2-3,6");
    EXPECT_EQ(item->outputPDFPageIndexs(), (std::vector<std::uint64_t>{2, 3, 6}));
    pane().mtx_ouputPageRange()->button(0)->click();
    EXPECT_FALSE(pane().tf_ouputPageRange()->isEnabled());
    EXPECT_EQ(item->settings_pageRangeType(), 0);
    EXPECT_EQ(item->settings_customPageRange(), "2-3,6");
    EXPECT_EQ(item->outputPDFPageIndexs().size(), 6u);
}

TEST_F(SettingsPaneTest, ApplyToAllSetsEveryItemsFormat) {
    auto a = addAndSelect("a.pdf"), b = addAndSelect("b.pdf"), c = addAndSelect("c.pdf");
    chooseFormat("Rich Text File(.rtf)");
    EXPECT_EQ(a->settings_outputFormat(), "Microsoft Word(.docx)");
    pane().btn_outputApplyToAll()->click();
    chooseFormat("Web Source File(.html)");
    for (const auto& item : {a, b, c}) EXPECT_EQ(item->outputFileFormat(), "html");
}

TEST_F(SettingsPaneTest, TheWordSheetChangesTheItemAtOnceAndDoneStores) {
    auto item = addAndSelect("word.pdf");
    openSheet();
    KXWordSettings* sheet = pane().settings_Word();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->docx_btn_mergeParagraph()->isChecked());
    sheet->docx_btn_mergeParagraph()->click();
    sheet->docx_btn_enableShapToImage()->click();
    EXPECT_FALSE(item->convertOpts().wordOptions().isMergeParagraphs());
    EXPECT_TRUE(item->convertOpts().wordOptions().enableShapToImage());
    EXPECT_FALSE(store->hasObjectForKey(Setting_Key_Docuvane_Word_enableShapToImage) &&
                 store->boolForKey(Setting_Key_Docuvane_Word_enableShapToImage));
    shoot(pane().panel_moreSettings(), "sheet-word.png");
    sheet->btn_done()->click();
    EXPECT_FALSE(pane().panel_moreSettings()->isVisible());
    EXPECT_FALSE(store->boolForKey(Setting_Key_Docuvane_Word_isMergeParagraphs));
    EXPECT_TRUE(store->boolForKey(Setting_Key_Docuvane_Word_enableShapToImage));
    auto next = addAndSelect("next.pdf");
    EXPECT_FALSE(next->convertOpts().wordOptions().isMergeParagraphs());
    EXPECT_TRUE(next->convertOpts().wordOptions().enableShapToImage());
}

TEST_F(SettingsPaneTest, TheSpreadsheetSheet) {
    auto item = addAndSelect("sheet.pdf");
    item->convertOpts().excelOptions().setThousandSepartor(7);  // outside the menu: shown and stored as 0
    item->convertOpts().excelOptions().setAllInOneSheet(true);
    item->convertOpts().excelOptions().setAiosAddToRow(false);
    chooseFormat("Comma-Separated Values(.csv)");
    openSheet();
    KXExcelSettings* sheet = pane().settings_Excel();
    EXPECT_EQ(sheet->pub_thousandSepartor()->currentIndex(), 0);
    EXPECT_TRUE(sheet->isAiosAddToRowEnabled());
    EXPECT_EQ(sheet->mtx_aiosAddToRow()->checkedId(), 1);
    shoot(pane().panel_moreSettings(), "sheet-excel.png");

    sheet->mtx_dataStruct()->button(2)->click();
    EXPECT_EQ(item->convertOpts().excelOptions().excelFormatOption(), 2);
    EXPECT_EQ(item->convertOpts().excelOptions().thousandSepartor(), 0);
    sheet->pub_overlapText()->setCurrentIndex(1);
    emit sheet->pub_overlapText()->activated(1);
    EXPECT_EQ(item->convertOpts().excelOptions().overlapText(), 1);
    // One sheet per page: the stacking choice is disabled at once, and keeps its selection.
    sheet->mtx_eachPageSheet()->button(0)->click();
    EXPECT_FALSE(sheet->isAiosAddToRowEnabled());
    EXPECT_FALSE(item->convertOpts().excelOptions().allInOneSheet());
    EXPECT_FALSE(item->convertOpts().excelOptions().aiosAddToRow());
    sheet->btn_done()->click();
    EXPECT_EQ(store->integerForKey(Setting_Key_Docuvane_Excel_FormatStyle), 2);
    EXPECT_EQ(store->integerForKey(Setting_Key_Docuvane_Excel_ThousandSepartor), 0);
    EXPECT_EQ(store->integerForKey(Setting_Key_Docuvane_Excel_OverlapText), 1);
    EXPECT_FALSE(store->boolForKey(Setting_Key_Docuvane_Excel_IsEachPageSheet));
    EXPECT_FALSE(store->boolForKey(Setting_Key_Docuvane_Excel_IsAiosAddToRow));
}

TEST_F(SettingsPaneTest, TheImageSheet) {
    auto item = addAndSelect("pictures.pdf");
    chooseFormat("Image Files(JPEG, PNG, etc.)");
    struct Case {
        std::int64_t dpi;
        double quality;
        int dpiSegment, qualitySegment;
        std::int64_t storedDPI;
    } cases[] = {
        {100, 0.875, 5, 2, 144},
        {250, 0.95, 5, 3, 144},
        {600, 0.3, 8, 0, 600},
        {12, 1.0, 0, 4, 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        item->convertOpts().imageOptions().setDpi(c.dpi);
        item->convertOpts().imageOptions().setQuality(c.quality);
        openSheet();
        KXImageSettings* sheet = pane().settings_Image();
        EXPECT_EQ(sheet->seg_image_dpi()->selectedSegment(), c.dpiSegment);
        EXPECT_EQ(sheet->seg_image_quality()->selectedSegment(), c.qualitySegment);
        sheet->btn_done()->click();
        EXPECT_EQ(store->integerForKey(Setting_Key_Docuvane_Image_ImageDPI), c.storedDPI);
    }

    // The image type is the item's at once, before Done.
    openSheet();
    KXImageSettings* sheet = pane().settings_Image();
    sheet->menuItemuAction_selectOutputFormats("PNG Image File(.png)");
    EXPECT_EQ(item->settings_outputFormat_imageType(), "PNG Image File(.png)");
    EXPECT_EQ(item->outputFileFormat(), "png");
    EXPECT_EQ(item->outputFileIcon(), "icon_png");
    EXPECT_EQ(store->stringForKey(Setting_Key_Docuvane_OutputFormat_ImageType), "PNG Image File(.png)");
    emit sheet->seg_image_dpi()->segmentChosen(7);
    sheet->seg_image_dpi()->setSelectedSegment(7);
    emit sheet->seg_image_dpi()->segmentChosen(7);
    EXPECT_EQ(item->convertOpts().imageOptions().dpi(), 300);
    shoot(pane().panel_moreSettings(), "sheet-image.png");
    sheet->btn_done()->click();

    // An empty image type shows the stored one; a stored type that is no image is replaced.
    EXPECT_FALSE(sheet->selectedMenuTitleFor_ImageType(""));
    EXPECT_EQ(sheet->pub_outputFormat()->currentText(), "PNG Image File(.png)");
    store->setString(Setting_Key_Docuvane_OutputFormat_ImageType, "Microsoft Word(.docx)");
    sheet->readSavedOutputFormat();
    EXPECT_EQ(store->stringForKey(Setting_Key_Docuvane_OutputFormat_ImageType), "JPEG Image File(.jpeg)");
}

TEST_F(SettingsPaneTest, BrowseStoresTheChosenFolder) {
    const QString chosen = temporary.filePath("chosen");
    QDir().mkpath(chosen);
    panels.folder = chosen;
    pane().btn_browse()->click();
    EXPECT_EQ(panels.lastStartFolder, QString::fromStdString(outputFolder));
    EXPECT_EQ(store->stringForKey(KXDefaulExportDirectory_SandBox), chosen.toStdString());
    EXPECT_EQ(pane().tf_ouputPath()->text(), chosen);
    pane().btn_reveal()->click();
    EXPECT_EQ(workspace.opened, QStringList{chosen});
    // Cancel keeps the folder.
    panels.folder.reset();
    pane().btn_browse()->click();
    EXPECT_EQ(store->stringForKey(KXDefaulExportDirectory_SandBox), chosen.toStdString());
}

// Without a chosen folder the pane shows "/Downloads", and Convert asks for a folder with the folder
// panel, starting in the Documents folder; cancelling it starts nothing; choosing one keeps it, shows
// it and starts the conversion without a second press. A kept folder that has gone since is asked for
// again the same way.
TEST_F(SettingsPaneTest, WithoutAFolderConvertAsksForOneAndThenStarts) {
    store->removeObjectForKey(KXDefaulExportDirectory_SandBox);
    app.reset();
    launch();
    EXPECT_EQ(pane().tf_ouputPath()->text(), "/Downloads");
    auto item = addAndSelect("first.pdf", 1);
    item->setSettings_outputFormat("UTF-8 Plain Text(.txt)");
    clickConvert();  // cancelled: nothing starts
    EXPECT_EQ(panels.folderPanels, 1);
    EXPECT_EQ(panels.newFolderPanels, 0);
    EXPECT_EQ(panels.lastStartFolder, QDir::homePath() + "/Documents");
    EXPECT_FALSE(app->isShowingCancel());
    EXPECT_TRUE(item->outputPath().empty());
    EXPECT_FALSE(store->hasObjectForKey(KXDefaulExportDirectory_SandBox));
    EXPECT_EQ(pane().tf_ouputPath()->text(), "/Downloads");

    const QString chosen = temporary.filePath("chosen");
    QDir().mkpath(chosen);
    panels.folder = chosen;
    clickConvert();
    EXPECT_EQ(panels.folderPanels, 2);
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(store->stringForKey(KXDefaulExportDirectory_SandBox), chosen.toStdString());
    EXPECT_EQ(pane().tf_ouputPath()->text(), chosen);
    EXPECT_EQ(QString::fromStdString(pathDirectory(item->outputPath())), chosen);
    EXPECT_TRUE(item->isConversionSucceeded());
    // The folder is kept: the next Convert asks nothing.
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(panels.folderPanels, 2);

    QDir(chosen).removeRecursively();
    panels.folder.reset();
    clickConvert();  // cancelled again
    EXPECT_EQ(panels.folderPanels, 3);
    EXPECT_EQ(panels.lastStartFolder, QDir::homePath() + "/Documents");
    EXPECT_EQ(panels.newFolderPanels, 0);
    EXPECT_FALSE(app->isShowingCancel());
}

// The button asks for a usable folder first during a batch too: with the folder panel cancelled the
// batch goes on; with a folder chosen the press goes on as it would have, and cancels the batch.
TEST_F(SettingsPaneTest, DuringABatchWithoutAUsableFolderTheButtonAsksForOneFirst) {
    auto script = std::make_shared<HeldScript>();
    script->holdAtPage = 2;
    ScopedExporterChoice held{{[](const std::string& key) { return key == "txt"; },
                               [script] {
                                   return std::make_unique<HeldExporter>(script);
                               }}};
    auto item = addAndSelect("held.pdf", 3);
    chooseFormat("UTF-8 Plain Text(.txt)");
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld(); }));
    ASSERT_EQ(panels.folderPanels, 0);
    store->setString(KXDefaulExportDirectory_SandBox, temporary.filePath("gone").toStdString());

    clickConvert();  // the panel cancelled
    EXPECT_EQ(panels.folderPanels, 1);
    EXPECT_EQ(panels.lastStartFolder, QDir::homePath() + "/Documents");
    EXPECT_TRUE(app->isShowingCancel());
    EXPECT_TRUE(app->docuvaneManager()->isConverting());

    const QString chosen = temporary.filePath("chosen");
    QDir().mkpath(chosen);
    panels.folder = chosen;
    clickConvert();
    EXPECT_EQ(panels.folderPanels, 2);
    EXPECT_EQ(store->stringForKey(KXDefaulExportDirectory_SandBox), chosen.toStdString());
    EXPECT_FALSE(app->isShowingCancel());
    EXPECT_FALSE(app->docuvaneManager()->isConverting());
    ASSERT_TRUE(waitFor([&] { return item->conversionError().has_value(); }));
    EXPECT_EQ(item->conversionError()->code, 406);
    ASSERT_TRUE(waitForBatchEnd());
}

// The folder panel of the first Convert as the user sees it: the screenshot, then a folder chosen in it
// and the conversion going there.
TEST_F(SettingsPaneTest, TheFirstConversionsPanel) {
    store->removeObjectForKey(KXDefaulExportDirectory_SandBox);
    app.reset();
    launch();
    auto item = addAndSelect("Annual statement.pdf", 1);
    item->setSettings_outputFormat("UTF-8 Plain Text(.txt)");
    KXFilePanels::setOverride(nullptr);
    clickConvert();
    QFileDialog* panel = nullptr;
    ASSERT_TRUE(waitFor([&] {
        panel = app->window()->findChild<QFileDialog*>();
        return panel && panel->isVisible();
    }));
    EXPECT_EQ(panel->windowTitle(), "Choose a output directory to save documents:");
    EXPECT_EQ(panel->labelText(QFileDialog::Accept), "Choose");
    EXPECT_EQ(panel->fileMode(), QFileDialog::Directory);
    // In the Documents folder, or the nearest folder above it where there is none.
    EXPECT_EQ(panel->directory().absolutePath(), KXFilePanels::nearestExistingFolder(QDir::homePath() + "/Documents"));
    shoot(panel, "first-run-panel.png");

    const QString chosen = temporary.filePath("Converted");
    QDir().mkpath(chosen);
    panel->setDirectory(chosen);
    static_cast<QDialog*>(panel)->accept();
    ASSERT_TRUE(waitForBatchEnd());
    KXFilePanels::setOverride(&panels);
    EXPECT_EQ(QString::fromStdString(pathDirectory(item->outputPath())), chosen);
    EXPECT_TRUE(item->isConversionSucceeded());
}

// A panel's start folder that does not exist gives way to the nearest folder above it that does.
TEST(FilePanels, AMissingStartFolderGivesWayToTheNearestFolderAboveIt) {
    QTemporaryDir folder;
    QDir(folder.path()).mkpath("there");
    QFile file(folder.filePath("a file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    struct Case {
        QString start, expected;
    } cases[] = {
        {folder.filePath("there"), folder.filePath("there")},
        {folder.filePath("missing/Documents"), folder.path()},
        {folder.filePath("a file/below"), folder.path()},
        {"/", "/"},
    };
    for (const Case& c : cases) EXPECT_EQ(KXFilePanels::nearestExistingFolder(c.start), c.expected) << c.start.toStdString();
}

// The panel naming a new output folder: "Output directory:" with the application's name proposed, in
// the Documents folder. The folder named is kept as the output folder; it is not made, and nothing
// is converted.
TEST_F(SettingsPaneTest, TheNewFolderPanelKeepsTheFolderItNames) {
    store->removeObjectForKey(KXDefaulExportDirectory_SandBox);
    app.reset();
    launch();
    auto item = addAndSelect("kept.pdf", 1);
    panels.newFolderName.reset();
    pane().creatOutputDirectryAtFirst();  // cancelled
    EXPECT_EQ(panels.newFolderPanels, 1);
    EXPECT_EQ(panels.lastStartFolder, QDir::homePath() + "/Documents");
    EXPECT_EQ(panels.lastNameLabel, "Output directory:");
    EXPECT_EQ(panels.lastProposedName, "Docuvane");
    EXPECT_FALSE(store->hasObjectForKey(KXDefaulExportDirectory_SandBox));

    const QString named = temporary.filePath("not yet/Docuvane");
    panels.newFolderName = named;
    pane().creatOutputDirectryAtFirst();
    EXPECT_EQ(store->stringForKey(KXDefaulExportDirectory_SandBox), named.toStdString());
    EXPECT_FALSE(QFileInfo::exists(named));
    QTest::qWait(50);
    EXPECT_FALSE(app->isShowingCancel());
    EXPECT_TRUE(item->outputPath().empty());
    EXPECT_EQ(panels.folderPanels, 0);

    // The panel itself.
    KXFilePanels::setOverride(nullptr);
    pane().creatOutputDirectryAtFirst();
    QDialog* panel = nullptr;
    ASSERT_TRUE(waitFor([&] {
        panel = app->window()->findChild<QDialog*>("panel_newOutputDirectory");
        return panel && panel->isVisible();
    }));
    auto* name = panel->findChild<QLineEdit*>("tf_newOutputDirectory_name");
    auto* location = panel->findChild<QLineEdit*>("tf_newOutputDirectory_location");
    ASSERT_TRUE(name && location);
    EXPECT_EQ(name->text(), "Docuvane");
    EXPECT_EQ(location->text(), QDir::homePath() + "/Documents");
    bool labelled = false;
    for (QLabel* label : panel->findChildren<QLabel*>()) labelled = labelled || label->text() == "Output directory:";
    EXPECT_TRUE(labelled);
    shoot(panel, "new-folder-panel.png");
    // A name must be one folder's name.
    auto* choose = panel->findChild<QPushButton*>("btn_newOutputDirectory_choose");
    name->setText("a/b");
    EXPECT_FALSE(choose->isEnabled());
    name->setText("Converted");
    location->setText(temporary.path());
    choose->click();
    KXFilePanels::setOverride(&panels);
    const QString chosen = temporary.filePath("Converted");
    EXPECT_EQ(store->stringForKey(KXDefaulExportDirectory_SandBox), chosen.toStdString());
    EXPECT_FALSE(QFileInfo::exists(chosen));
}

// A custom range that selects no page of the PDF is shown as wrong in the field as it is typed; a
// range the PDF has pages for (a descending one too) is not.
TEST_F(SettingsPaneTest, ARangeThatSelectsNoPageIsShownAsWrong) {
    auto one = addAndSelect("one page.pdf", 1);
    pane().mtx_ouputPageRange()->button(1)->click();
    const QColor normal = pane().tf_ouputPageRange()->palette().color(QPalette::Text);
    struct Case {
        const char* text;
        int pages;
        bool wrong;
    } cases[] = {
        {"abc", 1, true},  {"0", 1, true},      {"5-2", 1, true},  {"1-2-3", 1, true}, {"2", 1, true},
        {"1", 1, false},   {"", 1, false},      {"0-3", 1, false}, {"5-2", 3, false}, {"3,9", 3, false},
        {"4-9", 3, true},  {"All Pages", 1, false},
    };
    auto three = addAndSelect("three pages.pdf", 3);
    pane().mtx_ouputPageRange()->button(1)->click();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " of " + std::to_string(c.pages));
        list().selectTableRowWithItem(c.pages == 1 ? one : three);
        pane().tf_ouputPageRange()->clear();
        QTest::keyClicks(pane().tf_ouputPageRange(), c.text);
        EXPECT_EQ(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()), c.wrong);
        EXPECT_EQ(pane().tf_ouputPageRange()->palette().color(QPalette::Text) != normal, c.wrong);
    }
    // All Pages selects every page, whatever the custom text says.
    list().selectTableRowWithItem(one);
    QTest::keyClicks(pane().tf_ouputPageRange(), "abc");
    EXPECT_TRUE(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()));
    pane().mtx_ouputPageRange()->button(0)->click();
    EXPECT_FALSE(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()));
}

// Choosing Custom leaves the text for all pages in the field; what is typed next replaces it, typed
// at once or after a click at the end of the field (it was added to it: "All Pages2-3").
TEST_F(SettingsPaneTest, TypingAfterChoosingCustomReplacesTheTextForAllPages) {
    QLineEdit* field = pane().tf_ouputPageRange();
    QAbstractButton* custom = pane().mtx_ouputPageRange()->button(1);
    struct Case {
        const char* file;
        bool clickInTheField;
    } cases[] = {{"typed at once.pdf", false}, {"typed after a click in the field.pdf", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto item = addAndSelect(c.file, 6);
        ASSERT_EQ(field->text(), "All Pages");
        QTest::mouseClick(custom, Qt::LeftButton);
        if (c.clickInTheField) QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 4, field->height() / 2));
        QTest::keyClicks(app->window()->focusWidget(), "2-3");
        EXPECT_EQ(field->text(), "2-3");
        EXPECT_EQ(item->settings_customPageRange(), "2-3");
        EXPECT_EQ(item->outputPDFPageIndexs(), (std::vector<std::uint64_t>{2, 3}));
        EXPECT_FALSE(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()));
    }
}

// A custom range that reads only in part ("All Pages2-3" would read as pages 1-3) is marked wrong as
// it is typed, and Convert converts none of its pages: the row reads Failed, its job ends saying why,
// and nothing is written.
TEST_F(SettingsPaneTest, ARangeThatReadsOnlyInPartIsMarkedWrongAndNotConverted) {
    auto script = std::make_shared<HeldScript>();
    ScopedExporterChoice held{{[](const std::string& key) { return key == "txt"; },
                               [script] {
                                   return std::make_unique<HeldExporter>(script);
                               }}};
    auto item = addAndSelect("ranged.pdf", 3);
    chooseFormat("UTF-8 Plain Text(.txt)");
    QLineEdit* field = pane().tf_ouputPageRange();
    const QColor normal = field->palette().color(QPalette::Text);
    pane().mtx_ouputPageRange()->button(1)->click();
    field->deselect();
    field->end(false);
    QTest::keyClicks(field, "2-3");
    ASSERT_EQ(field->text(), "All Pages2-3");
    EXPECT_TRUE(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()));
    EXPECT_NE(field->palette().color(QPalette::Text), normal);
    shoot(app->rightView(), "settings-pane-range-wrong.png");

    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    for (const std::string& call : script->snapshot()) EXPECT_EQ(call.rfind("page ", 0), std::string::npos) << call;
    EXPECT_EQ(item->conversionOptions(), "All Pages2-3, TXT, Failed!");
    EXPECT_TRUE(listDirectory(outputFolder).empty());
    ASSERT_TRUE(item->conversionError().has_value());
    EXPECT_EQ(item->conversionError()->failureReason, "The page range can't be read.(All Pages2-3)");

    // Mended, the range converts its pages.
    field->selectAll();
    QTest::keyClicks(field, "2-3");
    EXPECT_FALSE(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()));
    clickConvert();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(item->conversionOptions(), "2-3, TXT, Success!");
    const std::vector<std::string> calls = script->snapshot();
    EXPECT_EQ(std::vector<std::string>(calls.end() - 4, calls.end()),
              (std::vector<std::string>{"begin", "page 2", "page 3", "end"}));
}

// While a batch converts, the rows waiting for their jobs keep their settings open, and a custom range
// typed into one of them is checked as it is typed and read when its job starts: one that reads only
// in part is marked wrong and its job converts none of its pages, and one typed after choosing Custom
// replaces "All Pages" and converts only its pages.
TEST_F(SettingsPaneTest, ARangeTypedDuringABatchIsCheckedAndNeverConvertsEveryPage) {
    auto script = std::make_shared<HeldScript>();
    script->holdAtPage = 2;
    ScopedExporterChoice held{{[](const std::string& key) { return key == "txt"; },
                               [script] {
                                   return std::make_unique<HeldExporter>(script);
                               }}};
    QLineEdit* field = pane().tf_ouputPageRange();
    QAbstractButton* custom = pane().mtx_ouputPageRange()->button(1);
    auto running = addAndSelect("running.pdf", 3);
    chooseFormat("UTF-8 Plain Text(.txt)");
    auto appended = addAndSelect("appended.pdf", 3);
    chooseFormat("UTF-8 Plain Text(.txt)");
    auto replaced = addAndSelect("replaced.pdf", 3);
    chooseFormat("UTF-8 Plain Text(.txt)");
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld(); }));
    ASSERT_TRUE(app->isShowingCancel());

    list().selectTableRowWithItem(appended);
    ASSERT_EQ(pane().sourceFileItem(), appended);
    QTest::mouseClick(custom, Qt::LeftButton);
    field->deselect();
    field->end(false);
    QTest::keyClicks(field, "2-3");
    EXPECT_EQ(field->text(), "All Pages2-3");
    EXPECT_EQ(appended->settings_customPageRange(), "All Pages2-3");
    EXPECT_TRUE(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()));

    list().selectTableRowWithItem(replaced);
    ASSERT_EQ(pane().sourceFileItem(), replaced);
    QTest::mouseClick(custom, Qt::LeftButton);
    QTest::keyClicks(app->window()->focusWidget(), "2-3");
    EXPECT_EQ(field->text(), "2-3");
    EXPECT_EQ(replaced->settings_customPageRange(), "2-3");
    EXPECT_FALSE(pane().tf_ouputPageRangeWrong()->isVisibleTo(&pane()));

    script->release();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_EQ(running->conversionOptions(), "All Pages, TXT, Success!");
    EXPECT_EQ(appended->conversionOptions(), "All Pages2-3, TXT, Failed!");
    ASSERT_TRUE(appended->conversionError().has_value());
    EXPECT_EQ(appended->conversionError()->failureReason, "The page range can't be read.(All Pages2-3)");
    EXPECT_EQ(replaced->conversionOptions(), "2-3, TXT, Success!");
    EXPECT_EQ(listDirectory(outputFolder), (std::vector<std::string>{"replaced.txt", "running.txt"}));
    // The pages each job was given, job by job.
    std::vector<std::vector<std::string>> jobs;
    for (const std::string& call : script->snapshot()) {
        if (call == "begin") jobs.emplace_back();
        else if (call.rfind("page ", 0) == 0 && !jobs.empty()) jobs.back().push_back(call);
    }
    EXPECT_EQ(jobs, (std::vector<std::vector<std::string>>{
                        {"page 1", "page 2", "page 3"}, {}, {"page 2", "page 3"}}));
}

TEST_F(SettingsPaneTest, ARunningItemsSettingsAreCovered) {
    auto script = std::make_shared<HeldScript>();
    script->holdAtPage = 2;
    ScopedExporterChoice held{{[](const std::string& key) { return key == "txt"; },
                               [script] {
                                   return std::make_unique<HeldExporter>(script);
                               }}};
    auto item = addAndSelect("busy.pdf", 3);
    chooseFormat("UTF-8 Plain Text(.txt)");
    clickConvert();
    ASSERT_TRUE(waitFor([&] { return script->isHeld(); }));
    EXPECT_TRUE(pane().coverView()->isVisible());
    chooseFormat("Rich Text File(.rtf)");
    EXPECT_EQ(item->settings_outputFormat(), "UTF-8 Plain Text(.txt)");
    EXPECT_EQ(pane().pub_outputFormat()->currentText(), "UTF-8 Plain Text(.txt)");
    shoot(app->rightView(), "settings-pane-converting.png");
    script->release();
    ASSERT_TRUE(waitForBatchEnd());
    EXPECT_FALSE(pane().coverView()->isVisible());
    chooseFormat("Rich Text File(.rtf)");
    EXPECT_EQ(item->settings_outputFormat(), "Rich Text File(.rtf)");
}

TEST_F(SettingsPaneTest, AStoredFormatTheMenuLacksIsRepaired) {
    store->setString(Setting_Key_Docuvane_OutputFormat, "Portable Document(.pdf)");
    app.reset();
    launch();
    EXPECT_EQ(pane().pub_outputFormat()->currentText(), "Microsoft Word(.docx)");
    EXPECT_EQ(store->stringForKey(Setting_Key_Docuvane_OutputFormat), "Microsoft Word(.docx)");
}

TEST_F(SettingsPaneTest, ScreenshotOfThePane) {
    auto item = addAndSelect("Annual statement.pdf", 4);
    pane().mtx_ouputPageRange()->button(1)->click();
    pane().tf_ouputPageRange()->setText("1-3,5");
    ASSERT_TRUE(waitFor([&] {
        return KXThumbnails::shared().thumbnail(QString::fromStdString(item->sourcePath()),
                                                QSize(400, 220) * pane().devicePixelRatioF()).has_value();
    }));
    QTest::qWait(50);
    shoot(app->rightView(), "settings-pane.png");
}

TEST(PreferencesWindow, TheThreeKeys) {
    QTemporaryDir folder;
    KXQSettingsStore store(folder.filePath("preferences.ini"));
    KXSettingsStore::setStandardUserDefaults(&store);
    KXPreferences preferences;
    EXPECT_TRUE(store.boolForKey(KXDocuvaneSettings_OpenFileAfterConversion));
    EXPECT_TRUE(store.boolForKey(KXDocuvaneSettings_ParserPDFAnnotsAction));
    EXPECT_EQ(store.integerForKey(KXDocuvaneSettings_ImageDPI), 144);
    {
        KXPreferencesWindowController window(preferences);
        EXPECT_EQ(window.seg_image_dpi()->selectedSegment(), 5);
        window.btn_openFileAfterConversion()->click();
        window.btn_parserPDFAnnots()->click();
        window.seg_image_dpi()->setSelectedSegment(9);
        emit window.seg_image_dpi()->segmentChosen(9);
        EXPECT_FALSE(store.boolForKey(KXDocuvaneSettings_OpenFileAfterConversion));
        EXPECT_FALSE(store.boolForKey(KXDocuvaneSettings_ParserPDFAnnotsAction));
        EXPECT_EQ(store.integerForKey(KXDocuvaneSettings_ImageDPI), 1200);
        window.seg_image_dpi()->setSelectedSegment(0);
        emit window.seg_image_dpi()->segmentChosen(0);
        EXPECT_EQ(store.integerForKey(KXDocuvaneSettings_ImageDPI), 36);
        // The command shows the window, then closes it.
        window.showWindow();
        EXPECT_TRUE(window.isVisible());
        const QString path = screenshotFolder() + "/preferences.png";
        QTest::qWait(100);
        EXPECT_TRUE(window.grab().save(path));
        window.showWindow();
        EXPECT_FALSE(window.isVisible());
        window.showWindow();
        EXPECT_TRUE(window.visible());
        window.close();
        EXPECT_FALSE(window.visible());
    }
    // A stored resolution beyond the table is brought into it when the window loads, not stored.
    store.setInteger(KXDocuvaneSettings_ImageDPI, 2000);
    KXPreferences later;
    EXPECT_EQ(later.imageDPI(), 2000);
    KXPreferencesWindowController window(later);
    EXPECT_EQ(later.imageDPI(), 1200);
    EXPECT_EQ(window.seg_image_dpi()->selectedSegment(), 9);
    EXPECT_EQ(store.integerForKey(KXDocuvaneSettings_ImageDPI), 2000);
    KXSettingsStore::setStandardUserDefaults(nullptr);
}

// The General item hides the views, the window takes the view's size in an animation of 0.15 s,
// keeping its top edge and its horizontal centre, and the view shows when the animation ends.
TEST(PreferencesWindow, TheGeneralItemShowsItsViewOnceTheWindowHasItsSize) {
    QTemporaryDir folder;
    KXQSettingsStore store(folder.filePath("preferences.ini"));
    KXSettingsStore::setStandardUserDefaults(&store);
    KXPreferences preferences;
    {
        KXPreferencesWindowController window(preferences);
        window.showWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(200, 150, 760, 520);
        QTest::qWait(50);
        const QRect before = window.geometry();
        QWidget* view = window.preView_General();
        window.toolbarItemGeneralAction();
        EXPECT_FALSE(view->isVisible());
        QPropertyAnimation* animation = window.showViewAnimation();
        ASSERT_NE(animation, nullptr);
        EXPECT_EQ(animation->state(), QAbstractAnimation::Running);
        EXPECT_EQ(animation->duration(), 150);
        EXPECT_EQ(animation->propertyName(), "geometry");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.showViewAnimation(); }, 5000));
        EXPECT_TRUE(view->isVisible());
        const QRect after = window.geometry();
        EXPECT_EQ(after.top(), before.top());
        EXPECT_LE(std::abs(after.center().x() - before.center().x()), 1);
        EXPECT_LT(after.height(), before.height());
        EXPECT_EQ(view->height(), view->sizeHint().expandedTo(view->minimumSizeHint()).height());
        window.close();
    }
    KXSettingsStore::setStandardUserDefaults(nullptr);
}

}  // namespace
