// The settings store on a temporary settings file: typed reads store their defaults, values of each
// type survive a reopened file, and the output folder is kept under its key.

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "app/gui/KXQSettingsStore.h"
#include "app/jobs/KXCUtilities.h"
#include "app/jobs/KXSandBoxUtilities.h"
#include "app/jobs/KXSettingsKeys.h"
#include "support/TestSupport.h"

namespace {

class QSettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString file() const { return folder.filePath("settings.ini"); }
    std::unique_ptr<KXQSettingsStore> store = std::make_unique<KXQSettingsStore>(file());

    void SetUp() override { KXSettingsStore::setStandardUserDefaults(store.get()); }
    void TearDown() override { KXSettingsStore::setStandardUserDefaults(nullptr); }

    // The store of a later run of the application, on the same file.
    void reopen() {
        KXSettingsStore::setStandardUserDefaults(nullptr);
        store = std::make_unique<KXQSettingsStore>(file());
        KXSettingsStore::setStandardUserDefaults(store.get());
    }
};

TEST_F(QSettingsStoreTest, TypedReadsStoreTheirDefaultsInTheFile) {
    EXPECT_FALSE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_enableShapToImage, false));
    EXPECT_TRUE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_isMergeParagraphs, true));
    EXPECT_EQ(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Image_ImageDPI, 144), 144);
    EXPECT_FLOAT_EQ(KXCUtilities::floatValueForKey(Setting_Key_Docuvane_Image_ImageQuality, 0.92f), 0.92f);
    EXPECT_EQ(KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat, std::string("Microsoft Word(.docx)")),
              "Microsoft Word(.docx)");
    EXPECT_EQ(KXCUtilities::stringValueForKey("absent", std::nullopt), std::nullopt);

    QSettings written(file(), QSettings::IniFormat);
    EXPECT_EQ(written.allKeys().size(), 5);
    EXPECT_FALSE(written.contains("absent"));
    for (const char* key : {Setting_Key_Docuvane_Word_enableShapToImage, Setting_Key_Docuvane_Word_isMergeParagraphs,
                            Setting_Key_Docuvane_Image_ImageDPI, Setting_Key_Docuvane_Image_ImageQuality,
                            Setting_Key_Docuvane_OutputFormat})
        EXPECT_TRUE(written.contains(key)) << key;
}

// Values written in one run read back as their type in the next, whatever the defaults say and
// whatever the locale's number format is.
TEST_F(QSettingsStoreTest, ValuesSurviveTheNextRun) {
    KXSettingsStore& s = *store;
    s.setBool(Setting_Key_Docuvane_Word_isMergeParagraphs, false);
    s.setBool(Setting_Key_Docuvane_Word_enableShapToImage, true);
    s.setInteger(Setting_Key_Docuvane_Image_ImageDPI, 600);
    s.setFloat(Setting_Key_Docuvane_Image_ImageQuality, 0.83f);
    s.setString(Setting_Key_Docuvane_OutputFormat, "Web Source File(.html)");
    ASSERT_TRUE(s.synchronize());
    reopen();
    kx::test::ScopedLocale german("de_DE.UTF-8");
    EXPECT_FALSE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_isMergeParagraphs, true));
    EXPECT_TRUE(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_enableShapToImage, false));
    EXPECT_EQ(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Image_ImageDPI, 144), 600);
    EXPECT_FLOAT_EQ(KXCUtilities::floatValueForKey(Setting_Key_Docuvane_Image_ImageQuality, 0.92f), 0.83f);
    EXPECT_EQ(KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat, std::nullopt), "Web Source File(.html)");

    store->removeObjectForKey(Setting_Key_Docuvane_Image_ImageDPI);
    EXPECT_FALSE(store->hasObjectForKey(Setting_Key_Docuvane_Image_ImageDPI));
}

TEST_F(QSettingsStoreTest, TheOutputFolderIsKeptAsAnAbsolutePath) {
    ASSERT_TRUE(KXSandBoxUtilities::SaveUserSelectedOutputURLBookmark(folder.path().toStdString()));
    reopen();
    EXPECT_EQ(KXSandBoxUtilities::UserSelectedOutputURLBookmark(), folder.path().toStdString());
    EXPECT_TRUE(KXSandBoxUtilities::isReadAndWritableUserSelectedOutputURLBookmark());
}

}  // namespace
