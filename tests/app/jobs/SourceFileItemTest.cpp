// Source items: their defaults from the settings store, the output key, page lists from ranges, the
// unique output path, the row texts and the status word.

#include "JobsFixture.h"
#include "app/jobs/KXSandBoxUtilities.h"
#include "app/jobs/KXSourceFileItem.h"

using namespace kx;
using namespace kx::test;

namespace {

using Pages = std::vector<std::uint64_t>;

const std::string& tenPages() {
    static const std::string path = pdfOfPages(10, "report.pdf");
    return path;
}

class SourceFileItemTest : public JobsTest {
protected:
    std::shared_ptr<KXSourceFileItem> item(const std::string& path = tenPages()) {
        auto made = KXSourceFileItem::initWithPath(path);
        EXPECT_TRUE(made);
        return made;
    }
};

TEST_F(SourceFileItemTest, NewItemsTakeTheStoredSettings) {
    auto fresh = item();
    EXPECT_EQ(fresh->settings_outputFormat(), "Microsoft Word(.docx)");
    EXPECT_EQ(fresh->settings_outputFormat_imageType(), "JPEG Image File(.jpeg)");
    EXPECT_EQ(fresh->settings_pageRangeType(), 0);
    EXPECT_EQ(fresh->settings_customPageRange(), "All Pages");
    EXPECT_EQ(fresh->conversionOptions(), "All Pages, DOCX, Ready!");
    EXPECT_TRUE(fresh->convertOpts().wordOptions().isMergeParagraphs());
    EXPECT_FALSE(fresh->convertOpts().wordOptions().enableShapToImage());
    EXPECT_EQ(fresh->convertOpts().imageOptions().dpi(), 144);
    EXPECT_EQ(fresh->convertOpts().imageOptions().quality(), double(0.92f));
    EXPECT_TRUE(fresh->convertOpts().excelOptions().aiosAddToRow());

    store.setBool(Setting_Key_Docuvane_Word_isMergeParagraphs, false);
    store.setBool(Setting_Key_Docuvane_Word_enableShapToImage, true);
    store.setInteger(Setting_Key_Docuvane_Excel_FormatStyle, 2);
    store.setInteger(Setting_Key_Docuvane_Excel_ThousandSepartor, 1);
    store.setInteger(Setting_Key_Docuvane_Excel_OverlapText, 2);
    store.setBool(Setting_Key_Docuvane_Excel_IsEachPageSheet, true);
    store.setBool(Setting_Key_Docuvane_Excel_IsAiosAddToRow, false);
    store.setInteger(Setting_Key_Docuvane_Image_ImageDPI, 5000);  // the image options clamp it
    store.setFloat(Setting_Key_Docuvane_Image_ImageQuality, 0.3f);
    auto later = item();
    const KXPDFOptions& o = later->convertOpts();
    EXPECT_FALSE(o.wordOptions().isMergeParagraphs());
    EXPECT_TRUE(o.wordOptions().enableShapToImage());
    EXPECT_EQ(o.excelOptions().excelFormatOption(), 2);
    EXPECT_EQ(o.excelOptions().thousandSepartor(), 1);
    EXPECT_EQ(o.excelOptions().overlapText(), 2);
    EXPECT_TRUE(o.excelOptions().allInOneSheet());
    EXPECT_FALSE(o.excelOptions().aiosAddToRow());
    EXPECT_EQ(o.imageOptions().dpi(), 2400);
    EXPECT_EQ(o.imageOptions().quality(), double(0.3f));
}

TEST_F(SourceFileItemTest, TheLastFormatChosenIsTheNextItemsFormat) {
    auto first = item();
    first->setSettings_outputFormat("Web Source File(.html)");
    first->setSettings_outputFormat_imageType("PNG Image File(.png)");
    auto second = item();
    EXPECT_EQ(second->settings_outputFormat(), "Web Source File(.html)");
    EXPECT_EQ(second->settings_outputFormat_imageType(), "PNG Image File(.png)");
}

TEST_F(SourceFileItemTest, OutputKeyAndIcon) {
    struct Case {
        const char* format;
        const char* imageType;
        const char* key;
        const char* icon;
    } cases[] = {
        {"Microsoft Word(.docx)", "PNG Image File(.png)", "docx", "icon_docx"},
        {"Comma-Separated Values(.csv)", "PNG Image File(.png)", "csv", "icon_csv"},
        {"Image Files(JPEG, PNG, etc.)", "PNG Image File(.png)", "png", "icon_png"},
        {"Image Files(JPEG, PNG, etc.)", "JPEG2000 Image File(.jp2)", "jp2", "icon_j2k"},
        {"Image Files(JPEG, PNG, etc.)", "Image Files(JPEG, PNG, etc.)", "docx", "icon_image"},
        {"Image Files(JPEG, PNG, etc.)", "nonsense", "docx", ""},
        {"Portable Document", "PNG Image File(.png)", "docx", ""},
    };
    auto it = item();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " / " + c.imageType);
        it->setSettings_outputFormat(c.format);
        it->setSettings_outputFormat_imageType(c.imageType);
        EXPECT_EQ(it->outputFileFormat(), c.key);
        EXPECT_EQ(it->outputFileIcon(), c.icon);
    }
}

TEST_F(SourceFileItemTest, PageListsFromTheRangeType) {
    struct Case {
        std::int64_t type;
        const char* text;
        Pages expected;
    } cases[] = {
        {0, "2-3", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {1, "All Pages", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {1, "", {1}},
        {1, "1-3,5", {1, 2, 3, 5}},
        {1, "2-4,1", {2, 3, 4, 1}},
        {1, "4-2", {4, 3, 2}},
        {1, "0-3", {1, 2, 3}},
        {1, "8-12", {8, 9, 10}},
        {1, "-3", {1, 2, 3}},
        {1, "3-", {3, 2, 1}},
        {1, "3,1,3", {3, 1, 3}},
        {1, "1-2-3", {}},
        {1, "abc", {}},
        {1, "2, 7 , x9", {2, 7}},
        {2, "1", {}},
    };
    auto it = item();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " \"" + c.text + "\"");
        it->setSettings_pageRangeType(c.type);
        it->setSettings_customPageRange(c.text);
        EXPECT_EQ(it->outputPDFPageIndexs(), c.expected);
    }
}

TEST_F(SourceFileItemTest, AnUnreadablePDFHasNoPagesAndIsAskedAgain) {
    const std::string broken = writeTemp("later.pdf", "not yet a PDF");
    auto it = item(broken);
    EXPECT_EQ(it->sourcePages(), 0);
    EXPECT_EQ(it->outputPDFPageIndexs(), (Pages{}));
    EXPECT_EQ(it->sourceFileIcon(), "icon_pdf_pw");
    PDFBuilder b;
    b.addPage("");
    b.addPage("");
    writeFile(broken, b.build());
    EXPECT_EQ(it->sourcePages(), 2);
    EXPECT_EQ(it->sourceFileIcon(), "icon_pdf");
}

TEST_F(SourceFileItemTest, ALockedPDFCountsItsPagesWithThePasswordItWasAddedWith) {
    PDFBuilder b;
    for (int i = 0; i < 3; ++i) b.addPage("");
    const std::string locked = writeTemp("locked.pdf", encryptPDF(b.build(), "user", "owner"));
    auto it = item(locked);
    EXPECT_EQ(it->sourceFileIcon(), "icon_pdf_pw");
    it->setSourcePassword("user");
    EXPECT_EQ(it->sourcePages(), 3);
    EXPECT_EQ(it->sourceInfo().substr(0, 8), "3 Pages,");
}

TEST_F(SourceFileItemTest, OutputPathsAreNumberedInTheChosenFolder) {
    auto it = item();
    EXPECT_EQ(it->newOutputPath(), pathJoin(outputFolder, "report.docx"));
    EXPECT_EQ(it->outputPath(), pathJoin(outputFolder, "report.docx"));
    writeFile(it->outputPath(), "done");
    EXPECT_EQ(it->newOutputPath(), pathJoin(outputFolder, "report 2.docx"));
    it->setSettings_outputFormat("Image Files(JPEG, PNG, etc.)");
    it->setSettings_outputFormat_imageType("PNG Image File(.png)");
    EXPECT_EQ(it->newOutputPath(), pathJoin(outputFolder, "report.png"));
}

TEST_F(SourceFileItemTest, WithoutAUsableChosenFolderOutputGoesToDownloads) {
    store.setString(KXDefaulExportDirectory_SandBox, pathJoin(outputFolder, "gone"));
    auto it = item();
    auto path = it->newOutputPath();
    ASSERT_TRUE(path);
    EXPECT_EQ(pathDirectory(*path), KXSandBoxUtilities::defaultOutputDirectory());
}

// The status reads Success only for a run that ended without an error, converted every page and left
// its file; a run with failed pages reads Failed though its file can be opened. The failure's
// description says why. The output icon is enabled whenever a file stands at the output path,
// whatever the run made of it: while the job runs (its claim), and after an error that left a file.
TEST_F(SourceFileItemTest, TheStatusWordFollowsTheLastRun) {
    const KXError cancelled{"org.docuvane.KXDocuvane", 406, "Conversion has been canceled."};
    KXError unwritable{"org.docuvane.KXDocuvaneManager", 2, "Can't write the output file.(x.docx)"};
    unwritable.underlyingReason = "permission denied";
    using Pages = std::vector<std::uint64_t>;
    struct Case {
        const char* name;
        bool hasOutputPath;
        bool fileExists;
        bool running;
        std::optional<KXError> error;
        Pages failedPages;  // of 8 asked for
        const char* status;
        bool iconEnabled, hasOutput, succeeded;
        const char* description;
    } cases[] = {
        {"not run", false, false, false, std::nullopt, {}, "Ready", false, false, false, ""},
        {"running", true, true, true, std::nullopt, {}, "Ready", true, false, false, ""},
        {"succeeded", true, true, false, std::nullopt, {}, "Success", true, true, true, ""},
        {"file missing", true, false, false, std::nullopt, {}, "Failed", false, false, false,
         "The output file is missing."},
        {"error with a file left", true, true, false, cancelled, {}, "Failed", true, false, false,
         "Conversion has been canceled."},
        {"error and its cause", true, false, false, unwritable, {}, "Failed", false, false, false,
         "Can't write the output file.(x.docx)\npermission denied"},
        {"one page failed", true, true, false, std::nullopt, {3}, "Failed", true, true, false,
         "1 of 8 pages could not be converted: 3.\nCan't read the PDF Page.(3)"},
        {"pages failed", true, true, false, std::nullopt, {2, 4, 5, 8}, "Failed", true, true, false,
         "4 of 8 pages could not be converted: 2, 4-5, 8.\nCan't read the PDF Page.(2)\nCan't read the PDF Page.(4)\n"
         "Can't read the PDF Page.(5)\nCan't read the PDF Page.(8)"},
        {"seven of eight pages failed", true, true, false, std::nullopt, {2, 3, 4, 5, 6, 7, 8}, "Failed", true, true,
         false,
         "7 of 8 pages could not be converted: 2-8.\nCan't read the PDF Page.(2)\nCan't read the PDF Page.(3)\n"
         "Can't read the PDF Page.(4)\nCan't read the PDF Page.(5)\nCan't read the PDF Page.(6)\n…"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto it = item();
        const std::string output = pathJoin(outputFolder, std::string(c.name) + ".docx");
        if (c.fileExists) writeFile(output, "x");
        if (c.hasOutputPath) it->setOutputPath(output);
        it->setConverting(c.running);
        it->setConversionError(c.error);
        it->startRunReport(8);
        for (std::uint64_t page : c.failedPages) it->addFailedPage(page, "Can't read the PDF Page.(" + std::to_string(page) + ")");
        EXPECT_EQ(it->conversionOptions(), std::string("All Pages, DOCX, ") + c.status + "!");
        EXPECT_EQ(it->outputFileIconEnable(), c.iconEnabled);
        EXPECT_EQ(it->hasConversionOutput(), c.hasOutput);
        EXPECT_EQ(it->isConversionSucceeded(), c.succeeded);
        EXPECT_EQ(it->conversionFailureDescription(), c.description);
    }
}

TEST_F(SourceFileItemTest, RowTexts) {
    auto it = item();
    it->setSettings_pageRangeType(1);
    it->setSettings_customPageRange("2-4");
    it->setSettings_outputFormat("Image Files(JPEG, PNG, etc.)");
    it->setSettings_outputFormat_imageType("TIFF Image File(.tiff)");
    EXPECT_EQ(it->conversionOptions(), "2-4, TIFF, Ready!");
    EXPECT_EQ(it->sourceInfo(), "10 Pages, " + it->fileSizeString());

    struct SizeCase {
        std::size_t bytes;
        const char* text;
    } sizes[] = {{0, "0.0 KB"}, {500, "0.0 KB"}, {12288, "12.0 KB"}, {1500000, "1.4 MB"}, {1048576, "1.0 MB"}};
    for (const SizeCase& c : sizes) {
        SCOPED_TRACE(c.bytes);
        const std::string path = writeTemp("size.bin", std::string(c.bytes, 'x'));
        EXPECT_EQ(item(path)->fileSizeString(), c.text);
    }
    auto vanished = item(writeTemp("vanished.pdf", "x"));
    removeFile(vanished->sourcePath());
    EXPECT_EQ(vanished->fileSizeString(), "0.0 KB");
}

TEST_F(SourceFileItemTest, ItemsOfAFileOrAFolder) {
    const std::string folder = freshFolder("mixed");
    writeFile(pathJoin(folder, "a.pdf"), *readFile(tenPages()));
    writeFile(pathJoin(folder, "notes.txt"), "text");
    writeFile(pathJoin(folder, ".hidden.pdf"), "x");
    createDirectories(pathJoin(folder, "inner"));
    writeFile(pathJoin(pathJoin(folder, "inner"), "deep.pdf"), "x");

    auto items = KXSourceFileItem::CreateSourceItemsOfFileOrDirectoryAtPath(folder);
    std::vector<std::string> names;
    for (const auto& i : items) names.push_back(pathFileName(i->sourcePath()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.pdf", "a.pdf", "notes.txt"}));

    EXPECT_EQ(KXSourceFileItem::CreateSourceItemsOfFileOrDirectoryAtPath(tenPages()).size(), 1u);
    EXPECT_TRUE(KXSourceFileItem::CreateSourceItemsOfFileOrDirectoryAtPath(pathJoin(folder, "none")).empty());
    EXPECT_EQ(KXSourceFileItem::initWithPath(pathJoin(folder, "none")), nullptr);
}

}  // namespace
