// Path runs written as VML shapes: the path text, the shape's place and paint, thin bars as lines,
// and shape ids after the reading position.

#include <gtest/gtest.h>

#include "PathRunFixtures.h"
#include "docx/model/KXDocxCounters.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace kx::test;

namespace {

// What the run writes inside a root that binds the prefixes of the document part.
std::string shapeXML(KXDocxRunPath& run) {
    static int counter = 0;
    const std::string path = kx::pathJoin(tempDir(), "path-shape-" + std::to_string(++counter) + ".xml");
    auto writer = XMLFileWriter::initWithPath(path);
    EXPECT_TRUE(writer);
    if (!writer) return {};
    writer->setIndentation("");
    writer->setLineBreak("");
    writer->setPrefix("w", KXOpenXMLNameSpace::nameSpace_w());
    writer->setPrefix("v", KXOpenXMLNameSpace::nameSpace_v());
    writer->setPrefix("o", KXOpenXMLNameSpace::nameSpace_o());
    writer->setPrefix("w10", KXOpenXMLNameSpace::nameSpace_w10());
    writer->writeStartElementWithNamespace(KXOpenXMLNameSpace::nameSpace_w(), "root");
    run.writeWithXMLWriter(*writer);
    writer->writeEndDocument();
    const std::string raw = kx::readFile(path).value_or("");
    const size_t start = raw.find("<w:r>"), end = raw.rfind("</w:root>");
    return start == std::string::npos || end == std::string::npos ? raw : raw.substr(start, end - start);
}


}  // namespace

TEST(KXDocxRunPathWriting, PathText) {
    kx::Path square = rectPath(10, 20, 5, 5);
    kx::Path movesOnly;
    movesOnly.moveTo({1, 1});
    movesOnly.moveTo({2, 2});
    kx::Path curve;
    curve.moveTo({0, 0});
    curve.curveTo({0, 1}, {1, 1.5}, {2, 0});
    kx::Path quad;
    quad.moveTo({0, 0});
    quad.quadTo({3, 3}, {6, 0});
    kx::Path twoLines = linePath(0, 0, 1, 0);
    twoLines.moveTo({0, 5});
    twoLines.moveTo({0, 6});
    twoLines.lineTo({1, 6});
    struct Case {
        const char* name;
        kx::Path path;
        const char* text;
    };
    const Case cases[] = {
        {"closed square", square, "m200,400l300,400l300,500l200,500xe"},
        {"moves only", movesOnly, "e"},
        {"empty", kx::Path(), "e"},
        {"cubic curve", curve, "m0,0c0,20,20,30,40,0e"},
        {"quadratic curve raised to cubic", quad, "m0,0c40,40,80,40,120,0e"},
        {"a move followed by a move", twoLines, "m0,0l20,0m0,120l20,120e"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KXDocxRunPath::VMLPathString(c.path), c.text);
    }
}

TEST(KXDocxRunPathWriting, StrokedLineShape) {
    auto run = pathRun(linePath(72, 100, 144, 100), stroked(1), 7);
    run->setPictZIndex(3);
    const std::string xml = shapeXML(*run);
    EXPECT_NE(xml.find("<w:pict><v:shapetype id=\"Shape7\" coordorigin=\"1440,1990\" coordsize=\"1440,20\" "
                       "o:spt=\"12\" path=\"m1440,2000l2880,2000e\"><v:stroke joinstyle=\"miter\"/></v:shapetype>"
                       "<v:shape id=\"WS_Shape7\" type=\"Shape7\" coordorigin=\"1440,1990\" coordsize=\"1440,20\" "
                       "path=\"m1440,2000l2880,2000e\" style=\"position:absolute;left:0;text-align:left;"
                       "margin-left:71.00pt;margin-top:98.50pt;width:74.00pt;height:3.00pt;"
                       "mso-position-horizontal-relative:page;mso-position-vertical-relative:page;z-index:3\" "
                       "filled=\"f\" stroked=\"t\" strokeweight=\"1.00pt\" strokecolor=\"#000000\">"
                       "<v:fill opacity=\"0\"/><w10:wrap type=\"none\"/></v:shape></w:pict></w:r>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.rfind("<w:r><w:rPr>", 0), 0u) << "the run properties come first";
}

TEST(KXDocxRunPathWriting, PaintAttributes) {
    struct Case {
        const char* name;
        std::shared_ptr<KXDocxRunPath> run;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    Paint half = filled({1, 0, 0, 1});
    half.fillAlpha = 0.5f;
    Paint dashed = stroked(1, {0, 0, 1, 1});
    dashed.dash = {3, 3};
    dashed.strokeAlpha = 0.25f;
    auto phased = pathRun(linePath(10, 10, 110, 10), [] {
        Paint p = stroked(1);
        p.dash = {6, 3};
        return p;
    }());
    phased->pictInfo()->setStrokeDashPhase(2);
    Paint both = filled({0, 1, 0, 1});
    both.stroke = true;
    both.weight = 0.001;
    const Case cases[] = {
        {"half-transparent fill", pathRun(rectPath(10, 10, 20, 20), half),
         {"filled=\"t\" fillcolor=\"#FF0000\" stroked=\"f\"", "<v:fill type=\"solid\"/><v:fill opacity=\"32896f\"/>"},
         {"<v:stroke opacity", "dashstyle"}},
        {"opaque fill", pathRun(rectPath(10, 10, 20, 20), filled()), {"<v:fill type=\"solid\"/>"}, {"opacity"}},
        {"dashed, faint stroke", pathRun(linePath(10, 10, 110, 10), dashed),
         {"strokecolor=\"#0000FF\"", "<v:stroke opacity=\"16448f\"/><v:stroke dashstyle=\"dash\"/>"},
         {"dashPhase"}},
        {"long dashes with their phase", phased, {"<v:stroke dashstyle=\"longDash\" dashPhase=\"2\"/>"}, {"<v:stroke opacity"}},
        {"hairline weight", pathRun(rectPath(10, 10, 20, 20), both), {"strokeweight=\"0.01pt\""}, {}},
        {"thin filled bar",
         pathRun(rectPath(100, 50, 0.5, 30), filled({0, 0, 1, 1})),
         {"path=\"m2000,1000l2000,1600e\"", "filled=\"f\" stroked=\"t\" strokeweight=\"0.50pt\" strokecolor=\"#0000FF\""},
         {"fillcolor"}},
        {"flat filled bar", pathRun(rectPath(100, 50, 30, 0.8), filled()),
         {"path=\"m2000,1000l2600,1000e\"", "strokeweight=\"0.80pt\""}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string xml = shapeXML(*c.run);
        for (const std::string& s : c.present) EXPECT_NE(xml.find(s), std::string::npos) << s << "\n" << xml;
        for (const std::string& s : c.absent) EXPECT_EQ(xml.find(s), std::string::npos) << s << "\n" << xml;
    }
}

TEST(KXDocxRunPathWriting, ShapeIdsNameTheReadingPosition) {
    for (std::uint64_t scan : {0u, 12u}) {
        auto run = pathRun(linePath(10, 10, 100, 10), stroked(1), scan);
        const std::string xml = shapeXML(*run);
        const std::string id = "Shape" + std::to_string(scan);
        EXPECT_NE(xml.find("<v:shapetype id=\"" + id + "\""), std::string::npos) << xml;
        EXPECT_NE(xml.find("<v:shape id=\"WS_" + id + "\" type=\"" + id + "\""), std::string::npos) << xml;
    }
}

TEST(KXDocxRunPathWriting, DocumentCountersStartAgainWithEachDocument) {
    KXDocxCounters::sharedInstance().begainWriteDocument();
    KXDocxCounters::sharedInstance().nextVMLShapeIndex();
    KXDocxCounters::sharedInstance().nextShapeZIndex();
    KXDocxCounters::sharedInstance().begainWriteDocument();
    EXPECT_EQ(KXDocxCounters::sharedInstance().nextVMLShapeIndex(), 0u);
    EXPECT_EQ(KXDocxCounters::sharedInstance().nextShapeZIndex(), -251657498);
    EXPECT_EQ(KXDocxCounters::sharedInstance().nextShapeZIndex(), -251657497);
    EXPECT_EQ(KXDocxCounters::sharedInstance().nextPictZIndex(), 1);
}
