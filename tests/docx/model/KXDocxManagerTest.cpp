// The DOCX conversion state: the options before any conversion, Word's line factors looked up by
// font name, implausible factors, and the table made from the installed fonts at build time.

#include <gtest/gtest.h>

#include "docx/model/KXDocxManager.h"
#include "platform/FontCatalog.h"

TEST(KXDocxManager, LooksUpWordLineFactorsByName) {
    KXDocxManager& manager = KXDocxManager::sharedInstance();
    auto saved = manager.wordInfoDictionary();
    manager.setWordInfoDictionary(KXDocxManager::WordInfoDictionary{
        {"helvetica", {1.15f, 0.98f}},
        {"times bold regular", {1.2f, 0.95f}},
        {"tall", {2.0f, 0.5f}},
        {"too tall", {2.5f, 0.9f}},
        {"too short", {0.3f, 0.9f}},
        {"no ascent", {1.1f, 0}},
        {"courier", {1.13f, 0.97f}},
    });
    struct Case {
        const char* name;
        double height, ascent;
    };
    const Case cases[] = {
        {"Helvetica", 1.15f, 0.98f},         // any case
        {"Times Bold", 1.2f, 0.95f},         // "%@ regular"
        {"Courier Regular", 1.13f, 0.97f},   // " regular" taken out
        {"Tall", 2.0f, 0.5f},                // both bounds allowed
        {"Too Tall", 0, 0.9f},
        {"Too Short", 0, 0.9f},
        {"No Ascent", 1.1f, 0},
        {"Unknown", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(KXDocxManager::WordLineHeight(c.name), c.height);
        EXPECT_DOUBLE_EQ(KXDocxManager::WordLineAscentFactor(c.name), c.ascent);
    }
    manager.setWordInfoDictionary(std::nullopt);
    EXPECT_EQ(KXDocxManager::WordLineHeight("Helvetica"), 0) << "no table: nothing known";
    manager.setWordInfoDictionary(saved);
}

TEST(KXDocxManager, HoldsDefaultOptionsUntilAConversionSetsThem) {
    KXDocxManager::destory();
    EXPECT_EQ(KXDocxManager::sharedInstance().moreOptions().imageDPI(), KXPDFOptions().imageDPI());
    KXPDFOptions options;
    options.setImageDPI(300);
    KXDocxManager::sharedInstance().setMoreOptions(options);
    EXPECT_EQ(KXDocxManager::sharedInstance().moreOptions().imageDPI(), 300);
    KXDocxManager::destory();
    EXPECT_EQ(KXDocxManager::sharedInstance().moreOptions().imageDPI(), KXPDFOptions().imageDPI());
}

TEST(KXDocxManager, TheTableMadeFromTheInstalledFonts) {
    ASSERT_TRUE(KXDocxManager::PathForWordLineHeightResources()) << "the build makes word-line-height.plist";
    ASSERT_TRUE(KXDocxManager::sharedInstance().wordInfoDictionary());
    if (!kx::FontCatalog::findFont("LiberationSerif")) GTEST_SKIP() << "Liberation Serif is not installed";
    // Metric-compatible with Times New Roman, whose single line Word makes 1.15 of the size.
    for (const char* name : {"Liberation Serif", "LiberationSerif", "liberation serif regular"}) {
        SCOPED_TRACE(name);
        EXPECT_NEAR(KXDocxManager::WordLineHeight(name), 1.15, 0.005);
        double ascent = KXDocxManager::WordLineAscentFactor(name);
        EXPECT_GT(ascent, 0.85);
        EXPECT_LT(ascent, 1.0);
    }
}
