// The slide part and its shapes, written through the in-memory XML writer: the exact text of a
// slide with a text box, a freeform and a picture; the rules of each shape as tables; the slide's
// relationships and its text-box cache.

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "ooxml/KXOutputWriter.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "pptx/KXPPTXFreeform.h"
#include "pptx/KXPPTXPage.h"
#include "pptx/KXPPTXPicture.h"
#include "pptx/KXPPTXTextbox.h"
#include "pptx/KXPPTXUtilities.h"
#include "support/TestSupport.h"

namespace {

using kx::test::tabbed;

std::string slideText(KXPPTXPage& page) {
    auto w = XMLFileWriter::initInMemory();
    page.writePage(*w);
    return w->toString().value_or("");
}

// The text one shape writes, alone.
std::string shapeText(KXPPTXShape& shape) {
    auto w = XMLFileWriter::initInMemory();
    w->setPrefix("a", "http://schemas.openxmlformats.org/drawingml/2006/main");
    w->setPrefix("r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    w->setPrefix("p", "http://schemas.openxmlformats.org/presentationml/2006/main");
    w->writeStartElement("root");
    shape.writeShapeWith(*w);
    w->writeEndDocument();
    return w->toString().value_or("");
}

std::unique_ptr<KXPPTXRun> run(std::u16string text, float size, const char* color, bool bold = false) {
    auto r = std::make_unique<KXPPTXRun>();
    r->text = std::move(text);
    r->rProperty.sz = size;
    if (color) r->rProperty.rgbColor = color;
    r->rProperty.b = bold;
    return r;
}

std::unique_ptr<KXPPTXTextbox> textBox(double rotation) {
    auto box = std::make_unique<KXPPTXTextbox>();
    KXPPTXTextBoxInfo info;
    info.displayX = 72;
    info.displayY = 100;
    info.displayWidth = 210;
    info.displayHeight = 30;
    info.rotation = rotation;
    box->setSpInfo(info);
    box->paragraphs().push_back(std::make_unique<KXPPTXParagraph>());  // empty: writes nothing
    auto paragraph = std::make_unique<KXPPTXParagraph>();
    paragraph->pProperty().lnSpc = 14.5;
    paragraph->runArray().push_back(run(u"Hello & <world>", 12, "#1a2b3c", true));
    paragraph->runArray().push_back(run(u" again", 10.5, nullptr));
    box->paragraphs().push_back(std::move(paragraph));
    return box;
}

std::unique_ptr<KXPPTXFreeform> triangle() {
    auto shape = std::make_unique<KXPPTXFreeform>();
    kx::Path path;
    path.moveTo({100, 200});
    path.lineTo({200, 200});
    path.lineTo({150, 120});
    path.closeSubpath();
    shape->setRunCGPath(path);
    KXPPTXFreeformInfo& info = shape->spInfo();
    info.setDisplayRect(kx::Rect(100, 120, 100, 80));
    info.setFilled(true);
    info.setFillcolor(kx::Color::rgb(1, 0, 0));
    info.setStroked(true);
    info.setStrokecolor(kx::Color::rgb(0, 0, 1));
    info.setStrokeAlpha(0.5f);
    info.setStrokeweight(2);
    info.setLineCap(1);
    shape->paragraphs().push_back(std::make_unique<KXPPTXParagraph>());
    return shape;
}

std::unique_ptr<KXPPTXPicture> picture() {
    auto pic = std::make_unique<KXPPTXPicture>();
    KXPPTXImageInfo info;
    info.setDisplayRect(kx::Rect(300, 50, 40, 30));
    info.opacity = 0.5f;
    pic->setPictInfo(info);
    pic->setRunImageID("rId2");
    return pic;
}

}  // namespace

TEST(KXPPTXSlide, SlidePartExactly) {
    KXOutputWriter package;
    KXPPTXPage page(1, package);
    page.begainWritePage(1);
    page.addShape(textBox(0));
    page.addShape(triangle());
    page.addShape(picture());
    const std::string text = slideText(page);
    EXPECT_EQ(text, tabbed(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<p:sld xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main">
  <p:cSld>
    <p:spTree>
      <p:nvGrpSpPr>
        <p:cNvPr id="1" name=""/>
        <p:cNvGrpSpPr/>
        <p:nvPr/>
      </p:nvGrpSpPr>
      <p:grpSpPr>
        <a:xfrm>
          <a:off x="0" y="0"/>
          <a:ext cx="0" cy="0"/>
          <a:chOff x="0" y="0"/>
          <a:chExt cx="0" cy="0"/>
        </a:xfrm>
      </p:grpSpPr>
      <p:sp>
        <p:nvSpPr>
          <p:cNvPr id="2" name="TextBox 1"/>
          <p:cNvSpPr txBox="1"/>
          <p:nvPr/>
        </p:nvSpPr>
        <p:spPr>
          <a:xfrm>
            <a:off x="914400" y="1270000"/>
            <a:ext cx="2667000" cy="381000"/>
          </a:xfrm>
          <a:prstGeom prst="rect">
            <a:avLst/>
          </a:prstGeom>
          <a:noFill/>
        </p:spPr>
        <p:txBody>
          <a:bodyPr wrap="none" lIns="0" tIns="0" rIns="0" rtlCol="0">
            <a:spAutoFit/>
          </a:bodyPr>
          <a:lstStyle/>
          <a:p>
            <a:pPr>
              <a:lnSpc>
                <a:spcPts val="1450"/>
              </a:lnSpc>
            </a:pPr>
            <a:r>
              <a:rPr lang="en-US" altLang="zh-CN" sz="1200" dirty="0" b="1" i="0" smtClean="0">
                <a:solidFill>
                  <a:srgbClr val="1a2b3c"/>
                </a:solidFill>
                <a:latin typeface="Arial Unicode MS" pitchFamily="18" charset="0"/>
                <a:cs typeface="Arial Unicode MS" pitchFamily="18" charset="0"/>
              </a:rPr>
              <a:t>Hello &amp; &lt;world&gt;</a:t>
            </a:r>
            <a:r>
              <a:rPr lang="en-US" altLang="zh-CN" sz="1050" dirty="0" b="0" i="0" smtClean="0">
                <a:solidFill/>
                <a:latin typeface="Arial Unicode MS" pitchFamily="18" charset="0"/>
                <a:cs typeface="Arial Unicode MS" pitchFamily="18" charset="0"/>
              </a:rPr>
              <a:t> again</a:t>
            </a:r>
          </a:p>
        </p:txBody>
      </p:sp>
      <p:sp>
        <p:nvSpPr>
          <p:cNvPr id="3" name="Freeform 2"/>
          <p:cNvSpPr/>
          <p:nvPr/>
        </p:nvSpPr>
        <p:spPr>
          <a:xfrm>
            <a:off x="1270000" y="1524000"/>
            <a:ext cx="1270000" cy="1016000"/>
          </a:xfrm>
          <a:custGeom>
            <a:avLst/>
            <a:gdLst>
              <a:gd name="connsiteX0" fmla="*/ 0 w 1270000"/>
              <a:gd name="connsiteY0" fmla="*/ 1016000 h 1016000"/>
              <a:gd name="connsiteX1" fmla="*/ 1270000 w 1270000"/>
              <a:gd name="connsiteY1" fmla="*/ 1016000 h 1016000"/>
              <a:gd name="connsiteX2" fmla="*/ 635000 w 1270000"/>
              <a:gd name="connsiteY2" fmla="*/ 0 h 1016000"/>
            </a:gdLst>
            <a:ahLst/>
            <a:cxnLst>
              <a:cxn ang="0">
                <a:pos x="connsiteX0" y="connsiteY0"/>
              </a:cxn>
              <a:cxn ang="1">
                <a:pos x="connsiteX1" y="connsiteY1"/>
              </a:cxn>
              <a:cxn ang="2">
                <a:pos x="connsiteX2" y="connsiteY2"/>
              </a:cxn>
            </a:cxnLst>
            <a:rect l="l" t="t" r="r" b="b"/>
            <a:pathLst>
              <a:path w="1270000" h="1016000">
                <a:moveTo>
                  <a:pt x="0" y="1016000"/>
                </a:moveTo>
                <a:lnTo>
                  <a:pt x="1270000" y="1016000"/>
                </a:lnTo>
                <a:lnTo>
                  <a:pt x="635000" y="0"/>
                </a:lnTo>
                <a:close/>
              </a:path>
            </a:pathLst>
          </a:custGeom>
          <a:solidFill>
            <a:srgbClr val="ff0000">
              <a:alpha val="100000"/>
            </a:srgbClr>
          </a:solidFill>
          <a:ln w="25400" cap="rnd">
            <a:solidFill>
              <a:srgbClr val="0000ff">
                <a:alpha val="50000"/>
              </a:srgbClr>
            </a:solidFill>
            <a:prstDash val="solid"/>
          </a:ln>
        </p:spPr>
        <p:style>
          <a:lnRef idx="1">
            <a:schemeClr val="accent1">
              <a:shade val="50000"/>
            </a:schemeClr>
          </a:lnRef>
          <a:fillRef idx="1">
            <a:schemeClr val="accent1"/>
          </a:fillRef>
          <a:effectRef idx="0">
            <a:schemeClr val="accent1"/>
          </a:effectRef>
          <a:fontRef idx="minor">
            <a:schemeClr val="lt1"/>
          </a:fontRef>
        </p:style>
        <p:txBody>
          <a:bodyPr rtlCol="0" anchor="ctr"/>
          <a:lstStyle/>
          <a:p>
            <a:pPr algn="ctr"/>
            <a:endParaRPr lang="zh-CN" altLang="en-US"/>
          </a:p>
        </p:txBody>
      </p:sp>
      <p:pic>
        <p:nvPicPr>
          <p:cNvPr id="4" name="Picture 3" descr=""/>
          <p:cNvPicPr>
            <a:picLocks noChangeAspect="0" noChangeArrowheads="0"/>
          </p:cNvPicPr>
          <p:nvPr/>
        </p:nvPicPr>
        <p:blipFill>
          <a:blip r:embed="rId2">
            <a:alphaModFix amt="50000"/>
          </a:blip>
          <a:srcRect/>
          <a:stretch>
            <a:fillRect/>
          </a:stretch>
        </p:blipFill>
        <p:spPr bwMode="auto">
          <a:xfrm>
            <a:off x="3810000" y="635000"/>
            <a:ext cx="508000" cy="381000"/>
          </a:xfrm>
          <a:prstGeom prst="rect">
            <a:avLst/>
          </a:prstGeom>
          <a:noFill/>
        </p:spPr>
      </p:pic>
    </p:spTree>
  </p:cSld>
  <p:clrMapOvr>
    <a:masterClrMapping/>
  </p:clrMapOvr>
</p:sld>)"));
}

TEST(KXPPTXSlide, TextBoxTurnsAndHoldsAtLeastOneParagraph) {
    struct Case {
        double rotation;
        const char* xfrm;  // the start tag and the extent that follow
        const char* ext;
    };
    const Case cases[] = {
        {0, "<a:xfrm>", "<a:ext cx=\"2667000\" cy=\"381000\"/>"},
        {89, "<a:xfrm rot=\"5340000\">", "<a:ext cx=\"2667000\" cy=\"381000\"/>"},
        {90, "<a:xfrm rot=\"5400000\">", "<a:ext cx=\"381000\" cy=\"2667000\"/>"},
        {270, "<a:xfrm rot=\"16200000\">", "<a:ext cx=\"381000\" cy=\"2667000\"/>"},
        {357, "<a:xfrm rot=\"21420000\">", "<a:ext cx=\"2667000\" cy=\"381000\"/>"},
    };
    for (const Case& c : cases) {
        std::string text = shapeText(*textBox(c.rotation));
        EXPECT_NE(text.find(c.xfrm), std::string::npos) << c.rotation << "\n" << text;
        EXPECT_NE(text.find(c.ext), std::string::npos) << c.rotation << "\n" << text;
    }
    // A box whose paragraphs have no runs still holds the paragraph a text body needs.
    KXPPTXTextbox empty;
    empty.paragraphs().push_back(std::make_unique<KXPPTXParagraph>());
    std::string text = shapeText(empty);
    EXPECT_NE(text.find("<a:lstStyle/>\n\t\t\t<a:p/>\n\t\t</p:txBody>"), std::string::npos) << text;
}

TEST(KXPPTXSlide, RunsAndParagraphsKeepTheirValuesInRange) {
    struct Case {
        const char* what;
        std::function<void(KXPPTXParagraph&, KXPPTXRun&)> change;
        const char* want;
    };
    const Case cases[] = {
        {"a size of 10.5 points", [](KXPPTXParagraph&, KXPPTXRun& r) { r.rProperty.sz = 10.5f; }, "sz=\"1050\""},
        {"no size", [](KXPPTXParagraph&, KXPPTXRun& r) { r.rProperty.sz = 0; }, "sz=\"100\""},
        {"a size beyond 4000 points", [](KXPPTXParagraph&, KXPPTXRun& r) { r.rProperty.sz = 5000; }, "sz=\"400000\""},
        {"a colour that is no colour", [](KXPPTXParagraph&, KXPPTXRun& r) { r.rProperty.rgbColor = "#12345"; },
         "<a:solidFill/>"},
        {"a left margin", [](KXPPTXParagraph& p, KXPPTXRun&) { p.pProperty().marL = 36; }, "<a:pPr marL=\"457200\">"},
        {"a margin left of the box", [](KXPPTXParagraph& p, KXPPTXRun&) { p.pProperty().marL = -5; },
         "<a:pPr marL=\"0\">"},
        {"a tab stop", [](KXPPTXParagraph& p, KXPPTXRun&) { p.pProperty().tabList.pos = 10; },
         "<a:tabLst>\n\t\t\t<a:tab pos=\"127000\" algn=\"l\"/>"},
        {"a line spacing that is not a number",
         [](KXPPTXParagraph& p, KXPPTXRun&) { p.pProperty().lnSpc = std::numeric_limits<double>::quiet_NaN(); },
         "<a:spcPts val=\"0\"/>"},
        {"a line spacing beyond 1584 points", [](KXPPTXParagraph& p, KXPPTXRun&) { p.pProperty().lnSpc = 5000; },
         "<a:spcPts val=\"158400\"/>"},
        {"a tab stop beyond a 32-bit length", [](KXPPTXParagraph& p, KXPPTXRun&) { p.pProperty().tabList.pos = 1e6; },
         "<a:tab pos=\"2147483647\""},
    };
    for (const Case& c : cases) {
        KXPPTXParagraph paragraph;
        paragraph.runArray().push_back(run(u"x", 12, "00ff00"));
        c.change(paragraph, *paragraph.runArray().back());
        auto w = XMLFileWriter::initInMemory();
        w->setPrefix("a", "http://schemas.openxmlformats.org/drawingml/2006/main");
        EXPECT_TRUE(paragraph.writeParagraphWithXMLWriter(*w));
        w->writeEndDocument();
        std::string text = w->toString().value_or("");
        EXPECT_NE(text.find(c.want), std::string::npos) << c.what << "\n" << text;
    }
    KXPPTXParagraph none;
    auto w = XMLFileWriter::initInMemory();
    EXPECT_FALSE(none.writeParagraphWithXMLWriter(*w));
    EXPECT_EQ(w->toString(), "");
}

// Every number a shape writes stays inside its attribute's range, so that no input (not a number,
// huge or negative sizes) makes a slide the schema refuses.
TEST(KXPPTXSlide, ShapesKeepTheirValuesInRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        std::function<std::unique_ptr<KXPPTXShape>()> shape;
        const char* want;
    };
    const Case cases[] = {
        {"a line 2000 points wide",
         [] {
             auto f = triangle();
             f->spInfo().setStrokeweight(2000);
             return f;
         },
         "<a:ln w=\"20116800\""},
        {"a fill more than opaque",
         [] {
             auto f = triangle();
             f->spInfo().setFillAlpha(1.5f);
             return f;
         },
         "<a:srgbClr val=\"ff0000\">\n\t\t\t\t\t<a:alpha val=\"100000\"/>"},
        {"a freeform of negative width, far off the slide",
         [] {
             auto f = triangle();
             f->spInfo().setDisplayRect(kx::Rect(1e12, -1e12, -100, 80));
             return f;
         },
         "<a:off x=\"27273042316900\" y=\"-27273042329600\"/>\n\t\t\t\t<a:ext cx=\"0\" cy=\"1016000\"/>"},
        {"a picture less than transparent",
         [] {
             auto p = picture();
             KXPPTXImageInfo info = p->pictInfo();
             info.opacity = -0.5f;
             p->setPictInfo(info);
             return p;
         },
         "<a:alphaModFix amt=\"0\"/>"},
        {"a text box turned by no number",
         [nan] {
             auto b = textBox(0);
             KXPPTXTextBoxInfo info = b->spInfo();
             info.rotation = nan;
             b->setSpInfo(info);
             return b;
         },
         "<a:xfrm rot=\"0\">"},
    };
    for (const Case& c : cases) {
        std::string text = shapeText(*c.shape());
        EXPECT_NE(text.find(c.want), std::string::npos) << c.what << "\n" << text;
    }
}

TEST(KXPPTXSlide, FreeformDashesInTheirOwnUnit) {
    struct Case {
        const char* what;
        std::vector<double> pattern;
        const char* want;
    };
    // The line is 2 points wide: a 6-point dash is 300 percent of it.
    const Case cases[] = {
        {"no dash", {}, "<a:prstDash val=\"solid\"/>"},
        {"two lengths", {6, 2}, "<a:prstDash val=\"dash\"/>"},
        {"six lengths", {6, 2, 1, 2, 1, 2}, "<a:prstDash val=\"lgDashDotDot\"/>"},
        {"four lengths", {6, 2, 1, 2},
         "<a:custDash>\n\t<a:ds d=\"300000\" sp=\"100000\"/>\n\t<a:ds d=\"50000\" sp=\"100000\"/>\n</a:custDash>"},
        {"one length, repeated", {3},
         "<a:custDash>\n\t<a:ds d=\"150000\" sp=\"150000\"/>\n</a:custDash>"},
        {"three lengths, repeated", {4, 1, 2},
         "<a:custDash>\n\t<a:ds d=\"200000\" sp=\"50000\"/>\n\t<a:ds d=\"100000\" sp=\"200000\"/>\n"
         "\t<a:ds d=\"50000\" sp=\"100000\"/>\n</a:custDash>"},
        {"negative and huge lengths", {-1, 1e30, 2, 2},
         "<a:custDash>\n\t<a:ds d=\"0\" sp=\"2147483647\"/>\n\t<a:ds d=\"100000\" sp=\"100000\"/>\n</a:custDash>"},
    };
    for (const Case& c : cases) {
        auto shape = triangle();
        shape->spInfo().setStrokeDashPattern(c.pattern);
        std::string text = shapeText(*shape);
        // Compare without the indentation of the surrounding shape.
        std::string flat;
        for (char ch : text)
            if (ch != '\t') flat += ch;
        std::string want;
        for (const char* p = c.want; *p; ++p)
            if (*p != '\t') want += *p;
        EXPECT_NE(flat.find(want), std::string::npos) << c.what << "\n" << text;
    }
}

TEST(KXPPTXSlide, FreeformGeometryOfDotsAndClosedOutlines) {
    // A dot: a box without width or height still gives guides that divide by a length.
    auto dot = std::make_unique<KXPPTXFreeform>();
    kx::Path point;
    point.moveTo({50, 50});
    point.lineTo({50, 50});
    dot->setRunCGPath(point);
    dot->spInfo().setDisplayRect(kx::Rect(50, 50, 0, 0));
    std::string text = shapeText(*dot);
    EXPECT_EQ(text.find(" w 0\""), std::string::npos) << text;
    EXPECT_EQ(text.find(" h 0\""), std::string::npos) << text;
    EXPECT_NE(text.find("fmla=\"*/ 0 w 1\""), std::string::npos) << text;
    EXPECT_NE(text.find("<a:path w=\"1\" h=\"1\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<a:ext cx=\"0\" cy=\"0\"/>"), std::string::npos) << text;

    // Two closed squares: each sub-path is closed, so a stroked outline keeps every side; a curve
    // gives its three points.
    auto squares = std::make_unique<KXPPTXFreeform>();
    kx::Path path;
    path.addRect(kx::Rect(0, 0, 10, 10));
    path.addRect(kx::Rect(20, 0, 10, 10));
    path.moveTo({0, 20});
    path.curveTo({5, 30}, {10, 30}, {15, 20});
    squares->setRunCGPath(path);
    squares->spInfo().setDisplayRect(kx::Rect(0, 0, 30, 30));
    text = shapeText(*squares);
    size_t closes = 0;
    for (size_t at = text.find("<a:close/>"); at != std::string::npos; at = text.find("<a:close/>", at + 1)) ++closes;
    EXPECT_EQ(closes, 2u) << text;
    EXPECT_NE(text.find("<a:cubicBezTo>\n\t\t\t\t\t\t\t<a:pt x=\"63500\" y=\"381000\"/>\n\t\t\t\t\t\t\t<a:pt "
                        "x=\"127000\" y=\"381000\"/>\n\t\t\t\t\t\t\t<a:pt x=\"190500\" y=\"254000\"/>"),
              std::string::npos)
        << text;
    // Connection sites for every element with points (the closes have none), numbered by element.
    EXPECT_NE(text.find("<a:gd name=\"connsiteX11\""), std::string::npos) << text;
    EXPECT_EQ(text.find("<a:gd name=\"connsiteX4\""), std::string::npos) << text;
}

TEST(KXPPTXSlide, PictureTurnsFlipsAndFades) {
    struct Case {
        float rotation;
        bool flipX, flipY;
        float opacity;
        const char* xfrm;
        bool faded;
    };
    const Case cases[] = {
        {0, false, false, 1, "<a:xfrm>", false},
        {90, false, true, 1, "<a:xfrm rot=\"5400000\" flipV=\"1\">", false},
        {180, true, false, 0.25f, "<a:xfrm rot=\"10800000\" flipH=\"1\">", true},
    };
    for (const Case& c : cases) {
        auto pic = picture();
        KXPPTXImageInfo info = pic->pictInfo();
        info.rotation = c.rotation;
        info.flipX = c.flipX;
        info.flipY = c.flipY;
        info.opacity = c.opacity;
        pic->setPictInfo(info);
        std::string text = shapeText(*pic);
        EXPECT_NE(text.find(c.xfrm), std::string::npos) << c.rotation << "\n" << text;
        EXPECT_EQ(text.find("alphaModFix") != std::string::npos, c.faded) << c.rotation;
        if (c.faded) {
            EXPECT_NE(text.find("amt=\"25000\""), std::string::npos) << text;
        }
    }
}

TEST(KXPPTXSlide, ShapeIdsAreUniqueOnTheSlide) {
    KXOutputWriter package;
    KXPPTXPage page(1, package);
    page.begainWritePage(1);
    page.addShape(textBox(0));
    page.addShape(textBox(0));
    page.addShape(triangle());
    page.addShape(picture());
    page.addShape(triangle());
    std::string text = slideText(page);
    for (const char* id : {"id=\"1\" name=\"\"", "id=\"2\" name=\"TextBox 1\"", "id=\"3\" name=\"TextBox 2\"",
                           "id=\"4\" name=\"Freeform 3\"", "id=\"5\" name=\"Picture 4\"", "id=\"6\" name=\"Freeform 5\""})
        EXPECT_NE(text.find(id), std::string::npos) << id;
    // An empty slide still has its shape tree and colour mapping.
    KXPPTXPage emptyPage(2, package);
    emptyPage.begainWritePage(2);
    text = slideText(emptyPage);
    EXPECT_NE(text.find("<p:grpSpPr>"), std::string::npos);
    EXPECT_NE(text.find("<a:masterClrMapping/>"), std::string::npos);
}

TEST(KXPPTXSlide, RelationshipsAndTheTextBoxCache) {
    KXOutputWriter package;
    KXPPTXPage page(3, package);
    page.begainWritePage(3);
    EXPECT_EQ(page.partName(), "/ppt/slides/slide3.xml");
    ASSERT_EQ(page.pageRelsArr().size(), 1u);
    EXPECT_EQ(page.pageRelsArr()[0].Id, "rId1");
    EXPECT_EQ(page.pageRelsArr()[0].Target, "../slideLayouts/slideLayout1.xml");
    EXPECT_FALSE(page.findExistRelsWithImagePath("/ppt/media/image1.png"));
    EXPECT_EQ(page.addNewRelsWithImagePath("/ppt/media/image1.png"), "rId2");
    EXPECT_EQ(page.addNewRelsWithImagePath("/ppt/media/image2.jpeg"), "rId3");
    // Matched by the last component of the path.
    EXPECT_EQ(page.findExistRelsWithImagePath("/elsewhere/image1.png"), "rId2");
    EXPECT_EQ(page.pageRelsArr()[2].Target, "../media/image2.jpeg");

    // A new paragraph on an empty cache leaves two; the width is the widest margin plus text.
    EXPECT_EQ(page.cachedTextBoxWidthMax(), 0);
    EXPECT_EQ(page.cachedTextBoxHeight(), 0);
    KXPPTXParagraph& second = page.cachedTextBoxNewParagraph();
    EXPECT_EQ(page.cachedTextBoxParagraphs().size(), 2u);
    second.pProperty().marL = 5;
    second.pProperty().lnSpc = 12;
    second.runArray().push_back(run(u"a", 12, nullptr));
    second.runArray().back()->textWidth = 10;
    KXPPTXParagraph& third = page.cachedTextBoxNewParagraph();
    EXPECT_EQ(third.pProperty().marL, 5);  // copied from the last paragraph
    third.pProperty().marL = 0;
    third.pProperty().lnSpc = 14;
    third.runArray().push_back(run(u"b", 12, nullptr));
    third.runArray().back()->textWidth = 30;
    EXPECT_EQ(&page.cachedTextBoxLastParagraph(), &third);
    EXPECT_EQ(page.cachedTextBoxWidthMax(), 30);
    EXPECT_EQ(page.cachedTextBoxHeight(), 26);
}
