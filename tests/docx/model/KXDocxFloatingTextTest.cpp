// Floating text: the placement record, text boxes and text along a path as VML shapes, and the
// shape types and shape ids of a document part.

#include <gtest/gtest.h>

#include <set>

#include "DocxModelFixtures.h"
#include "DocxPictFixtures.h"
#include "docx/model/KXDocxRunTextBox.h"
#include "docx/model/KXDocxRunTextPath.h"

using kx::test::attributeValues;
using kx::test::beginVMLDocument;
using kx::test::occurrences;
using kx::test::vmlFragment;

namespace {

std::shared_ptr<KXDocxRunTextBox> box(kx::Rect frame, double rotation) {
    auto run = std::make_shared<KXDocxRunTextBox>();
    KXDocxTextBoxInfo info;
    info.setDisplayFrame(frame);
    info.rotation = rotation;
    run->setPictInfo(info);
    return run;
}

std::string styleOf(const std::string& xml) {
    const std::vector<std::string> styles = attributeValues(xml, "style");
    return styles.empty() ? std::string() : styles.front();
}

// The value of a style entry ("margin-left") in a VML style string; empty when absent.
std::string entry(const std::string& style, const std::string& name) {
    const size_t at = style.find(name + ":");
    if (at == std::string::npos) return {};
    const size_t begin = at + name.size() + 1;
    return style.substr(begin, style.find(';', begin) - begin);
}

}  // namespace

TEST(KXDocxRunPictInfo, FreshRecordAndDescription) {
    KXDocxRunPictInfo info;
    EXPECT_TRUE(info.pdfTransform == kx::AffineTransform::identity());
    EXPECT_EQ(info.displayFrame(), kx::Rect::zero());
    EXPECT_EQ(info.wrapType, 0);
    info.setDisplayFrame({1.5, 2, 30, 40.25});
    EXPECT_EQ(info.description(), "\ndisplayX: 1.500000\r\ndisplayY: 2.000000\r\ndisplayWidth: 30.000000\r\n"
                                  "displayHeight: 40.250000");
    // A copy of a style record keeps its style with its frame.
    KXDocxTextBoxInfo styled;
    styled.setDisplayFrame({5, 6, 7, 8});
    styled.filled = true;
    styled.fillcolor = kx::Color::rgb(1, 0, 0);
    styled.rotation = 90;
    const KXDocxTextBoxInfo copy = styled;
    EXPECT_EQ(copy.displayFrame(), styled.displayFrame());
    EXPECT_TRUE(copy.filled);
    EXPECT_EQ(copy.fillcolorString(), "#FF0000");
    EXPECT_EQ(copy.rotation, 90);
    KXDocxRunPict plain;
    EXPECT_EQ(plain.displayRect(), kx::Rect::zero());
}

TEST(KXDocxTextBoxInfo, StringForms) {
    struct Case {
        const char* name;
        std::optional<kx::Color> color;
        std::optional<std::string> expected;
    } cases[] = {
        {"none", std::nullopt, std::nullopt},
        {"grey half rounds up", kx::Color::gray(0.5), "#808080"},
        {"rgb", kx::Color::rgb(1, 0.2, 0), "#FF3300"},
        {"out of range held", kx::Color::rgb(2, -1, 0.999), "#FF00FF"},
    };
    for (const Case& c : cases) EXPECT_EQ(KXDocxTextBoxInfo::colorString(c.color), c.expected) << c.name;

    KXDocxTextBoxInfo info;
    EXPECT_EQ(info.strokeDashPatternString(), std::nullopt);
    info.strokeDashPattern = {3, 1.5};
    EXPECT_EQ(info.strokeDashPatternString(), "3 1");
    info.strokeDashPhase = 4;
    EXPECT_EQ(info.strokeDashPhaseString(), "4");
    EXPECT_EQ(info.strokeColorKX().red, 0) << "no colour is black";
    EXPECT_EQ(info.strokeColorKX().alpha, 255);
}

TEST(KXDocxRunTextBox, RotationOfBoxes) {
    struct Case {
        const char* name;
        std::vector<double> rotations;
        int expected;
    } cases[] = {
        {"no boxes", {}, 0},
        {"near a quarter turn", {88, 92, 181}, 90},
        {"bounds are strict", {85, 95, 85}, 0},
        {"upside down", {180, 176, 90}, 180},
        {"up the page", {270, 266, 274, 0}, 270},
        {"level boxes outnumber", {0, 0, 0, 90, 90}, 0},
        {"a tie goes to the earlier group", {90, 270}, 90},
    };
    for (const Case& c : cases) {
        std::vector<std::shared_ptr<KXDocxRunTextBox>> boxes;
        for (double r : c.rotations) boxes.push_back(box({0, 0, 10, 10}, r));
        EXPECT_EQ(KXDocxRunTextBox::RotationOfRunTextBoxArray(boxes), c.expected) << c.name;
    }
}

// A turned box is placed by the corner where its text starts, and its text flows the turned way.
TEST(KXDocxRunTextBox, PlacementAndFlowByRotation) {
    struct Case {
        const char* name;
        double rotation;
        const char* left;
        const char* top;
        const char* textboxStyle;
        bool turnedHalf;
    } cases[] = {
        {"level", 0, "300pt", "100pt", "mso-fit-shape-to-text:t", false},
        {"down the page", 90, "260pt", "100pt", "layout-flow:vertical", false},
        {"upside down", 180, "260pt", "-100pt", "layout-flow:horizontal;mso-layout-flow-alt:left-to-right", true},
        {"up the page", 270, "300pt", "-100pt", "layout-flow:vertical;mso-layout-flow-alt:bottom-to-top", false},
        {"near a quarter turn stays level", 89.5, "300pt", "100pt", "mso-fit-shape-to-text:t", false},
    };
    for (const Case& c : cases) {
        beginVMLDocument();
        auto run = box({300, 100, 40, 200}, c.rotation);
        const std::string xml = vmlFragment([&](XMLFileWriter& w) { run->_writeTextBox(w); });
        const std::string style = attributeValues(xml.substr(xml.find("<v:shape ")), "style").front();
        EXPECT_EQ(entry(style, "margin-left"), c.left) << c.name;
        EXPECT_EQ(entry(style, "margin-top"), c.top) << c.name;
        EXPECT_EQ(entry(style, "width"), "40pt") << c.name;
        EXPECT_EQ(entry(style, "height"), "200pt") << c.name;
        EXPECT_EQ(entry(style, "rotation"), c.turnedHalf ? "180" : "") << c.name;
        EXPECT_NE(xml.find("<v:textbox style=\"" + std::string(c.textboxStyle) + "\" inset=\"0pt,0pt,0pt,0pt\">"),
                  std::string::npos)
            << c.name << "\n" << xml;
    }
}

// Every shape of a document part has an id and an o:spid of its own; each shape type is defined
// once, before the first shape that names it; a new document defines them again.
TEST(KXDocxVMLShapeTypes, ShapesUniqueAndTypesDefinedOnceBeforeUse) {
    beginVMLDocument();
    auto b1 = box({10, 10, 50, 20}, 0), b2 = box({10, 40, 50, 20}, 90);
    auto p1 = std::make_shared<KXDocxRunTextPath>(), p2 = std::make_shared<KXDocxRunTextPath>();
    p1->setRunText(u"one");
    p2->setRunText(u"two");
    const std::string xml = vmlFragment([&](XMLFileWriter& w) {
        b1->writeWithXMLWriter(w);
        p1->writeWithXMLWriter(w);
        b2->writeWithXMLWriter(w);
        p2->writeWithXMLWriter(w);
    });
    for (const char* type : {"_x0000_t202", "_x0000_t136"}) {
        const std::string definition = "<v:shapetype id=\"" + std::string(type) + "\"";
        EXPECT_EQ(occurrences(xml, definition), 1u) << type;
        EXPECT_LT(xml.find(definition), xml.find("type=\"#" + std::string(type) + "\"")) << type;
    }
    EXPECT_EQ(occurrences(xml, "<v:shape "), 4u);
    for (const char* attribute : {"id", "o:spid"}) {
        std::vector<std::string> values;
        for (size_t at = xml.find("<v:shape "); at != std::string::npos; at = xml.find("<v:shape ", at + 1)) {
            const std::string tag = xml.substr(at, xml.find('>', at) - at);
            const std::vector<std::string> found = attributeValues(tag, attribute);
            ASSERT_EQ(found.size(), 1u) << attribute << " in " << tag;
            values.push_back(found.front());
        }
        EXPECT_EQ(std::set<std::string>(values.begin(), values.end()).size(), values.size()) << attribute;
    }
    // The picture frame's type is written when first asked for, and once.
    const std::string frames = vmlFragment([](XMLFileWriter& w) {
        auto& types = KXDocxVMLShapeTypes::sharedInstance();
        EXPECT_EQ(types.writeShapeTypeIfNeed(w, KXDocxVMLShapeTypes::Kind::PictureFrame), "#_x0000_t75");
        EXPECT_EQ(types.writeShapeTypeIfNeed(w, KXDocxVMLShapeTypes::Kind::PictureFrame), "#_x0000_t75");
    });
    EXPECT_EQ(occurrences(frames, "<v:shapetype id=\"_x0000_t75\""), 1u);
    // The next document part starts without definitions.
    beginVMLDocument();
    const std::string next = vmlFragment([&](XMLFileWriter& w) { b1->writeWithXMLWriter(w); });
    EXPECT_EQ(occurrences(next, "<v:shapetype id=\"_x0000_t202\""), 1u);
}

// Fill and outline: no attribute without a value, the outline's dash without a phase attribute.
TEST(KXDocxRunTextBox, FillAndOutline) {
    struct Case {
        const char* name;
        bool filled, stroked;
        std::optional<kx::Color> fill, stroke;
        std::vector<double> dash;
        std::int64_t phase;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"filled without a colour", true, false, std::nullopt, std::nullopt, {}, 0,
         {"filled=\"t\"", "stroked=\"f\""}, {"fillcolor=", "strokeweight="}},
        {"filled in red", true, false, kx::Color::rgb(1, 0, 0), std::nullopt, {}, 0, {"fillcolor=\"#FF0000\""}, {}},
        {"not filled writes no colour", false, false, kx::Color::rgb(1, 0, 0), std::nullopt, {}, 0,
         {"filled=\"f\""}, {"fillcolor="}},
        {"solid outline", false, true, std::nullopt, kx::Color::rgb(0, 0, 1), {}, 0,
         {"strokeweight=\"2pt\"", "strokecolor=\"#0000FF\""}, {"<v:stroke"}},
        {"dashed outline with a phase", false, true, std::nullopt, std::nullopt, {6, 3}, 4,
         {"<v:stroke dashstyle="}, {"dashPhase", "strokecolor="}},
        {"a pattern without an outline", false, false, std::nullopt, std::nullopt, {6, 3}, 0, {}, {"<v:stroke"}},
    };
    for (const Case& c : cases) {
        beginVMLDocument();
        auto run = box({0, 0, 100, 20}, 0);
        KXDocxTextBoxInfo& info = run->pictInfo();
        info.filled = c.filled;
        info.stroked = c.stroked;
        info.fillcolor = c.fill;
        info.strokecolor = c.stroke;
        info.strokeweight = 2;
        info.strokeDashPattern = c.dash;
        info.strokeDashPhase = c.phase;
        const std::string written = vmlFragment([&](XMLFileWriter& w) { run->_writeTextBox(w); });
        const std::string xml = written.substr(written.find("<v:shape "));
        for (const std::string& s : c.present) EXPECT_NE(xml.find(s), std::string::npos) << c.name << ": " << s;
        for (const std::string& s : c.absent) EXPECT_EQ(xml.find(s), std::string::npos) << c.name << ": " << s;
        EXPECT_EQ(xml.find("=\"\""), std::string::npos) << c.name << ": an attribute without a value\n" << xml;
    }
}

TEST(KXDocxRunTextBox, ContentOfTheBox) {
    beginVMLDocument();
    auto empty = box({0, 0, 10, 10}, 0);
    const std::string blank = vmlFragment([&](XMLFileWriter& w) { empty->_writeParagraphs(w); });
    EXPECT_EQ(blank, "<w:p><w:pPr><w:rPr><w:sz w:val=\"12\"/><w:szCs w:val=\"12\"/></w:rPr></w:pPr></w:p>");

    auto filled = box({0, 0, 10, 10}, 90);
    auto paragraph = std::make_shared<KXDocxParagraph>();
    paragraph->addRunTextArray({kx::test::makeRun({.text = u"Up"}), kx::test::makeRun({.text = u"right", .x = 6})});
    filled->paragraphArray().push_back(paragraph);
    EXPECT_EQ(filled->allRunTextArray().size(), 2u);
    const std::string xml = vmlFragment([&](XMLFileWriter& w) { filled->writeWithXMLWriter(w); });
    EXPECT_NE(xml.find("<w:txbxContent><w:p>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("Up"), std::string::npos);
    EXPECT_NE(xml.find("right"), std::string::npos);
}

TEST(KXDocxRunTextPath, WritesItsTextVisibly) {
    struct Case {
        const char* name;
        kx::Rect frame;
        double rotation;
        bool flipX, flipY;
        std::vector<std::string> styleHas;
        std::vector<std::string> styleLacks;
    } cases[] = {
        {"mirrored geometry with a negative height", {10, 20, 100, -12}, 0, false, true,
         {"margin-left:10.00pt;", "margin-top:20.00pt;", "height:12.00pt;", "flip:y;"}, {"rotation:"}},
        {"turned by a whole number of degrees", {0, 0, 50, 10}, 45.4, false, false, {"rotation:45;"}, {"flip"}},
        {"mirrored both ways", {0, 0, 50, 10}, 180, true, true, {"rotation:180;", "flip:x y;"}, {}},
        {"mirrored left to right", {0, 0, 50, 10}, 0, true, false, {"flip:x;"}, {"flip:x y"}},
    };
    for (const Case& c : cases) {
        beginVMLDocument();
        KXDocxRunTextPath run;
        run.setRunText(u"Say \"A&B\"");
        run.setPictZIndex(7);
        KXDocxTextPathInfo info;
        info.setDisplayFrame(c.frame);
        info.rotation = c.rotation;
        info.flipX = c.flipX;
        info.flipY = c.flipY;
        info.filled = true;
        info.fillcolor = kx::Color::rgb(0, 0.5, 0);
        info.stroked = true;
        info.strokeweight = 1;
        info.strokeDashPattern = {2, 2};
        run.setPictInfo(info);
        const std::string xml = vmlFragment([&](XMLFileWriter& w) { run.writeWithXMLWriter(w); });
        const std::string shape = xml.substr(xml.find("<v:shape "));
        const std::string style = styleOf(shape);
        for (const std::string& s : c.styleHas) EXPECT_NE(style.find(s), std::string::npos) << c.name << ": " << s;
        for (const std::string& s : c.styleLacks) EXPECT_EQ(style.find(s), std::string::npos) << c.name << ": " << s;
        EXPECT_TRUE(style.ends_with(";z-index:7")) << c.name << ": " << style;
        EXPECT_NE(shape.find("<v:path textpathok=\"t\"/>"), std::string::npos) << c.name;
        EXPECT_NE(shape.find("<v:textpath on=\"t\""), std::string::npos) << c.name;
        EXPECT_NE(shape.find("string=\"Say &quot;A&amp;B&quot;\""), std::string::npos) << c.name << shape;
        EXPECT_NE(shape.find("fillcolor=\"#008000\""), std::string::npos) << c.name;
        EXPECT_EQ(shape.find("<v:stroke"), std::string::npos) << c.name << ": the outline is solid";
    }
    // A copy keeps the text and the whole record.
    KXDocxRunTextPath original;
    original.setRunText(u"copy");
    KXDocxTextPathInfo info;
    info.rotation = 30;
    info.filled = true;
    original.setPictInfo(info);
    auto copy = std::dynamic_pointer_cast<KXDocxRunTextPath>(original.copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->runText(), u"copy");
    EXPECT_EQ(copy->pictInfo().rotation, 30);
    EXPECT_TRUE(copy->pictInfo().filled);
}
