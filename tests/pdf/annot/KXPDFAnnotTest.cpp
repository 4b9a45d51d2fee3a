// The annotation model: the factory, the entries every annotation has, the choice of appearance
// stream, and the replay of a page's annotations with their indexes and flags.

#include <gtest/gtest.h>

#include "pdf/annot/AnnotFixture.h"
#include "pdf/annot/KXPDFAnnotCircel.h"
#include "pdf/annot/KXPDFAnnotFreeText.h"
#include "pdf/annot/KXPDFAnnotHighlight.h"
#include "pdf/annot/KXPDFAnnotInk.h"
#include "pdf/annot/KXPDFAnnotLine.h"
#include "pdf/annot/KXPDFAnnotLink.h"
#include "pdf/annot/KXPDFAnnotPopup.h"
#include "pdf/annot/KXPDFAnnotSquare.h"
#include "pdf/annot/KXPDFAnnotStamp.h"
#include "pdf/annot/KXPDFAnnotStrikeout.h"
#include "pdf/annot/KXPDFAnnotText.h"
#include "pdf/annot/KXPDFAnnotUnderline.h"
#include "pdf/annot/KXPDFAnnotWidget.h"
#include "pdf/annot/KXPDFBorderArray.h"
#include "util/KXDuplicateBytes.h"

using kx::test::AnnotPage;
using kx::test::RecordingAnnotDelegate;
using kx::test::rgbColor;

namespace {

template <typename T>
bool isA(const std::shared_ptr<KXPDFAnnot>& a) {
    return dynamic_cast<T*>(a.get()) != nullptr;
}

}  // namespace

TEST(KXPDFAnnot, FactoryMakesTheClassOfEachSubtype) {
    struct Case {
        const char* subtype;
        bool (*check)(const std::shared_ptr<KXPDFAnnot>&);
    };
    const Case cases[] = {
        {"Line", isA<KXPDFAnnotLine>},           {"Square", isA<KXPDFAnnotSquare>},
        {"Circle", isA<KXPDFAnnotCircel>},       {"Highlight", isA<KXPDFAnnotHighlight>},
        {"Underline", isA<KXPDFAnnotUnderline>}, {"StrikeOut", isA<KXPDFAnnotStrikeout>},
        {"FreeText", isA<KXPDFAnnotFreeText>},   {"Link", isA<KXPDFAnnotLink>},
        {"Text", isA<KXPDFAnnotText>},           {"Popup", isA<KXPDFAnnotPopup>},
        {"Ink", isA<KXPDFAnnotInk>},             {"Stamp", isA<KXPDFAnnotStamp>},
        {"Widget", isA<KXPDFAnnotWidget>},
    };
    std::vector<std::string> sources;
    for (const Case& c : cases) sources.push_back(std::string("<< /Type /Annot /Subtype /") + c.subtype + " >>");
    sources.push_back("<< /Type /Annot /Subtype /Squiggly >>");
    sources.push_back("<< /Type /Annot /Subtype /Caret >>");
    sources.push_back("<< /Type /Annot >>");
    AnnotPage page(sources);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].subtype);
        auto annot = page.annot(i);
        ASSERT_TRUE(annot);
        EXPECT_TRUE(cases[i].check(annot));
        EXPECT_EQ(annot->type(), cases[i].subtype);
    }
    // Kinds the table does not name are plain annotations that keep their subtype.
    for (size_t i = std::size(cases); i < sources.size(); ++i) {
        auto annot = page.annot(i);
        ASSERT_TRUE(annot);
        EXPECT_EQ(typeid(*annot), typeid(KXPDFAnnot));
    }
    EXPECT_EQ(page.annot(std::size(cases))->type(), "Squiggly");
    EXPECT_FALSE(page.annot(sources.size() - 1)->type());
}

TEST(KXPDFAnnot, CollectionKeepsAnnotationDictionariesAndCountsOnlyThose) {
    AnnotPage page({"(not a dictionary)", "<< /Type /Font /Subtype /Square >>", "<< /Subtype /Square >>",
                    "<< /Type /Annot /Subtype /Circle >>"});
    KXPDFAnnotCollection collection(page.annots(), 7);
    // The string and the dictionary that says it is a font are skipped; /Type is optional, so the
    // square without it is kept.
    ASSERT_EQ(collection.annots().size(), 2u);
    EXPECT_EQ(collection.annots()[0]->type(), "Square");
    EXPECT_EQ(collection.annots()[1]->type(), "Circle");
    EXPECT_EQ(collection.annots()[1]->pageIndex(), 7);

    RecordingAnnotDelegate recorder;
    collection.setDelegate(&recorder);
    collection.startAllParser();
    ASSERT_EQ(recorder.reports.size(), 2u);
    for (std::int64_t i = 0; i < 2; ++i) {
        EXPECT_EQ(recorder.reports[static_cast<size_t>(i)].annotIndex, i);
        EXPECT_EQ(recorder.reports[static_cast<size_t>(i)].stateIndex, i);
        EXPECT_TRUE(recorder.reports[static_cast<size_t>(i)].isAnnot);
    }
    EXPECT_EQ(recorder.stack.depth(), 1u);  // every push was popped

    KXPDFAnnotCollection none(kx::PDFObject(), 1);
    EXPECT_TRUE(none.annots().empty());
}

TEST(KXPDFAnnot, BaseEntries) {
    AnnotPage page({
        "<< /Type /Annot /Subtype /Caret /Rect [100 200 50 150] /C [1 0 0] /F 4 /Contents (Note) /NM (id-1) "
        "/M (D:20240101) /Border [0 0 2] >>",
        "<< /Type /Annot /Rect [10 20 30] /C [0.5] >>",
        "<< /Type /Annot /Rect [10 /x 30 /y] /C [0 0 0 1] /CA 0.5 >>",
        "<< /Type /Annot /C [0.5 1.5 -1] >>",
    });
    auto a = page.annot(0);
    EXPECT_EQ(a->bounds(), kx::Rect(50, 150, 50, 50));
    EXPECT_EQ(a->color(), rgbColor(255, 0, 0));
    EXPECT_EQ(a->flags(), 4);
    EXPECT_EQ(a->contents(), u"Note");
    EXPECT_EQ(a->userName(), u"id-1");
    EXPECT_EQ(a->modificationDate(), u"D:20240101");
    ASSERT_TRUE(dynamic_cast<const KXPDFBorderArray*>(a->border()));
    EXPECT_EQ(a->border()->lineWidth(), 2);
    EXPECT_EQ(a->opacity(), 1.0);
    EXPECT_FALSE(a->appearStreams());
    EXPECT_EQ(a->appearState(), "Off");

    auto b = page.annot(1);  // a Rect of three numbers and a gray C leave the defaults
    EXPECT_EQ(b->bounds(), kx::Rect(0, 0, 1, 1));
    EXPECT_TRUE(b->color().isNull);
    EXPECT_FALSE(b->border());
    EXPECT_FALSE(b->contents());

    auto c = page.annot(2);  // coordinates that are no numbers: 0 for the first corner, 1 for the second
    EXPECT_EQ(c->bounds(), kx::Rect(10, 0, 20, 1));
    EXPECT_TRUE(c->color().isNull);
    EXPECT_EQ(c->opacity(), 0.5);
    // Below full opacity the display colour carries the opacity as a fourth component.
    KXPDFColor shown = c->displayColor();
    EXPECT_EQ(shown.length, 4);
    EXPECT_EQ(shown.c[3], 127);

    EXPECT_EQ(page.annot(3)->color(), rgbColor(127, 382, -255));
}

TEST(KXPDFAnnot, AppearanceStreamChoice) {
    struct Case {
        const char* what;
        const char* ap;          // the /AP dictionary ("{on}", "{off}", "{zero}", "{r}" are streams)
        const char* as;          // the /AS entry, or ""
        std::int64_t mode;
        const char* expected;    // which stream, or "" for none
        const char* state;       // the annotation's appearState
    };
    const Case cases[] = {
        {"normal stream", "<< /N {on} >>", "", 0, "on", "N"},
        {"state chosen by AS", "<< /N << /On {on} /Off {off} >> >>", "/AS /Off", 0, "off", "Off"},
        {"no AS: state N is missing, stream 0", "<< /N << /On {on} /0 {zero} >> >>", "", 0, "zero", "N"},
        {"no AS and no stream 0", "<< /N << /On {on} /Off {off} >> >>", "", 0, "", "N"},
        {"rollover stream", "<< /N {on} /R {r} >>", "", 1, "r", "N"},
        {"rollover falls back on the normal stream", "<< /N {on} >>", "", 1, "on", "N"},
        {"down falls back on the normal stream", "<< /N {on} /R {r} >>", "", 2, "on", "N"},
        {"no such mode", "<< /N {on} >>", "", 3, "", "N"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        kx::test::PDFBuilder b;
        std::map<std::string, int> streams;
        for (const char* name : {"on", "off", "zero", "r"})
            streams[name] = b.addStream("/Subtype /Form /BBox [0 0 1 1] /Name /" + std::string(name), "");
        std::string ap = c.ap;
        for (auto& [name, number] : streams)
            for (size_t at; (at = ap.find("{" + name + "}")) != std::string::npos;)
                ap.replace(at, name.size() + 2, std::to_string(number) + " 0 R");
        int annot = b.add("<< /Type /Annot /Subtype /Widget /AP " + ap + " " + c.as + " >>");
        b.addPage("", "<< >>", "/Annots [" + std::to_string(annot) + " 0 R]");
        auto doc = kx::PDFDocument::openFromMemory(b.build());
        ASSERT_TRUE(doc);
        auto a = KXPDFAnnot::AnnotWithDictionary(doc->page(1)->dictionary().dictGet("Annots").arrayAt(0));
        ASSERT_TRUE(a && a->appearStreams());
        EXPECT_EQ(a->appearState(), c.state);
        kx::PDFObject stream = a->appearStreams()->getAppearanceStream(c.mode, a->appearState());
        if (*c.expected) {
            ASSERT_TRUE(stream.isStream());
            EXPECT_EQ(stream.streamDictionary().dictGet("Name").name(), c.expected);
        } else {
            EXPECT_TRUE(stream.isNull());
        }
    }
}

// What each kind reports with and without an appearance stream (the drawn kinds are looked at
// closely in their own tests).
TEST(KXPDFAnnot, ReplayOfEachKindWithAndWithoutAppearance) {
    struct Case {
        const char* annot;
        const char* withAP;     // kind of the one report with an appearance ("" none)
        const char* withoutAP;  // kind of the one report without one ("" none)
        const char* streamKey;
    };
    const Case cases[] = {
        {"/Subtype /FreeText /Contents (Hi)", "stream", "textbox", "FreeText"},
        {"/Subtype /Line /L [0 0 10 10]", "stream", "path", "Line"},
        {"/Subtype /Square", "stream", "path", "Square"},
        {"/Subtype /Circle", "stream", "path", "Circle"},
        {"/Subtype /Ink /InkList [[0 0 5 5]]", "stream", "path", "Ink"},
        {"/Subtype /Highlight /QuadPoints [0 10 10 10 0 0 10 0]", "path", "path", ""},
        {"/Subtype /Underline /QuadPoints [0 10 10 10 0 0 10 0]", "path", "path", ""},
        {"/Subtype /StrikeOut /QuadPoints [0 10 10 10 0 0 10 0]", "path", "path", ""},
        {"/Subtype /Stamp", "stream", "", "Draft"},
        {"/Subtype /Stamp /Name /Approved", "stream", "", "Approved"},
        {"/Subtype /Widget", "stream", "", "Widget"},
        {"/Subtype /Link", "stream", "", "Link"},
        {"/Subtype /Popup", "stream", "", "Popup"},
        {"/Subtype /Squiggly", "stream", "", "Squiggly"},
        {"/Subtype /Caret", "stream", "", "Caret"},
        {"", "stream", "", ""},
        {"/Subtype /Text", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.annot);
        for (bool withAP : {true, false}) {
            std::string source = std::string("<< /Type /Annot /Rect [10 20 110 70] /C [1 0 0] ") + c.annot +
                                 (withAP ? " /AP << /N {AP} >>" : "") + " >>";
            AnnotPage page({source});
            RecordingAnnotDelegate recorder;
            auto collection = replay(page, recorder);
            const char* expected = withAP ? c.withAP : c.withoutAP;
            if (!*expected) {
                EXPECT_TRUE(recorder.reports.empty());
                continue;
            }
            ASSERT_EQ(recorder.reports.size(), 1u);
            EXPECT_EQ(recorder.reports[0].kind, expected);
            EXPECT_TRUE(recorder.reports[0].isAnnot);
            if (recorder.reports[0].kind == "stream") {
                EXPECT_EQ(recorder.reports[0].streamKey, c.streamKey);
                EXPECT_TRUE(recorder.reports[0].stream.isStream());
            }
        }
    }
}

TEST(KXPDFAnnot, HiddenAndNoViewAnnotationsAreNotReplayedButKeepTheirPlace) {
    struct Case {
        int flags;
        bool replayed;
    };
    const Case cases[] = {{0, true}, {1, true}, {2, false}, {4, true}, {32, false}, {34, false}, {36, false}};
    std::vector<std::string> sources;
    for (const Case& c : cases)
        sources.push_back("<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] /F " + std::to_string(c.flags) + " >>");
    AnnotPage page(sources);
    RecordingAnnotDelegate recorder;
    auto collection = replay(page, recorder);
    std::vector<std::int64_t> replayed, expected;
    for (const auto& r : recorder.reports) replayed.push_back(r.annotIndex);
    for (size_t i = 0; i < std::size(cases); ++i)
        if (cases[i].replayed) expected.push_back(static_cast<std::int64_t>(i));
    EXPECT_EQ(replayed, expected);
    for (size_t i = 0; i < collection->annots().size(); ++i)
        EXPECT_EQ(collection->annots()[i]->pdfAnnotionIndex(), static_cast<std::int64_t>(i));
}

TEST(KXPDFAnnot, AnnotationAndItsPopupPointingAtEachOtherParseOnce) {
    kx::test::PDFBuilder b;
    int note = b.reserve(), popup = b.reserve(), self = b.reserve();
    b.set(note, "<< /Type /Annot /Subtype /Text /Rect [0 0 10 10] /Popup " + std::to_string(popup) + " 0 R >>");
    b.set(popup, "<< /Type /Annot /Subtype /Popup /Rect [20 20 200 100] /Parent " + std::to_string(note) +
                     " 0 R /Popup " + std::to_string(note) + " 0 R >>");
    // An annotation that is its own pop-up.
    b.set(self, "<< /Type /Annot /Subtype /Square /Rect [0 0 5 5] /Popup " + std::to_string(self) + " 0 R >>");
    b.addPage("", "<< >>",
              "/Annots [" + std::to_string(note) + " 0 R " + std::to_string(popup) + " 0 R " + std::to_string(self) +
                  " 0 R]");
    auto doc = kx::PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    KXPDFAnnotCollection collection(doc->page(1)->dictionary().dictGet("Annots"), 1);
    ASSERT_EQ(collection.annots().size(), 3u);
    const KXPDFAnnotPopup* p = collection.annots()[0]->popup();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->bounds(), kx::Rect(20, 20, 180, 80));
    EXPECT_FALSE(p->popup());
    EXPECT_FALSE(collection.annots()[1]->popup());
    ASSERT_TRUE(collection.annots()[2]->popup());
    EXPECT_FALSE(collection.annots()[2]->popup()->popup());
}

TEST(KXPDFAnnot, NothingIsReplayedWithoutADelegate) {
    AnnotPage page({"<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] >>"});
    KXPDFAnnotCollection collection(page.annots(), 1);
    collection.startAllParser();  // no delegate: no crash, nothing to report to
    RecordingAnnotDelegate recorder;
    auto annot = collection.annots()[0];
    annot->setDelegate(&recorder);
    annot->startParser();  // without the pushed state it still paints into the top state
    EXPECT_EQ(recorder.reports.size(), 1u);
}

TEST(KXDuplicateBytes, CopiesOrGivesNothing) {
    const char bytes[] = "abc";
    auto copy = KXDuplicateBytes(bytes, 3);
    ASSERT_TRUE(copy);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.get()), 3), "abc");
    EXPECT_FALSE(KXDuplicateBytes(bytes, 0));
    EXPECT_FALSE(KXDuplicateBytes(nullptr, 3));
}
