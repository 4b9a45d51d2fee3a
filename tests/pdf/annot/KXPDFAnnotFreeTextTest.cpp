// Free-text annotations: the default-appearance string, the alignment, the entries kept, and the
// text box they report with its border and background.

#include <gtest/gtest.h>

#include "pdf/annot/AnnotFixture.h"
#include "pdf/annot/KXPDFAnnotFreeText.h"

using kx::test::AnnotPage;
using kx::test::nullColor;
using kx::test::RecordingAnnotDelegate;
using kx::test::rgbColor;

namespace {

KXPDFColor grayColor(int g) {
    KXPDFColor c;
    c.length = 1;
    c.c[0] = static_cast<std::int16_t>(g);
    return c;
}

}  // namespace

TEST(KXPDFAnnotFreeText, DefaultAppearanceString) {
    KXPDFColor cmyk;
    cmyk.length = 4;
    cmyk.c = {0, 127, 255, 25};
    struct Case {
        std::optional<std::string> da;
        std::optional<std::string> name;
        double size;
        KXPDFColor color;
    };
    const Case cases[] = {
        {"/Helv 12 Tf 0 0 1 rg", "Helv", 12, rgbColor(0, 0, 255)},
        {"0 g /F1 0 Tf", "F1", 0, grayColor(0)},
        {"/A 9 Tf 1 0 0 rg /B 11 Tf 0 1 0 rg", "B", 11, rgbColor(0, 255, 0)},  // the last of each wins
        {"/F 9.5 Tf 0 0.5 1 0.1 k", "F", 9.5, cmyk},
        // Two spaces before Tf: the empty token is the size, the size token becomes the name.
        {"/Helv 12  Tf", "12", 0, nullColor()},
        {"/A 8 Tf /Helv 12  Tf", "A", 8, nullColor()},  // an earlier Tf gives the size
        {"Tf rg", std::nullopt, 0, nullColor()},        // operators without enough operands
        {"BT /Cour 7 Tf ET", "Cour", 7, nullColor()},
        {"", std::nullopt, 0, nullColor()},
        {std::nullopt, std::nullopt, 0, nullColor()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.da.value_or("(none)"));
        double size = -1;
        KXPDFColor color = rgbColor(9, 9, 9);
        EXPECT_EQ(KXPDFAnnotFreeText::ParseAppearanceString(c.da, &size, &color), c.name);
        EXPECT_DOUBLE_EQ(size, c.size);
        EXPECT_EQ(color, c.color);
    }
}

TEST(KXPDFAnnotFreeText, AlignmentFromQuadding) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {{0, 0}, {1, 2}, {2, 1}, {7, 0}, {-1, 0}};
    for (auto [q, alignment] : cases) EXPECT_EQ(KXPDFAnnotFreeText::TextAlignmentForQuadding(q), alignment) << q;
}

TEST(KXPDFAnnotFreeText, EntriesParsed) {
    AnnotPage page({
        "<< /Type /Annot /Subtype /FreeText /Rect [100 100 300 200] /DA (/Helv 0 Tf) /Q 2.9 /IT /FreeTextCallout "
        "/CL [10 20 30 40 50 60] /RD [10 5 20 15] /LE /OpenArrow /IC [0 1 0] /BE << /S /C /I 1 >> "
        "/BS << /W 3 >> /T (Ann) /Subj (Topic) /CA 0.25 /RT /Group /ExData << /Subtype /Markup3D >> "
        "/DS (font: 12pt) >>",
        "<< /Type /Annot /Subtype /FreeText /CL [1 2 3 4 5] /RD [150 0 60 0] /IT /Other >>",
    });
    auto a = std::dynamic_pointer_cast<KXPDFAnnotFreeText>(page.annot(0));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->fontName(), "Helv");
    EXPECT_EQ(a->fontSize(), 10.0);  // a size not above 0 is replaced
    EXPECT_TRUE(a->fontColor().isNull);
    EXPECT_EQ(a->quadding(), 2);
    EXPECT_EQ(a->textAlignment(), 1);
    EXPECT_EQ(a->intent(), 1);
    EXPECT_EQ(a->calloutLine(), (KXPDFAnnotCalloutLine{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(a->rectangle(), kx::Rect(110, 115, 170, 80));
    EXPECT_EQ(a->endStyle(), 3);
    EXPECT_EQ(a->interiorColor(), rgbColor(0, 255, 0));
    EXPECT_EQ(a->borderEffect().effectType(), 1);
    EXPECT_EQ(a->borderEffect().intensity(), 1);
    ASSERT_TRUE(a->border());
    EXPECT_EQ(a->border()->type(), 1);
    EXPECT_EQ(a->border()->lineWidth(), 3);
    EXPECT_EQ(a->label(), u"Ann");
    EXPECT_EQ(a->subject(), u"Topic");
    EXPECT_EQ(a->opacity(), 0.25);
    EXPECT_EQ(a->replyTo(), 1);
    EXPECT_EQ(a->exData(), 1);
    EXPECT_EQ(a->styleString(), u"font: 12pt");

    auto b = std::dynamic_pointer_cast<KXPDFAnnotFreeText>(page.annot(1));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->fontName(), "Helvetica");
    EXPECT_EQ(b->fontSize(), 10.0);
    EXPECT_EQ(b->calloutLine(), (KXPDFAnnotCalloutLine{1, 2, 3, 4, 0, 0}));  // five entries: two points
    EXPECT_EQ(b->rectangle(), kx::Rect());  // differences wider than the box are refused
    EXPECT_EQ(b->intent(), 0);
    EXPECT_EQ(b->endStyle(), 5);
    ASSERT_TRUE(b->border());
    EXPECT_EQ(b->border()->type(), 0);
    EXPECT_EQ(b->border()->lineWidth(), 1);
}

TEST(KXPDFAnnotFreeText, TextBoxWithBorderAndBackground) {
    struct Case {
        const char* what;
        const char* entries;
        bool stroke, fill;
        KXPDFColor strokeColor;
        int strokeSpace;
        KXPDFColor fillColor;
        double width;
    };
    const KXPDFColor initial = KXPDFRenderState().strokeColor();
    const Case cases[] = {
        {"no colour: border in the text colour, no background", "/DA (0 0 1 rg /Helv 9 Tf)", true, false,
         rgbColor(0, 0, 255), KXPDFColorSpace::ModeDeviceRGB, initial, 1},
        {"gray text colour keeps a gray border", "/DA (0.5 g /Helv 9 Tf)", true, false, grayColor(127),
         KXPDFColorSpace::ModeDeviceGray, initial, 1},
        {"colour red, interior blue", "/C [1 0 0] /IC [0 0 1] /BS << /W 2 /S /D >>", true, true, rgbColor(255, 0, 0),
         KXPDFColorSpace::ModeDeviceRGB, rgbColor(0, 0, 255), 2},
        {"colour without interior fills with the colour", "/C [0 1 0]", true, true, rgbColor(0, 255, 0),
         KXPDFColorSpace::ModeDeviceRGB, rgbColor(0, 255, 0), 1},
        {"border of width 0", "/C [0 1 0] /BS << /W 0 >>", false, true, initial, 0, rgbColor(0, 255, 0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnnotPage page({std::string("<< /Type /Annot /Subtype /FreeText /Rect [10 20 210 120] /Contents (Hello) "
                                    "/Q 1 ") +
                        c.entries + " >>"});
        RecordingAnnotDelegate recorder;
        auto collection = replay(page, recorder);
        ASSERT_EQ(recorder.reports.size(), 1u);
        const auto& r = recorder.reports[0];
        EXPECT_EQ(r.kind, "textbox");
        EXPECT_EQ(r.rect, kx::Rect(10, 20, 200, 100));
        EXPECT_EQ(r.text, u"Hello");
        EXPECT_EQ(r.alignment, 2);
        EXPECT_EQ(r.stroke, c.stroke);
        EXPECT_EQ(r.fill, c.fill);
        EXPECT_EQ(r.strokeColor, c.strokeColor);
        if (c.stroke) {
            EXPECT_EQ(r.strokeSpaceMode, c.strokeSpace);
            EXPECT_EQ(r.lineWidth, c.width);
        }
        EXPECT_EQ(r.fillColor, c.fillColor);
    }
}

TEST(KXPDFAnnotFreeText, TextBoxFontAndMissingContents) {
    AnnotPage page({"<< /Type /Annot /Subtype /FreeText /Rect [0 0 50 50] /DA (/Cour 14 Tf 1 0 0 rg) /BS << /W 2 /S "
                    "/D /D [4 1] >> >>"});
    RecordingAnnotDelegate recorder;
    auto collection = replay(page, recorder);
    ASSERT_EQ(recorder.reports.size(), 1u);
    const auto& r = recorder.reports[0];
    EXPECT_EQ(r.fontName, "Cour");
    EXPECT_EQ(r.fontSize, 14);
    EXPECT_EQ(r.fontColor, rgbColor(255, 0, 0));
    EXPECT_EQ(r.text, u"");
    EXPECT_EQ(r.alignment, 0);
    EXPECT_EQ(r.dash, (std::vector<double>{4, 1}));
    EXPECT_TRUE(r.isAnnot);
}
