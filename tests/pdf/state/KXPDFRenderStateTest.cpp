// The render state, its stack, graphics-state resources and property lists.

#include <gtest/gtest.h>

#include "pdf/ObjectDoc.h"
#include "pdf/interpreter/KXPDFPropertiesCollection.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "pdf/state/KXPDFExtGState.h"
#include "pdf/state/KXPDFExtGStateCollection.h"

using kx::test::ObjectDoc;

TEST(KXPDFRenderStateStack, PushPopAndTheEmptyStack) {
    KXPDFRenderStateStack stack;
    ASSERT_EQ(stack.depth(), 1u);
    stack.topRenderingState().setLineWidth(3);
    KXPDFRenderState& pushed = stack.pushRenderingState();
    EXPECT_EQ(pushed.lineWidth(), 3);
    pushed.setLineWidth(5);
    // A reference survives later pushes.
    for (int i = 0; i < 100; ++i) stack.pushRenderingState();
    EXPECT_EQ(pushed.lineWidth(), 5);
    while (stack.depth() > 0) EXPECT_TRUE(stack.popRenderingState());
    EXPECT_FALSE(stack.popRenderingState());
    // Empty: the top and a push both give a fresh default state.
    EXPECT_EQ(stack.topRenderingState().lineWidth(), 1);
    stack.popRenderingState();
    EXPECT_EQ(stack.pushRenderingState().lineWidth(), 1);
    EXPECT_EQ(stack.depth(), 1u);
}

TEST(KXPDFRenderState, CopiesKeepTheirOwnPathAndClips) {
    KXPDFRenderState a;
    a.mutableCgPath().moveTo({1, 2});
    kx::Path clip;
    clip.addRect(kx::Rect(0, 0, 5, 5));
    a.clipState(clip, 1);
    KXPDFRenderState b = a;
    a.setCgPath(kx::Path());
    a.clipState(clip, 2);
    EXPECT_EQ(b.cgPath().elements().size(), 1u);
    EXPECT_EQ(b.clipBezierPaths().size(), 1u);
    EXPECT_EQ(a.clipBezierPaths().size(), 2u);
    // Type 0 and empty paths add nothing.
    a.clipState(clip, 0);
    a.clipState(kx::Path(), 1);
    EXPECT_EQ(a.clipBezierPaths().size(), 2u);
}

// Saved states share the clip paths they were copied with: each keeps its own order and length,
// a copy is the same chain, and a chain longer than the stack is deep goes without a crash.
TEST(KXPDFRenderState, SavedStatesShareTheirClipPaths) {
    kx::Path clip;
    clip.addRect(kx::Rect(0, 0, 5, 5));
    std::vector<KXPDFRenderState> saved(1);
    for (int i = 1; i <= 3; ++i) {
        saved.push_back(saved.back());
        saved.back().clipState(clip, i % 2 + 1);
    }
    for (size_t depth = 0; depth < saved.size(); ++depth) {
        const kx::ClipPathChain& chain = saved[depth].clipBezierPaths();
        ASSERT_EQ(chain.size(), depth);
        const auto paths = chain.paths();
        ASSERT_EQ(paths.size(), depth);
        for (size_t i = 0; i < depth; ++i) {
            EXPECT_EQ(paths[i]->clipType(), static_cast<int>((i + 1) % 2 + 1));  // first added first
            EXPECT_EQ(paths[i], saved[i + 1].clipBezierPaths().back());         // one path, shared
        }
    }
    EXPECT_EQ(saved[3].clipBezierPaths().front(), saved[1].clipBezierPaths().back());
    KXPDFRenderState copy = saved[3];
    EXPECT_TRUE(copy.clipBezierPaths() == saved[3].clipBezierPaths());
    EXPECT_FALSE(saved[2].clipBezierPaths() == saved[3].clipBezierPaths());

    auto deep = std::make_unique<kx::ClipPathChain>();
    for (int i = 0; i < 2'000'000; ++i) deep->push_back(nullptr);
    EXPECT_EQ(deep->size(), 2'000'000u);
    deep.reset();
}

TEST(KXPDFRenderState, TextMatrixOperations) {
    KXPDFRenderState st;
    st.setTextMatrix({2, 0, 0, 2, 10, 20}, true);
    st.translateTextPosition({5, 0});  // in text space: scaled by the matrix
    EXPECT_EQ(st.textMatrix(), (kx::AffineTransform{2, 0, 0, 2, 20, 20}));
    EXPECT_EQ(st.lineMatrix(), (kx::AffineTransform{2, 0, 0, 2, 10, 20}));
    st.newLineWithLeading(-14, 3, true);  // TD 3 -14
    EXPECT_EQ(st.leading(), 14);
    EXPECT_EQ(st.lineMatrix(), (kx::AffineTransform{2, 0, 0, 2, 16, -8}));
    EXPECT_EQ(st.textMatrix(), st.lineMatrix());
    st.setTextMatrix(kx::AffineTransform::identity(), true);
    st.newLine();
    EXPECT_EQ(st.lineMatrix(), (kx::AffineTransform{1, 0, 0, 1, 0, -14}));
    EXPECT_FALSE(st.isStateTextClip());
    for (int mode : {4, 5, 6, 7}) {
        st.setTextRenderMode(mode);
        EXPECT_TRUE(st.isStateTextClip()) << mode;
    }
}

TEST(KXPDFRenderState, BareColourRecordsConvertByComponentCount) {
    KXPDFColor c;
    c.c = {255, 0, 0, 0};
    struct Case {
        int length;
        KXPDFRGB rgb;
    } cases[] = {{1, {255, 255, 255}}, {3, {255, 0, 0}}, {4, {0, 172, 239}}, {2, {0, 0, 0}}, {0, {0, 0, 0}}};
    for (const Case& k : cases) {
        c.length = k.length;
        EXPECT_EQ(KXPDFRenderState::RGBColorForPDFColor(c), k.rgb) << k.length;
    }
}

TEST(KXPDFExtGState, ParsesTheEntriesItKnows) {
    ObjectDoc doc;
    int form = doc.addStream("/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "");
    int image = doc.addStream("/Subtype /Image /Width 1 /Height 1", "");
    int other = doc.addStream("/Subtype /Bogus", "");
    int full = doc.add("<< /LW 2.5 /LC 1 /LJ 2 /ML 4 /D [[3 2] 1] /RI /Perceptual /BM /HardLight /CA 0.3 /ca 0.6 "
                       "/AIS false /op true /OP false /OPM 1 /SA true /TR /Identity /Font [/F1 12] "
                       "/SMask << /S /Alpha /BC [0 1 0.5] /G " + std::to_string(form) + " 0 R >> >>");
    int streamMask = doc.add("<< /SMask " + std::to_string(image) + " 0 R >>");
    int badMask = doc.add("<< /SMask << /S /Luminosity /G " + std::to_string(other) + " 0 R >> /LC 1.5 /D [3 2] >>");
    int namedMask = doc.add("<< /SMask /None /BM 7 >>");

    KXPDFExtGState gs(doc.get(full), "GS1");
    const auto& m = gs.gStateValue();
    EXPECT_EQ(m.at("LW").number(), 2.5);
    EXPECT_EQ(m.at("LC").number(), 1);
    EXPECT_EQ(m.at("LJ").number(), 2);
    EXPECT_EQ(m.at("ML").number(), 4);
    EXPECT_EQ(*m.at("D").numbers(), (std::vector<double>{3, 2}));
    EXPECT_EQ(*m.at("RI").string(), "Perceptual");
    EXPECT_EQ(m.at("BM").number(), 8);
    EXPECT_NEAR(*m.at("CA").number(), 0.3, 1e-6);
    EXPECT_EQ(m.at("AIS").boolean(), false);
    EXPECT_EQ(m.at("op").boolean(), true);
    EXPECT_EQ(m.at("OP").boolean(), false);
    EXPECT_EQ(m.at("OPM").number(), 1);
    EXPECT_EQ(m.at("SA").boolean(), true);
    EXPECT_FALSE(m.count("TR"));
    EXPECT_EQ(*m.at("Font").font(), (KXPDFExtGStateFont{12.0, "F1"}));
    EXPECT_EQ(*m.at("SMask-S").string(), "Alpha");
    EXPECT_EQ(*m.at("SMask-BC").numbers(), (std::vector<double>{0, 1, 0.5}));
    EXPECT_EQ(m.at("SMask-haveSoftMask").boolean(), true);
    ASSERT_TRUE(m.count("SMask-XObject-GS1"));
    EXPECT_EQ(m.at("SMask-XObject-GS1").object()->objectNumber(), form);

    const KXPDFExtGState gs2(doc.get(streamMask), "GS2");
    const auto& s = gs2.gStateValue();
    EXPECT_EQ(s.at("SMask-XObject-GS2").object()->objectNumber(), image);
    EXPECT_EQ(s.at("SMask-haveSoftMask").boolean(), true);

    // An XObject of an unknown kind is not kept; LC must be an integer; D must hold an array.
    const KXPDFExtGState gs3(doc.get(badMask), "GS3");
    const auto& bad = gs3.gStateValue();
    EXPECT_FALSE(bad.count("SMask-XObject-GS3"));
    EXPECT_EQ(bad.at("SMask-haveSoftMask").boolean(), true);
    EXPECT_FALSE(bad.count("LC"));
    EXPECT_FALSE(bad.count("D"));

    const KXPDFExtGState gs4(doc.get(namedMask), "GS4");
    const auto& named = gs4.gStateValue();
    EXPECT_EQ(*named.at("SMask-Name").string(), "None");
    EXPECT_EQ(named.at("SMask-haveSoftMask").boolean(), false);
    EXPECT_FALSE(named.count("BM"));
}

TEST(KXPDFExtGState, BlendModes) {
    ObjectDoc doc;
    struct Case {
        const char* body;
        std::optional<int> mode;
    } cases[] = {
        {"/Normal", 0},     {"/Compatible", 0},   {"/Multiply", 1},           {"/Screen", 2},
        {"/Overlay", 3},    {"/Darken", 4},       {"/Lighten", 5},            {"/ColorDodge", 6},
        {"/ColorBurn", 7},  {"/HardLight", 8},    {"/SoftLight", 9},          {"/Difference", 10},
        {"/Exclusion", 11}, {"/Hue", 12},         {"/Saturation", 13},        {"/Color", 14},
        {"/Luminosity", 15}, {"/multiply", std::nullopt}, {"/Bogus", std::nullopt},
        {"[/Bogus /Multiply]", 1}, {"[/Bogus]", 0}, {"[]", 0}, {"[/Bogus 3 /Multiply]", std::nullopt},
        {"[/Screen /Multiply]", 2}, {"3", std::nullopt}, {"(Multiply)", std::nullopt},
    };
    std::vector<int> numbers;
    for (const Case& c : cases) numbers.push_back(doc.add(c.body));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(KXPDFExtGState::parseBlendMode(doc.get(numbers[i])), cases[i].mode) << cases[i].body;
}

TEST(KXPDFExtGState, ApplyingChangesOnlyTheFieldsPresent) {
    ObjectDoc doc;
    int onlyFill = doc.add("<< /ca 0.5 >>");
    int lumMask = doc.add("<< /SMask << /S /Luminosity >> >>");
    KXPDFRenderState st;
    st.setLineDashPhase(3);
    KXPDFRenderState before = st;
    st.setGraphicState(std::make_shared<KXPDFExtGState>(doc.get(onlyFill), "A").get());
    EXPECT_EQ(st.fillAlpha(), 0.5);
    st.setFillAlpha(before.fillAlpha());
    EXPECT_EQ(st.strokeAlpha(), before.strokeAlpha());
    EXPECT_EQ(st.lineWidth(), before.lineWidth());
    EXPECT_EQ(st.blendMode(), before.blendMode());
    st.setGraphicState(nullptr);
    EXPECT_EQ(st.fillAlpha(), 1.0);
    st.setGraphicState(std::make_shared<KXPDFExtGState>(doc.get(lumMask), "B").get());
    EXPECT_EQ(st.softMaskBlendMode(), 15);
    EXPECT_TRUE(st.haveSoftMask());
    EXPECT_EQ(st.lineDashPhase(), 3);
}

TEST(KXPDFExtGStateCollection, KeepsDictionariesOnly) {
    ObjectDoc doc;
    int stream = doc.addStream("/LW 3", "");
    int dict = doc.add("<< /GS0 << /LW 2 >> /GS1 3 /GS2 " + std::to_string(stream) + " 0 R /GS3 << >> >>");
    KXPDFExtGStateCollection c(doc.get(dict));
    EXPECT_EQ(c.collectObjects().size(), 2u);
    ASSERT_TRUE(c.objectNamed("GS0"));
    EXPECT_EQ(c.objectNamed("GS0")->objectKey(), "GS0");
    EXPECT_FALSE(c.objectNamed("GS1"));
}

TEST(KXPDFPropertiesCollection, KeepsPropertyListsOfTypeOne) {
    ObjectDoc doc;
    int dict = doc.add("<< /P0 << /PropertiesType 1 >> /P1 << /PropertiesType 2 >> /P2 << /MCID 3 >> "
                       "/P3 << /PropertiesType 1.0 >> /P4 7 >>");
    KXPDFPropertiesCollection c(doc.get(dict));
    EXPECT_EQ(c.collectObjects().size(), 1u);
    ASSERT_TRUE(c.objectNamed("P0"));
    EXPECT_EQ(c.objectNamed("P0")->type(), 1);
    EXPECT_EQ(c.objectNamed("P0")->objectKey(), "P0");
}
