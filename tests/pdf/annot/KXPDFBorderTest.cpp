// Annotation borders: the /Border array, the /BS dictionary, dash arrays and the /BE effect.

#include <gtest/gtest.h>

#include "pdf/ObjectDoc.h"
#include "pdf/annot/KXPDFBorderArray.h"
#include "pdf/annot/KXPDFBorderBS.h"
#include "pdf/annot/KXPDFBorderEffect.h"

namespace {
kx::PDFObject objectFrom(const std::string& source) { return kx::test::ObjectDoc::parse(source); }
}  // namespace

namespace {

struct BorderCase {
    const char* source;
    double width;
    std::int64_t style;
    std::optional<std::vector<float>> dash;
};

void expectBorder(const KXPDFBorder& border, const BorderCase& c) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(border.lineWidth(), c.width);
    EXPECT_EQ(border.style(), c.style);
    EXPECT_EQ(border.dashPattern(), c.dash);
}

}  // namespace

TEST(KXPDFBorder, BorderArrayGivesWidthDashOrNoStroke) {
    const BorderCase cases[] = {
        {"[0 0 2]", 2, 0, std::nullopt},
        {"[0 0 1 [3 2]]", 1, 1, std::vector<float>{3, 2}},
        {"[0 0 1 []]", 1, 1, std::vector<float>{}},
        {"[0 0 1 [3 -2]]", 0, 0, std::nullopt},  // a negative length spoils the border
        {"[0 0 1 [3 /X]]", 0, 0, std::nullopt},  // so does a length that is no number
        {"[0 0 1 2]", 0, 0, std::nullopt},       // the fourth entry must be an array
        {"[0 0]", 0, 0, std::nullopt},
        {"[0 0 1 2 3]", 0, 0, std::nullopt},
        {"[0 0 /W]", 0, 0, std::nullopt},
        {"[0 0 1 [1 1 1 1 1 1 1 1 1 1 2 2]]", 1, 1, std::vector<float>(10, 1.0f)},  // ten lengths kept
    };
    for (const auto& c : cases) {
        KXPDFBorderArray border(objectFrom(c.source));
        expectBorder(border, c);
        EXPECT_EQ(border.type(), 0);
    }
    KXPDFBorderArray corners(objectFrom("[4 5.5 3]"));
    EXPECT_EQ(corners.horizontalCorner(), 4);
    EXPECT_EQ(corners.verticalCorner(), 5.5);
}

TEST(KXPDFBorder, BorderStyleDictionaryGivesWidthStyleAndDash) {
    const BorderCase cases[] = {
        {"<< /S /D >>", 0, 1, std::vector<float>{3}},
        {"<< /W 2 /S /D /D [4 1] >>", 2, 1, std::vector<float>{4, 1}},
        {"<< /W 2 /S /D /D [4 -1] >>", 2, 1, std::vector<float>{3}},  // unusable dash: the default one
        {"<< /W 1.5 /S /B /D [4 1] >>", 1.5, 2, std::nullopt},        // only a dashed style reads /D
        {"<< /S /I >>", 0, 3, std::nullopt},
        {"<< /S /U >>", 0, 4, std::nullopt},
        {"<< /W 3 /S /Q >>", 3, 0, std::nullopt},
        {"<< /W 3 >>", 3, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        KXPDFBorderBS border(objectFrom(c.source));
        expectBorder(border, c);
        EXPECT_EQ(border.type(), 1);
    }
    KXPDFBorderBS plain;
    expectBorder(plain, {"plain", 1, 0, std::nullopt});
    EXPECT_EQ(plain.type(), 0);
}

TEST(KXPDFBorder, EffectIsCloudyOnlyWithStyleC) {
    struct Case {
        const char* source;
        std::int64_t type;
        double intensity;
    };
    const Case cases[] = {
        {"<< /S /C /I 2 >>", 1, 2},
        {"<< /S /S /I 2 >>", 0, 0},
        {"<< /I 2 >>", 0, 0},
        {"<< /S /C >>", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        KXPDFBorderEffect effect(objectFrom(c.source));
        EXPECT_EQ(effect.effectType(), c.type);
        EXPECT_EQ(effect.intensity(), c.intensity);
    }
}
