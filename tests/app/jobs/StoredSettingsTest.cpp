// Typed reads of the settings store with their defaults, the output folder kept under its key, the
// unique output path, the image tables' segment rules and the preferences' values.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <thread>

#include "JobsFixture.h"
#include "app/jobs/KXCUtilities.h"
#include "app/jobs/KXImageTables.h"
#include "app/jobs/KXPreferences.h"
#include "app/jobs/KXSandBoxUtilities.h"
#include "app/jobs/KXSystemInformation.h"

using namespace kx;
using namespace kx::test;

namespace {

class StoredSettingsTest : public JobsTest {};

TEST_F(StoredSettingsTest, AReadOfAnAbsentKeyStoresItsDefault) {
    store.removeObjectForKey(KXDefaulExportDirectory_SandBox);
    EXPECT_FALSE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_enableShapToImage, false));
    EXPECT_EQ(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Image_ImageDPI, 144), 144);
    EXPECT_FLOAT_EQ(KXCUtilities::floatValueForKey(Setting_Key_Docuvane_Image_ImageQuality, 0.92f), 0.92f);
    EXPECT_EQ(KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat, std::string("Microsoft Word(.docx)")),
              "Microsoft Word(.docx)");
    // A string read without a default leaves the key absent.
    EXPECT_EQ(KXCUtilities::stringValueForKey("no-such-key", std::nullopt), std::nullopt);

    using V = KXMemorySettingsStore::Value;
    const std::map<std::string, V> expected = {
        {Setting_Key_Docuvane_Word_enableShapToImage, V(false)},
        {Setting_Key_Docuvane_Image_ImageDPI, V(std::int64_t(144))},
        {Setting_Key_Docuvane_Image_ImageQuality, V(0.92f)},
        {Setting_Key_Docuvane_OutputFormat, V(std::string("Microsoft Word(.docx)"))},
    };
    EXPECT_EQ(store.values(), expected);
    EXPECT_EQ(store.synchronizeCount(), 4);
}

TEST_F(StoredSettingsTest, AStoredValueWinsOverTheDefault) {
    store.setBool(Setting_Key_Docuvane_Word_isMergeParagraphs, false);
    store.setInteger(Setting_Key_Docuvane_Image_ImageDPI, 300);
    store.setFloat(Setting_Key_Docuvane_Image_ImageQuality, 0.3f);
    store.setString(Setting_Key_Docuvane_OutputFormat, "Rich Text File(.rtf)");
    // Values kept as text (as a settings file gives them back) read as their type.
    store.setString(Setting_Key_Docuvane_Excel_IsAiosAddToRow, "false");
    store.setString(Setting_Key_Docuvane_Excel_FormatStyle, "2");
    store.setString(Setting_Key_Docuvane_Excel_IsEachPageSheet, "true");
    EXPECT_FALSE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_isMergeParagraphs, true));
    EXPECT_EQ(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Image_ImageDPI, 144), 300);
    EXPECT_FLOAT_EQ(KXCUtilities::floatValueForKey(Setting_Key_Docuvane_Image_ImageQuality, 0.92f), 0.3f);
    EXPECT_EQ(KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat, std::nullopt), "Rich Text File(.rtf)");
    EXPECT_FALSE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Excel_IsAiosAddToRow, true));
    EXPECT_EQ(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Excel_FormatStyle, 0), 2);
    EXPECT_TRUE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Excel_IsEachPageSheet, false));
    EXPECT_EQ(store.synchronizeCount(), 0);
}

// A German number format in the process locale does not change how stored text reads back.
TEST_F(StoredSettingsTest, StoredTextReadsTheSameUnderAnyLocale) {
    ScopedLocale german("de_DE.UTF-8");
    if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    store.setString(Setting_Key_Docuvane_Image_ImageQuality, "0.83");
    EXPECT_FLOAT_EQ(KXCUtilities::floatValueForKey(Setting_Key_Docuvane_Image_ImageQuality, 0.92f), 0.83f);
}

TEST_F(StoredSettingsTest, UniqueOutputPaths) {
    const std::string folder = freshFolder("unique");
    for (const char* name : {"report.docx", "report 2.docx", "notes", "archive.tar.gz"})
        writeFile(pathJoin(folder, name), "x");
    createDirectories(pathJoin(folder, "pictures.jpeg"));
    struct Case {
        const char* name;
        const char* expected;
    } cases[] = {
        {"free.docx", "free.docx"},
        {"report.docx", "report 3.docx"},    // report.docx and report 2.docx are taken
        {"notes", "notes 2"},                // no extension
        {"archive.tar.gz", "archive.tar 2.gz"},
        {"pictures.jpeg", "pictures 2.jpeg"},  // a folder takes the name too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KXCUtilities::getNewPathby(pathJoin(folder, c.name)), pathJoin(folder, c.expected));
        // Claiming picks the same name and makes it taken: an empty file, or an empty folder.
        for (bool asFolder : {false, true}) {
            const std::string claimed = KXCUtilities::reserveNewPathBy(pathJoin(folder, c.name), asFolder).value_or("");
            EXPECT_EQ(claimed, pathJoin(folder, c.expected));
            EXPECT_EQ(fileKind(claimed), asFolder ? FileKind::Folder : FileKind::RegularFile);
            EXPECT_EQ(asFolder ? listDirectory(claimed).size() : fileSize(claimed).value_or(1), 0u);
            removeAll(claimed);
        }
    }
    EXPECT_EQ(*readFile(pathJoin(folder, "report.docx")), "x") << "the files that were there are left alone";
}

// Jobs of several windows or programs claiming names in one folder at once never get the same name,
// and none of them takes a name a file already has.
TEST_F(StoredSettingsTest, ClaimsMadeAtOnceGetDistinctNames) {
    const std::string folder = freshFolder("claims");
    writeFile(pathJoin(folder, "report 3.docx"), "someone else's");
    constexpr int kThreads = 8, kEach = 12;
    std::vector<std::vector<std::string>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                got[t].push_back(KXCUtilities::reserveNewPathBy(pathJoin(folder, "report.docx"), t % 2 == 1).value_or(""));
        });
    for (std::thread& thread : threads) thread.join();
    std::set<std::string> names;
    for (const auto& list : got)
        for (const std::string& path : list) {
            EXPECT_NE(path, "");
            EXPECT_NE(path, pathJoin(folder, "report 3.docx"));
            names.insert(path);
        }
    EXPECT_EQ(names.size(), size_t(kThreads * kEach)) << "a name was handed out twice";
    EXPECT_EQ(listDirectory(folder).size(), size_t(kThreads * kEach + 1));
    EXPECT_EQ(*readFile(pathJoin(folder, "report 3.docx")), "someone else's");
}

// A folder that takes no new entry is no lack of names: the reason comes back.
TEST_F(StoredSettingsTest, AClaimThatCannotBeMadeSaysWhy) {
    std::string whyNot;
    EXPECT_EQ(KXCUtilities::reserveNewPathBy(pathJoin(outputFolder, "gone/report.docx"), false, &whyNot), std::nullopt);
    EXPECT_EQ(whyNot, "no such file");
    const std::string folder = freshFolder("full");
    writeFile(pathJoin(folder, "a.txt"), "x");
    writeFile(pathJoin(folder, "a 2.txt"), "x");
    EXPECT_EQ(KXCUtilities::reserveNewPathBy(pathJoin(folder, "a.txt"), false, &whyNot, 2), std::nullopt);
    EXPECT_EQ(whyNot, "") << "every name was taken";
}

// The search gives up with no answer instead of handing back a name that may be taken.
TEST_F(StoredSettingsTest, UniquePathSearchStopsAtItsLimit) {
    const std::string folder = freshFolder("crowded");
    writeFile(pathJoin(folder, "a.txt"), "x");
    for (int n = 2; n <= 5; ++n) writeFile(pathJoin(folder, "a " + std::to_string(n) + ".txt"), "x");
    EXPECT_EQ(KXCUtilities::getNewPathby(pathJoin(folder, "a.txt"), 5), std::nullopt);
    EXPECT_EQ(KXCUtilities::getNewPathby(pathJoin(folder, "a.txt"), 6), pathJoin(folder, "a 6.txt"));
}

TEST_F(StoredSettingsTest, TheOutputFolderIsAPathThatMustStillExist) {
    const std::string chosen = freshFolder("chosen");
    EXPECT_TRUE(KXSandBoxUtilities::SaveUserSelectedOutputURLBookmark(chosen));
    EXPECT_EQ(KXSandBoxUtilities::UserSelectedOutputURLBookmark(), chosen);
    EXPECT_TRUE(KXSandBoxUtilities::isReadAndWritableUserSelectedOutputURLBookmark());
    EXPECT_TRUE(KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmark());

    // An empty choice stores nothing: the previous folder stays.
    EXPECT_FALSE(KXSandBoxUtilities::SaveUserSelectedOutputURLBookmark(""));
    EXPECT_EQ(KXSandBoxUtilities::UserSelectedOutputURLBookmark(), chosen);

    // A folder removed since it was chosen no longer resolves.
    removeAll(chosen);
    EXPECT_EQ(KXSandBoxUtilities::UserSelectedOutputURLBookmark(), std::nullopt);
    EXPECT_FALSE(KXSandBoxUtilities::isReadAndWritableUserSelectedOutputURLBookmark());
    store.removeObjectForKey(KXDefaulExportDirectory_SandBox);
    EXPECT_EQ(KXSandBoxUtilities::UserSelectedOutputURLBookmark(), std::nullopt);
}

TEST_F(StoredSettingsTest, TheDefaultOutputFolderIsTheDownloadsFolder) {
    const std::string config = freshFolder("xdg-config");
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = previous ? previous : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(KXSandBoxUtilities::defaultOutputDirectory(), pathJoin(homeDirectory(), "Downloads"));
    writeFile(pathJoin(config, "user-dirs.dirs"), "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n");
    EXPECT_EQ(KXSandBoxUtilities::defaultOutputDirectory(), homeDirectory() + "/Fetched");
    if (previous) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}

TEST(ImageTables, SegmentForAStoredValue) {
    struct DPICase {
        std::int64_t dpi;
        int segment;
    } dpis[] = {{100, 5}, {20, 0}, {36, 0}, {144, 5}, {300, 7}, {1200, 9}, {5000, 9}, {250, 5}, {-3, 0}};
    for (const DPICase& c : dpis) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(KXImageTables::selectedSegmentFor_ImageDPI(c.dpi), c.segment);
    }
    struct QualityCase {
        double quality;
        int segment;
    } qualities[] = {{0.95, 3}, {0.875, 2}, {0.05, 3}, {0.3, 0}, {1.0, 4}, {7.0, 4}, {0.7, 3}, {std::nan(""), 3}};
    for (const QualityCase& c : qualities) {
        SCOPED_TRACE(c.quality);
        EXPECT_EQ(KXImageTables::selectedSegmentFor_ImageQuality(c.quality), c.segment);
    }
}

TEST(ImageTables, ValueForASegment) {
    EXPECT_EQ(KXImageTables::imageDPIForSegment(0), 36);
    EXPECT_EQ(KXImageTables::imageDPIForSegment(9), 1200);
    EXPECT_EQ(KXImageTables::imageDPIForSegment(10), 144);
    EXPECT_EQ(KXImageTables::imageDPIForSegment(-1), 144);
    EXPECT_EQ(KXImageTables::imageQualityForSegment(3), 0.9200000166893005);
    EXPECT_EQ(KXImageTables::imageQualityForSegment(5), 0.9200000166893005);
    EXPECT_EQ(KXImageTables::imageQualityForSegment(0), double(0.3f));
}

class PreferencesTest : public JobsTest {};

TEST_F(PreferencesTest, AFreshStoreGetsTheThreeDefaults) {
    KXPreferences preferences;
    EXPECT_TRUE(preferences.openFileAfterConversion());
    EXPECT_TRUE(preferences.parserPDFAnnots());
    EXPECT_EQ(preferences.imageDPI(), 144);
    EXPECT_TRUE(store.boolForKey(KXDocuvaneSettings_OpenFileAfterConversion));
    EXPECT_TRUE(store.boolForKey(KXDocuvaneSettings_ParserPDFAnnotsAction));
    EXPECT_EQ(store.integerForKey(KXDocuvaneSettings_ImageDPI), 144);
}

TEST_F(PreferencesTest, ChangesAreStoredAndTheResolutionIsClampedOnlyForShowing) {
    store.setInteger(KXDocuvaneSettings_ImageDPI, 2000);
    KXPreferences preferences;
    EXPECT_EQ(preferences.imageDPI(), 2000);
    preferences.clampImageDPI();
    EXPECT_EQ(preferences.imageDPI(), 1200);
    EXPECT_EQ(store.integerForKey(KXDocuvaneSettings_ImageDPI), 2000);

    preferences.setOpenFileAfterConversion(false);
    preferences.setParserPDFAnnots(false);
    preferences.setImageDPI(36);
    KXPreferences reread;
    EXPECT_FALSE(reread.openFileAfterConversion());
    EXPECT_FALSE(reread.parserPDFAnnots());
    EXPECT_EQ(reread.imageDPI(), 36);
}

// The technical-support message's system version, from os-release, and machine model, from the
// firmware's model files.
TEST(SystemInformation, VersionAndModel) {
    struct VersionCase {
        const char* osRelease;
        const char* version;
    } versions[] = {
        {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\n", "12.0.0"},
        {"VERSION_ID=22.04\n", "22.4.0"},
        {"VERSION_ID='3.19.1'", "3.19.1"},
        {"ID=debian\nVERSION_ID=\"rolling\"\n", "0.0.0"},
        {"NAME=Debian\n", "0.0.0"},
        {"", "0.0.0"},
    };
    for (const VersionCase& c : versions) EXPECT_EQ(systemVersionFromOsRelease(c.osRelease), c.version) << c.osRelease;
    const std::string mustBeThree = KXSystemVersionString();
    EXPECT_EQ(std::count(mustBeThree.begin(), mustBeThree.end(), '.'), 2) << mustBeThree;

    const std::string named = writeTemp("product_name", "ThinkPad X1 Carbon\n");
    const std::string treeModel = writeTemp("model", std::string("Raspberry Pi 4 Model B\0", 23));
    const std::string blank = writeTemp("blank_name", "\n");
    const std::string empty = writeTemp("empty_name", "");
    const std::string missing = pathJoin(tempDir(), "no-such-model-file");
    struct ModelCase {
        const char* name;
        std::vector<std::string> files;
        const char* model;
    } models[] = {
        {"the first file", {named, treeModel}, "ThinkPad X1 Carbon"},
        {"a model ending at a NUL", {missing, treeModel}, "Raspberry Pi 4 Model B"},
        {"an empty model", {blank, named}, ""},
        {"a file of no bytes is no model", {empty, named}, "ThinkPad X1 Carbon"},
        {"no file", {missing}, "Unknow device"},
        {"nothing to read", {}, "Unknow device"},
    };
    for (const ModelCase& c : models) EXPECT_EQ(hardwareModelFromFiles(c.files), c.model) << c.name;
}

}  // namespace
