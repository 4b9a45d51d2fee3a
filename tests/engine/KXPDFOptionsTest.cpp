// Option objects: defaults, and the setters that clamp.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/KXPDFOptions.h"

TEST(KXPDFOptions, Defaults) {
    KXPDFOptions o;
    EXPECT_EQ(o.imageDPI(), 144);
    EXPECT_EQ(o.isParserAnnots(), 1);

    const KXWordOptions& w = o.wordOptions();
    EXPECT_TRUE(w.isTrimmingBlankSpaceCharacters());
    EXPECT_TRUE(w.isMergeParagraphs());
    EXPECT_TRUE(w.isNeedReplaceFont());
    EXPECT_TRUE(w.enablePDFOutline_LikeDetect());
    EXPECT_FALSE(w.enableShapToImage());
    EXPECT_TRUE(w.enableShaps2Shape());
    EXPECT_TRUE(w.enableMergeIntersectImages());
    EXPECT_EQ(w.outlineType(), 1);

    const KXImageOptions& i = o.imageOptions();
    EXPECT_EQ(i.dpi(), 144);
    EXPECT_EQ(i.quality(), 0.9200000166893005);  // the single-precision 0.92, widened
    EXPECT_EQ(i.imageName(), "IMG");
}

TEST(KXPDFOptions, SettersClampToTheirRanges) {
    struct IntCase {
        std::int64_t in, imageDPI, dpi;
    } ints[] = {
        {0, 72, 12}, {-5, 72, 12}, {1, 72, 12}, {71, 72, 71}, {72, 72, 72}, {300, 300, 300},
        {600, 600, 600}, {601, 600, 601}, {2400, 600, 2400}, {5000, 600, 2400},
    };
    for (const IntCase& c : ints) {
        SCOPED_TRACE(c.in);
        KXPDFOptions o;
        o.setImageDPI(static_cast<std::int32_t>(c.in));
        EXPECT_EQ(o.imageDPI(), c.imageDPI);
        KXImageOptions i;
        i.setDpi(c.in);
        EXPECT_EQ(i.dpi(), c.dpi);
    }
    KXImageOptions limits;
    limits.setDpi(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(limits.dpi(), 12);

    struct QualityCase {
        double in, stored;
    } qualities[] = {{0, 0.1}, {-1, 0.1}, {0.05, 0.1}, {0.5, 0.5}, {1.0, 1.0}, {2.5, 1.0},
                     {std::numeric_limits<double>::quiet_NaN(), 1.0}};
    for (const QualityCase& c : qualities) {
        SCOPED_TRACE(c.in);
        KXImageOptions i;
        i.setQuality(c.in);
        EXPECT_EQ(i.quality(), c.stored);
    }
}

TEST(KXPDFOptions, FamilyOptionsAreTheHoldersOwn) {
    KXPDFOptions o;
    o.imageOptions().setImageName("page");
    o.wordOptions().setOutlineType(3);
    KXImageOptions replaced;
    replaced.setDpi(300);
    o.setImageOptions(replaced);
    EXPECT_EQ(o.imageOptions().dpi(), 300);
    EXPECT_EQ(o.imageOptions().imageName(), "IMG");
    EXPECT_EQ(o.wordOptions().outlineType(), 3);
}
