// The text records' defaults and the run comparison that decides whether text continues a run;
// the placement and style records of shapes.

#include <gtest/gtest.h>

#include <functional>

#include "pdf/state/KXPDFRenderState.h"
#include "pptx/KXPPTXFreeformInfo.h"
#include "pptx/KXPPTXImageInfo.h"
#include "pptx/KXPPTXUtilities.h"

TEST(KXPPTXRecords, Defaults) {
    KXPPTX_TxBodyPr body = KXPPTXUtilities::defaultTextBodyProperty();
    EXPECT_EQ(body.warp, "none");
    EXPECT_EQ(body.anchor, "ctr");
    EXPECT_EQ(body.lIns + body.tIns + body.rIns + body.rtlCol, 0);
    KXPPTX_PPr p = KXPPTXUtilities::defaultPProperty();
    EXPECT_EQ(p.algn, "ctr");
    EXPECT_EQ(p.tabList.algn, "l");
    // The end of a paragraph and a run name their languages the other way round.
    EXPECT_EQ(p.endParaRPr.lang, "zh-CN");
    EXPECT_EQ(p.endParaRPr.altLang, "en-US");
    KXPPTX_RunPr r = KXPPTXUtilities::defaultRunProperty();
    EXPECT_EQ(r.lang, "en-US");
    EXPECT_EQ(r.altLang, "zh-CN");
    EXPECT_FALSE(r.rgbColor);
    EXPECT_EQ(r.latin.typeface, "Arial Unicode MS");
    EXPECT_EQ(r.cs.pitchFamily, "18");
}

TEST(KXPPTXRecords, RunComparison) {
    KXPPTX_RunPr base = KXPPTXUtilities::defaultRunProperty();
    base.rgbColor = "1a2b3c";
    base.sz = 12;
    struct Case {
        const char* what;
        std::function<void(KXPPTX_RunPr&)> change;
        bool equal;
    };
    const Case cases[] = {
        {"the same record", [](KXPPTX_RunPr&) {}, true},
        {"another replacement typeface", [](KXPPTX_RunPr& r) { r.latin.typeface_replace = "Other"; }, true},
        {"bold", [](KXPPTX_RunPr& r) { r.b = 1; }, false},
        {"italic", [](KXPPTX_RunPr& r) { r.i = 1; }, false},
        {"size", [](KXPPTX_RunPr& r) { r.sz = 12.5f; }, false},
        {"colour", [](KXPPTX_RunPr& r) { r.rgbColor = "1a2b3d"; }, false},
        {"language", [](KXPPTX_RunPr& r) { r.lang = "de-DE"; }, false},
        {"Latin typeface", [](KXPPTX_RunPr& r) { r.latin.typeface = "Liberation Serif"; }, false},
        {"complex-script character set", [](KXPPTX_RunPr& r) { r.cs.charset = "2"; }, false},
    };
    for (const Case& c : cases) {
        KXPPTX_RunPr other = base;
        c.change(other);
        EXPECT_EQ(KXPPTXRunPrIsEqual(base, other), c.equal) << c.what;
        EXPECT_EQ(KXPPTXRunPrIsEqual(other, base), c.equal) << c.what;
    }
    // A first record without a colour equals nothing, not even itself.
    KXPPTX_RunPr colourless = KXPPTXUtilities::defaultRunProperty();
    EXPECT_FALSE(KXPPTXRunPrIsEqual(colourless, colourless));
}

TEST(KXPPTXRecords, FreeformStyle) {
    KXPPTXFreeformInfo info;
    info.setFillcolor(kx::Color::rgb(1, 0, 0));
    info.setStrokecolor(kx::Color::rgb(0, 0, 1));
    info.setFillAlpha(0.5f);
    info.setStrokeAlpha(0.25f);
    // Unfilled and unstroked: white of alpha 0, whatever is stored.
    EXPECT_EQ(info.fillAlpha(), 0.0f);
    EXPECT_EQ(info.strokeAlpha(), 0.0f);
    EXPECT_EQ(info.fillcolorString(), "ffffff");
    EXPECT_EQ(info.strokecolorString(), "ffffff");
    info.setFilled(true);
    info.setStroked(true);
    EXPECT_EQ(info.fillAlpha(), 0.5f);
    EXPECT_EQ(info.strokeAlpha(), 0.25f);
    EXPECT_EQ(info.fillcolorString(), "ff0000");
    EXPECT_EQ(info.strokecolorString(), "0000ff");
    const std::pair<int, const char*> caps[] = {{0, "flat"}, {1, "rnd"}, {2, "sq"}, {3, nullptr}, {-1, nullptr}};
    for (auto [cap, want] : caps) {
        info.setLineCap(cap);
        EXPECT_EQ(info.lineCapString(), want ? std::optional<std::string>(want) : std::nullopt) << cap;
    }
    info.setDisplayRect(kx::Rect(1, 2, 3, 4));
    EXPECT_EQ(info.displayOrigin(), (kx::Point{1, 2}));
    EXPECT_EQ(info.displayWidth(), 3);
    EXPECT_EQ(info.displayHeight(), 4);
}

TEST(KXPPTXRecords, PicturePlacementFromTheImageTransform) {
    struct Case {
        const char* what;
        kx::AffineTransform t;
        kx::Rect box;
        float rotation;
        bool flipY;
    };
    // A 40 x 30 picture at (100, 50) on a y-down slide.
    const Case cases[] = {
        {"upright", {40, 0, 0, -30, 100, 80}, {100, 50, 40, 30}, 0, false},
        {"mirrored upside down", {40, 0, 0, 30, 100, 50}, {100, 50, 40, 30}, 0, true},
        {"turned a quarter", {0, 40, 30, 0, 105, 45}, {100, 50, 40, 30}, 90, false},
        {"turned a quarter and mirrored", {0, 40, -30, 0, 135, 45}, {100, 50, 40, 30}, 90, true},
        {"turned half", {-40, 0, 0, 30, 140, 50}, {100, 50, 40, 30}, 180, false},
    };
    KXPDFRenderState state;
    state.setFillAlpha(0.75);
    for (const Case& c : cases) {
        KXPPTXImageInfo info(c.t, state);
        EXPECT_NEAR(info.displayX, c.box.origin.x, 1e-9) << c.what;
        EXPECT_NEAR(info.displayY, c.box.origin.y, 1e-9) << c.what;
        EXPECT_NEAR(info.displayWidth, c.box.size.width, 1e-9) << c.what;
        EXPECT_NEAR(info.displayHeight, c.box.size.height, 1e-9) << c.what;
        EXPECT_NEAR(info.rotation, c.rotation, 1e-4) << c.what;
        EXPECT_EQ(info.flipY, c.flipY) << c.what;
        EXPECT_FALSE(info.flipX) << c.what;
        EXPECT_EQ(info.opacity, 0.75f) << c.what;
    }
}
