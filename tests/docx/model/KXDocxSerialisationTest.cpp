// WordprocessingML serialisation of the property records: record values → exact XML, element order
// as the schema wants it, values the schema does not know, and locale independence.

#include <gtest/gtest.h>

#include <functional>

#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

using Body = std::function<void(XMLFileWriter&)>;

const std::string W(KXOpenXMLNameSpace::nameSpace_w());

// What the body writes inside a root element that binds "w", as written (with the layout).
std::string rawFragment(const Body& body) {
    static int counter = 0;
    std::string path = kx::pathJoin(kx::test::tempDir(), "fragment-" + std::to_string(++counter) + ".xml");
    auto writer = XMLFileWriter::initWithPath(path);
    EXPECT_TRUE(writer);
    if (!writer) return {};
    writer->setPrefix("w", W);
    writer->writeStartElementWithNamespace(W, "root");
    body(*writer);
    writer->writeEndDocument();
    std::string out = kx::readFile(path).value_or("");
    const std::string head = "\n<w:root xmlns:w=\"" + W + "\">", tail = "\n</w:root>";
    EXPECT_EQ(out.substr(0, head.size()), head);
    if (out.size() < head.size() + tail.size()) return out;
    return out.substr(head.size(), out.size() - head.size() - tail.size());
}

// The same without the line breaks and indentation (the writer's own tests cover the layout).
std::string fragment(const Body& body) {
    std::string raw = rawFragment(body), out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n') {
            while (i + 1 < raw.size() && raw[i + 1] == '\t') ++i;
            continue;
        }
        out.push_back(raw[i]);
    }
    return out;
}

std::string fonts(const std::string& name) {
    return "<w:rFonts w:ascii=\"" + name + "\" w:hAnsi=\"" + name + "\" w:cs=\"" + name + "\" w:eastAsia=\"" + name +
           "\"/>";
}
const std::string kTimes = fonts("Times New Roman");
const std::string kDefaultRPr =
    "<w:rPr>" + kTimes + "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/><w:noProof/></w:rPr>";

KXDocx_Border border(int val, float sz, KXDocx_Color color = {0, 0, 0, 255}, float space = 0, bool shadow = false) {
    return {val, sz, color, shadow, space};
}

template <typename Record>
struct Case {
    const char* what;
    std::function<void(Record&)> change;
    std::string want;
};

}  // namespace

TEST(KXDocxSerialisation, RunProperties) {
    const Case<KXDocx_RPr> cases[] = {
        {"default run: fonts, sizes, colour and noProof only", [](KXDocx_RPr&) {}, kDefaultRPr},
        {"bold drops \" Bold\" from the name and adds b and bCs",
         [](KXDocx_RPr& r) {
             r.rFonts.ascii = "Arial Bold";
             r.b = true;
         },
         "<w:rPr>" + fonts("Arial") +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/><w:b/><w:bCs/><w:noProof/></w:rPr>"},
        {"italic drops \" Italic\" and \" Oblique\"",
         [](KXDocx_RPr& r) {
             r.rFonts.ascii = "Sans Oblique Italic";
             r.i = true;
         },
         "<w:rPr>" + fonts("Sans") +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/><w:i/><w:noProof/></w:rPr>"},
        {"no font name", [](KXDocx_RPr& r) { r.rFonts.ascii.clear(); },
         "<w:rPr>" + fonts("Arial Unicode MS") +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/><w:noProof/></w:rPr>"},
        {"small superscript keeps 8 points, szCs the real size",
         [](KXDocx_RPr& r) {
             r.sz = 6;
             r.scrpit = 1;
         },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"16\"/><w:szCs w:val=\"12\"/><w:color w:val=\"000000\"/>"
             "<w:vertAlign w:val=\"superscript\"/><w:noProof/></w:rPr>"},
        {"a script code without a name is the baseline", [](KXDocx_RPr& r) { r.scrpit = 7; },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/>"
             "<w:vertAlign w:val=\"baseline\"/><w:noProof/></w:rPr>"},
        {"background near a highlight colour",
         [](KXDocx_RPr& r) {
             r.background = true;
             r.backgroundcolor = {254, 1, 0, 255};
         },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/>"
             "<w:highlight w:val=\"red\"/><w:noProof/></w:rPr>"},
        {"other backgrounds are shading",
         [](KXDocx_RPr& r) {
             r.background = true;
             r.backgroundcolor = {200, 100, 50, 255};
         },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/>"
             "<w:shd w:fill=\"C86432\" w:color=\"auto\" w:val=\"clear\"/><w:noProof/></w:rPr>"},
        {"underline in the text colour, strike-through",
         [](KXDocx_RPr& r) {
             r.color = {18, 52, 86, 255};
             r.u = 2;
             r.u_color = {255, 0, 0, 255};  // not used
             r.strikethrough = 1;
         },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"123456\"/>"
             "<w:u w:val=\"double\" w:color=\"123456\"/><w:strike w:val=\"true\"/><w:noProof/></w:rPr>"},
        {"an underline code without a name is a single line", [](KXDocx_RPr& r) { r.u = 3; },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/>"
             "<w:u w:val=\"single\" w:color=\"000000\"/><w:noProof/></w:rPr>"},
        {"negative spacing rounds away from zero; width in percent",
         [](KXDocx_RPr& r) {
             r.spacing = -0.01f;
             r.w = 90;
         },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/>"
             "<w:spacing w:val=\"-1\"/><w:w w:val=\"90\"/><w:noProof/></w:rPr>"},
        {"tiny positive spacing rounds to nothing; width held to the schema's 600",
         [](KXDocx_RPr& r) {
             r.spacing = 0.02f;
             r.w = 1000;
         },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/><w:color w:val=\"000000\"/><w:w w:val=\"600\"/>"
             "<w:noProof/></w:rPr>"},
        {"spacing of 1.5 points, odd sizes, channels held to 0..255",
         [](KXDocx_RPr& r) {
             r.spacing = 1.5f;
             r.sz = 10.5f;
             r.color = {300, -5, 16, 255};
         },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/><w:color w:val=\"FF0010\"/>"
             "<w:spacing w:val=\"30\"/><w:noProof/></w:rPr>"},
        {"a hostile size is held within a 32-bit number",
         [](KXDocx_RPr& r) { r.sz = 3.4e38f; },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"2147483647\"/><w:szCs w:val=\"2147483647\"/><w:color w:val=\"000000\"/><w:noProof/></w:rPr>"},
        {"a negative size is 0", [](KXDocx_RPr& r) { r.sz = -7; },
         "<w:rPr>" + kTimes +
             "<w:sz w:val=\"0\"/><w:szCs w:val=\"0\"/><w:color w:val=\"000000\"/><w:noProof/></w:rPr>"},
        {"fields that are not written",
         [](KXDocx_RPr& r) {
             r.lang = "en-US";
             r.rFonts.hAnsi = "Other";
             r.rFonts_replace.ascii = "Other";
             r.vanish = true;
             r.kern = 2;
             r.position = 3;
             r.highlight = 1;
             r.capsStyle = 1;
             r.misc = 1;
             r.szCs = 30;
             r.noProof = false;
         },
         kDefaultRPr},
    };
    for (const auto& c : cases) {
        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        c.change(r);
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteRProperty(r, w); }), c.want) << c.what;
    }
}

TEST(KXDocxSerialisation, ParagraphPropertiesInSchemaOrder) {
    struct PCase {
        const char* what;
        std::function<void(KXDocx_PPr&, KXDocx_SectPr&, KXDocx_Tabs&)> change;
        std::string want;
    };
    const std::string sect =
        "<w:sectPr><w:type w:val=\"continuous\"/><w:pgSz w:w=\"11560\" w:h=\"12800\"/>"
        "<w:pgMar w:top=\"1260\" w:right=\"0\" w:bottom=\"0\" w:left=\"0\" w:header=\"0\" w:footer=\"0\" "
        "w:gutter=\"0\"/></w:sectPr>";
    const PCase cases[] = {
        {"default paragraph: every indent is said, a right indent of 0 too",
         [](KXDocx_PPr&, KXDocx_SectPr&, KXDocx_Tabs&) {},
         "<w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"240\" w:lineRule=\"exact\"/>"
         "<w:ind w:firstLine=\"0\" w:left=\"0\" w:right=\"0\"/><w:jc w:val=\"left\"/>" +
             kDefaultRPr + "</w:pPr>"},
        {"every part: numPr, tabs, spacing, ind, jc, outlineLvl (level 2 is 1), rPr, sectPr",
         [](KXDocx_PPr& p, KXDocx_SectPr& s, KXDocx_Tabs& tabs) {
             tabs.tabArray = {{"dot", "left", 36}, {"none", "right", 400.5f}};
             p.outlineLvl = 2;
             p.numPr = {1, 3};
             p.spacing = {6, 3, 14, "auto", 12};
             p.ind = {18, 36, 9};
             p.jc = 3;
             s.shouldWrite = true;
         },
         "<w:pPr><w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"3\"/></w:numPr>"
         "<w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/><w:tab w:val=\"right\" w:pos=\"8010\"/></w:tabs>"
         "<w:spacing w:before=\"120\" w:after=\"60\" w:line=\"280\" w:lineRule=\"auto\"/>"
         "<w:ind w:firstLine=\"360\" w:left=\"720\" w:right=\"180\"/><w:jc w:val=\"both\"/>"
         "<w:outlineLvl w:val=\"1\"/>" +
             kDefaultRPr + sect + "</w:pPr>"},
        {"auto spacing that is not a whole number of 240ths is rounded",
         [](KXDocx_PPr& p, KXDocx_SectPr&, KXDocx_Tabs&) { p.spacing = {0, 0, 13, "auto", 12}; },
         "<w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"260\" w:lineRule=\"auto\"/>"
         "<w:ind w:firstLine=\"0\" w:left=\"0\" w:right=\"0\"/><w:jc w:val=\"left\"/>" +
             kDefaultRPr + "</w:pPr>"},
        {"hostile line spacing is held within a 32-bit number",
         [](KXDocx_PPr& p, KXDocx_SectPr&, KXDocx_Tabs&) { p.spacing = {0, 0, 3.4e38f, "auto", 12}; },
         "<w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"2147483647\" w:lineRule=\"auto\"/>"
         "<w:ind w:firstLine=\"0\" w:left=\"0\" w:right=\"0\"/><w:jc w:val=\"left\"/>" +
             kDefaultRPr + "</w:pPr>"},
        {"exact rule; negative spacing is 0; negative first line is a hanging indent; a negative right indent "
         "reaches into the margin; no jc name",
         [](KXDocx_PPr& p, KXDocx_SectPr&, KXDocx_Tabs&) {
             p.spacing = {-4, -1, 14, "exact", 12};
             p.ind = {-18, -5, -3};
             p.jc = 5;
             p.numPr = {2, 0};  // no list
         },
         "<w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"280\" w:lineRule=\"exact\"/>"
         "<w:ind w:hanging=\"360\" w:left=\"-100\" w:right=\"-60\"/>" +
             kDefaultRPr + "</w:pPr>"},
        {"auto rule without a single-line height falls back to exact",
         [](KXDocx_PPr& p, KXDocx_SectPr&, KXDocx_Tabs&) {
             p.spacing = {0, 0, 14, "auto", 0};
             p.ind.firstLine = -0.01f;  // rounds to nothing: no "-0"
         },
         "<w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"280\" w:lineRule=\"exact\"/>"
         "<w:ind w:firstLine=\"0\" w:left=\"0\" w:right=\"0\"/><w:jc w:val=\"left\"/>" +
             kDefaultRPr + "</w:pPr>"},
    };
    for (const PCase& c : cases) {
        KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
        KXDocx_SectPr s = KXDocxUtilities::defaultSectPropertyHiden();
        KXDocx_Tabs tabs = KXDocxUtilities::defaultTabsProperty();
        c.change(p, s, tabs);
        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WritePProperty(p, r, s, tabs, w); }), c.want)
            << c.what;
    }

    // Outline levels count from 1 in the record and from 0 in the document, which has nine.
    const struct {
        int level;
        const char* written;
    } levels[] = {{0, nullptr}, {-3, nullptr}, {1, "0"}, {9, "8"}, {12, "8"}};
    for (const auto& c : levels) {
        KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
        p.outlineLvl = c.level;
        const std::string xml = fragment([&](XMLFileWriter& w) {
            KXDocxUtilities::WritePProperty(p, KXDocxUtilities::defaultRProperty(),
                                            KXDocxUtilities::defaultSectPropertyHiden(), KXDocx_Tabs{}, w);
        });
        const std::string element =
            c.written ? "<w:jc w:val=\"left\"/><w:outlineLvl w:val=\"" + std::string(c.written) + "\"/><w:rPr>" : "";
        if (c.written)
            EXPECT_NE(xml.find(element), std::string::npos) << "level " << c.level << ": " << xml;
        else
            EXPECT_EQ(xml.find("outlineLvl"), std::string::npos) << "level " << c.level;
    }

    // A blank paragraph holds only its properties, written with no tab stops.
    KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
    EXPECT_EQ(rawFragment([&](XMLFileWriter& w) {
                  KXDocxUtilities::Write1BlankParagraphWithProperty(p, KXDocxUtilities::defaultRProperty(),
                                                                    KXDocxUtilities::defaultSectPropertyHiden(), w);
              }),
              "\n\t<w:p>"
              "\n\t\t<w:pPr>"
              "\n\t\t\t<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"240\" w:lineRule=\"exact\"/>"
              "\n\t\t\t<w:ind w:firstLine=\"0\" w:left=\"0\" w:right=\"0\"/>"
              "\n\t\t\t<w:jc w:val=\"left\"/>"
              "\n\t\t\t<w:rPr>"
              "\n\t\t\t\t<w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\" w:cs=\"Times New Roman\" "
              "w:eastAsia=\"Times New Roman\"/>"
              "\n\t\t\t\t<w:sz w:val=\"24\"/>"
              "\n\t\t\t\t<w:szCs w:val=\"24\"/>"
              "\n\t\t\t\t<w:color w:val=\"000000\"/>"
              "\n\t\t\t\t<w:noProof/>"
              "\n\t\t\t</w:rPr>"
              "\n\t\t</w:pPr>"
              "\n\t</w:p>");
}

TEST(KXDocxSerialisation, SectionProperties) {
    const std::string margins0 =
        "<w:pgMar w:top=\"0\" w:right=\"0\" w:bottom=\"0\" w:left=\"0\" w:header=\"0\" w:footer=\"0\" "
        "w:gutter=\"0\"/>";
    const Case<KXDocx_SectPr> cases[] = {
        {"letter portrait with margins",
         [](KXDocx_SectPr& s) {
             s.type = 4;
             s.pgSz = {612, 792};
             s.pgMar = {72, 54, 72.5f, 54, 36, 36, 10};
         },
         "<w:sectPr><w:type w:val=\"nextPage\"/><w:pgSz w:w=\"12240\" w:h=\"15840\"/>"
         "<w:pgMar w:top=\"1440\" w:right=\"1080\" w:bottom=\"1450\" w:left=\"1080\" w:header=\"720\" "
         "w:footer=\"720\" w:gutter=\"0\"/></w:sectPr>"},
        {"landscape; no type; negative margins the schema forbids are 0",
         [](KXDocx_SectPr& s) {
             s.type = 0;
             s.pgSz = {792, 612};
             s.pgMar = {-10, -10, -10, -10, -1, -1, 0};
         },
         "<w:sectPr><w:pgSz w:w=\"15840\" w:h=\"12240\" w:orient=\"landscape\"/>"
         "<w:pgMar w:top=\"-200\" w:right=\"0\" w:bottom=\"-200\" w:left=\"0\" w:header=\"0\" w:footer=\"0\" "
         "w:gutter=\"0\"/></w:sectPr>"},
        {"a section code without a schema name writes no type",
         [](KXDocx_SectPr& s) {
             s.type = 6;
             s.pgSz = {100, 100};
         },
         "<w:sectPr><w:pgSz w:w=\"2000\" w:h=\"2000\"/>" + margins0 + "</w:sectPr>"},
        {"page borders, the four sides only",
         [](KXDocx_SectPr& s) {
             s.type = 0;
             s.pgSz = {100, 100};
             s.offsetFrom = 2;
             s.pgBorders.top = border(2, 1, {255, 0, 0, 255}, 20);
             s.pgBorders.left = border(2, 0.75f);
             s.pgBorders.bottom = border(15, 0.5f);
             s.pgBorders.right = border(2, 2);
             s.pgBorders.insideH = border(2, 9);
         },
         "<w:sectPr><w:pgSz w:w=\"2000\" w:h=\"2000\"/>" + margins0 +
             "<w:pgBorders w:offsetFrom=\"page\">"
             "<w:top w:val=\"single\" w:sz=\"8\" w:space=\"20\" w:color=\"FF0000\"/>"
             "<w:left w:val=\"single\" w:sz=\"6\" w:space=\"0\" w:color=\"000000\"/>"
             "<w:bottom w:val=\"double\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
             "<w:right w:val=\"single\" w:sz=\"16\" w:space=\"0\" w:color=\"000000\"/>"
             "</w:pgBorders></w:sectPr>"},
        {"columns of their own widths, then the grid",
         [](KXDocx_SectPr& s) {
             s.type = 0;
             s.pgSz = {100, 100};
             s.cols.num = 2;
             s.cols.col = {{200, 12}, {180, 0}};
             s.docGrid = {"lines", 12};
         },
         "<w:sectPr><w:pgSz w:w=\"2000\" w:h=\"2000\"/>" + margins0 +
             "<w:cols w:num=\"2\" w:equalWidth=\"0\"><w:col w:w=\"4000\" w:space=\"240\"/><w:col w:w=\"3600\"/>"
             "</w:cols><w:docGrid w:type=\"lines\" w:linePitch=\"240\"/></w:sectPr>"},
        {"equal columns with a space and a separator",
         [](KXDocx_SectPr& s) {
             s.type = 0;
             s.pgSz = {100, 100};
             s.cols.num = 3;
             s.cols.equalWidth = 1;
             s.cols.space = 18;
             s.cols.sep = true;
         },
         "<w:sectPr><w:pgSz w:w=\"2000\" w:h=\"2000\"/>" + margins0 +
             "<w:cols w:num=\"3\" w:sep=\"true\" w:space=\"360\"/></w:sectPr>"},
        {"equal columns without a space",
         [](KXDocx_SectPr& s) {
             s.type = 0;
             s.pgSz = {100, 100};
             s.cols.num = 2;
             s.cols.equalWidth = 1;
         },
         "<w:sectPr><w:pgSz w:w=\"2000\" w:h=\"2000\"/>" + margins0 +
             "<w:cols w:num=\"2\" w:equalWidth=\"1\"/></w:sectPr>"},
        {"one column writes no cols; vAlign is not written",
         [](KXDocx_SectPr& s) {
             s.type = 0;
             s.pgSz = {100, 100};
             s.cols.num = 1;
             s.cols.col = {{50, 0}};
             s.vAlign = 2;
         },
         "<w:sectPr><w:pgSz w:w=\"2000\" w:h=\"2000\"/>" + margins0 + "</w:sectPr>"},
    };
    for (const auto& c : cases) {
        KXDocx_SectPr s = KXDocxUtilities::defaultSectPropertyHiden();
        s.pgMar = {};
        c.change(s);
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteSectProperty(s, w); }), c.want) << c.what;
    }
}

TEST(KXDocxSerialisation, BorderAndMarginElements) {
    struct BCase {
        KXDocx_Border border;
        const char* want;
    };
    const BCase cases[] = {
        {border(2, 1), "<w:top w:val=\"single\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"},
        {border(2, 0.75f), "<w:top w:val=\"single\" w:sz=\"6\" w:space=\"0\" w:color=\"000000\"/>"},
        {border(2, 0.1f), "<w:top w:val=\"single\" w:sz=\"0\" w:space=\"0\" w:color=\"000000\"/>"},
        {border(15, 1.2f, {0, 128, 255, 255}, 40, true),
         "<w:top w:val=\"double\" w:sz=\"10\" w:space=\"31\" w:color=\"0080FF\" w:shadow=\"true\"/>"},
        {border(40, 1, {0, 0, 0, 255}, -3), "<w:top w:val=\"none\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"},
        {border(0, 0, {0, 0, 0, 255}, 2.3f), "<w:top w:val=\"none\" w:sz=\"0\" w:space=\"2\" w:color=\"000000\"/>"},
    };
    for (const BCase& c : cases)
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteBorderProperty(c.border, "top", w); }),
                  c.want);

    EXPECT_EQ(fragment([](XMLFileWriter& w) { KXDocxUtilities::WriteMarginProperty({5.4f, 2}, "left", w); }),
              "<w:left w:type=\"dxa\" w:w=\"108\"/>");
    EXPECT_EQ(fragment([](XMLFileWriter& w) { KXDocxUtilities::WriteMarginProperty({0, 7}, "left", w); }),
              "<w:left w:type=\"auto\" w:w=\"0\"/>");
}

TEST(KXDocxSerialisation, TablePropertiesInSchemaOrder) {
    const std::string singleBorders =
        "<w:tblBorders>"
        "<w:top w:val=\"single\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
        "<w:left w:val=\"single\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
        "<w:bottom w:val=\"single\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
        "<w:right w:val=\"single\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
        "<w:insideH w:val=\"single\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
        "<w:insideV w:val=\"single\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
        "</w:tblBorders>";
    const std::string zeroCellMargins =
        "<w:tblCellMar><w:top w:type=\"dxa\" w:w=\"0\"/><w:left w:type=\"dxa\" w:w=\"0\"/>"
        "<w:bottom w:type=\"dxa\" w:w=\"0\"/><w:right w:type=\"dxa\" w:w=\"0\"/></w:tblCellMar>";
    const Case<KXDocx_TblPr> cases[] = {
        {"default table (anchored but not moved: no tblpPr)", [](KXDocx_TblPr&) {},
         "<w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:type=\"auto\" w:w=\"0\"/><w:jc w:val=\"left\"/>" +
             singleBorders + "<w:tblLayout w:type=\"fixed\"/>" + zeroCellMargins +
             "<w:tblLook w:val=\"01E0\"/></w:tblPr>"},
        {"every part: tblStyle, tblpPr, band sizes, tblW, jc, tblCellSpacing, tblInd, tblBorders, shd, "
         "tblLayout, tblCellMar, tblLook, tblCaption",
         [](KXDocx_TblPr& t) {
             t.tblCaption = "Prices";
             t.tblpPr = {9, 9, 0, 0, 2, 3, 100.25f, -50, "nil", "nil"};
             t.tblOverlap = 1;
             t.tblStyleColBandSize = 2;
             t.tblStyleRowBandSize = 1;
             t.tblW = {300, 2};
             t.jc = 2;
             t.tblCellSpacing = {1, 2};
             t.tblInd = {-5.5f, 2};
             t.shd = {{255, 255, 0, 255}, {1, 2, 3, 255}, 10};
             t.tblLayout = 1;
             t.tblLook = {true, false, true, false, true, false, ""};
         },
         "<w:tblPr><w:tblStyle w:val=\"TableGrid\"/>"
         "<w:tblpPr w:leftFromText=\"180\" w:rightFromText=\"180\" w:topFromText=\"0\" w:bottomFromText=\"0\" "
         "w:vertAnchor=\"page\" w:horzAnchor=\"text\" w:tblpX=\"2005\" w:tblpY=\"-1000\"/>"
         "<w:tblStyleRowBandSize w:val=\"1\"/><w:tblStyleColBandSize w:val=\"2\"/>"
         "<w:tblW w:type=\"dxa\" w:w=\"6000\"/><w:jc w:val=\"center\"/>"
         "<w:tblCellSpacing w:type=\"dxa\" w:w=\"20\"/><w:tblInd w:type=\"dxa\" w:w=\"-110\"/>" +
             singleBorders +
             "<w:shd w:val=\"solid\" w:color=\"010203\" w:fill=\"FFFF00\"/><w:tblLayout w:type=\"autofit\"/>" +
             zeroCellMargins +
             "<w:tblLook w:firstRow=\"true\" w:firstColumn=\"true\" w:noHBand=\"true\"/>"
             "<w:tblCaption w:val=\"Prices\"/></w:tblPr>"},
        {"short style and caption, no borders, clear shading, cell margins incomplete, no look",
         [](KXDocx_TblPr& t) {
             t.tblStyle = "T";
             t.tblCaption = "P";
             t.tblW.type = 0;
             t.tblBorders = KXDocxUtilities::defaultPageBordersNone();
             t.tblBorders.tl2br = border(2, 1);  // diagonals do not count
             t.shd = {{16, 32, 48, 255}, {1, 2, 3, 255}, 1};
             t.tblCellMar.left.type = 0;
             t.tblLook.val.clear();
             t.tblLook.noVBand = true;  // alone it does not make a tblLook
         },
         "<w:tblPr><w:jc w:val=\"left\"/><w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"102030\"/>"
         "<w:tblLayout w:type=\"fixed\"/></w:tblPr>"},
        {"names the schema does not know: shading pattern 11, anchor none, table jc 7",
         [](KXDocx_TblPr& t) {
             t.tblStyle.clear();
             t.tblW.type = 0;
             t.tblBorders = KXDocxUtilities::defaultPageBordersNone();
             t.tblCellMar = {};
             t.tblLook.val.clear();
             t.tblpPr = {0, 0, 0, 0, 0, 1, 10, 0, "", ""};
             t.shd = {{255, 0, 0, 255}, {0, 0, 0, 255}, 11};
             t.jc = 7;
             t.tblLayout = 5;
         },
         "<w:tblPr><w:tblpPr w:leftFromText=\"0\" w:rightFromText=\"0\" w:topFromText=\"0\" "
         "w:bottomFromText=\"0\" w:horzAnchor=\"margin\" w:tblpX=\"200\" w:tblpY=\"0\"/><w:jc w:val=\"left\"/>"
         "<w:shd w:val=\"clear\" w:color=\"000000\" w:fill=\"FF0000\"/><w:tblLayout w:type=\"fixed\"/></w:tblPr>"},
        {"an offset without an anchor is not a floating table",
         [](KXDocx_TblPr& t) {
             t.tblStyle.clear();
             t.tblW.type = 0;
             t.tblBorders = KXDocxUtilities::defaultPageBordersNone();
             t.tblCellMar = {};
             t.tblLook.val.clear();
             t.tblpPr = {5, 5, 5, 5, 0, 0, 10, 10, "", ""};
         },
         "<w:tblPr><w:jc w:val=\"left\"/><w:tblLayout w:type=\"fixed\"/></w:tblPr>"},
    };
    for (const auto& c : cases) {
        KXDocx_TblPr t = KXDocxUtilities::defaultTblProperty();
        c.change(t);
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteTblProperty(t, w); }), c.want) << c.what;
    }
}

TEST(KXDocxSerialisation, TableGridIsAlwaysWritten) {
    const Case<KXDocx_TblGrid> cases[] = {
        {"default grid", [](KXDocx_TblGrid&) {}, "<w:tblGrid><w:gridCol w:w=\"1280\"/></w:tblGrid>"},
        {"no columns: an empty grid", [](KXDocx_TblGrid& g) { g.gridCol.clear(); }, "<w:tblGrid/>"},
        {"columns in order; negative widths are 0",
         [](KXDocx_TblGrid& g) { g.gridCol = {100, 50.5f, -3}; },
         "<w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"1010\"/><w:gridCol w:w=\"0\"/></w:tblGrid>"},
    };
    for (const auto& c : cases) {
        KXDocx_TblGrid g = KXDocxUtilities::defaultTblGridProperty();
        c.change(g);
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteTblGridProperty(g, w); }), c.want)
            << c.what;
    }
    // More than 64 columns are all written.
    KXDocx_TblGrid wide{std::vector<float>(70, 10.0f)};
    std::string out = fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteTblGridProperty(wide, w); });
    size_t count = 0;
    for (size_t at = out.find("<w:gridCol "); at != std::string::npos; at = out.find("<w:gridCol ", at + 1)) ++count;
    EXPECT_EQ(count, 70u);
}

TEST(KXDocxSerialisation, RowProperties) {
    const Case<KXDocx_TrPr> cases[] = {
        {"default row: an exact height", [](KXDocx_TrPr&) {},
         "<w:trPr><w:trHeight w:val=\"0\" w:hRule=\"exact\"/></w:trPr>"},
        {"every part",
         [](KXDocx_TrPr& r) {
             r.cantSplit = r.hidden = r.tblHeader = true;
             r.jc = 1;
             r.trHeight = {1, 20};
             r.tblCellSpacing = {1, 2};
             r.top = border(2, 3);  // row borders are not written
         },
         "<w:trPr><w:cantSplit w:val=\"true\"/><w:hidden w:val=\"true\"/><w:tblHeader w:val=\"true\"/>"
         "<w:jc w:val=\"right\"/><w:trHeight w:val=\"400\" w:hRule=\"atLeast\"/>"
         "<w:tblCellSpacing w:type=\"dxa\" w:w=\"20\"/></w:trPr>"},
        {"an auto height and a tiny spacing are not written",
         [](KXDocx_TrPr& r) {
             r.trHeight = {0, 30};
             r.tblCellSpacing = {0.05f, 2};
         },
         "<w:trPr/>"},
    };
    for (const auto& c : cases) {
        KXDocx_TrPr r = KXDocxUtilities::defaultTrProperty();
        c.change(r);
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteTrProperty(r, w); }), c.want) << c.what;
    }
}

namespace {

// A 3 x 3 table whose six borders differ, so each comparison can be told apart.
KXDocx_TblPr threeByThree() {
    KXDocx_TblPr t = KXDocxUtilities::defaultTblProperty();
    t.rowCount = 3;
    t.columnCount = 3;
    t.tblBorders.top = border(2, 1);
    t.tblBorders.bottom = border(2, 2);
    t.tblBorders.left = border(2, 3);
    t.tblBorders.right = border(2, 4);
    t.tblBorders.insideH = border(2, 0.5f);
    t.tblBorders.insideV = border(2, 0.25f);
    return t;
}

KXDocx_TcPr cellMatching(const KXDocx_TblPr& t, bool firstRow, bool lastRow, bool firstCol, bool lastCol) {
    KXDocx_TcPr c = KXDocxUtilities::defaultTcProperty();
    const KXDocx_Borders& b = t.tblBorders;
    c.tcBorders.top = firstRow ? b.top : b.insideH;
    c.tcBorders.bottom = lastRow ? b.bottom : b.insideH;
    c.tcBorders.left = firstCol ? b.left : b.insideV;
    c.tcBorders.right = lastCol ? b.right : b.insideV;
    return c;
}

}  // namespace

TEST(KXDocxSerialisation, CellBordersComparedWithTheTable) {
    KXDocx_TblPr t = threeByThree();
    struct BCase {
        const char* what;
        kx::Range columns, rows;
        KXDocx_TcPr cell;
        bool equal;
    };
    const BCase cases[] = {
        {"top-left corner", {0, 1}, {0, 1}, cellMatching(t, true, false, true, false), true},
        {"middle", {1, 1}, {1, 1}, cellMatching(t, false, false, false, false), true},
        {"merged down to the last row and column", {1, 2}, {1, 2}, cellMatching(t, false, true, false, true), true},
        {"middle cell with the outer borders", {1, 1}, {1, 1}, cellMatching(t, true, true, true, true), false},
        {"corner cell with inside borders", {0, 1}, {0, 1}, cellMatching(t, false, false, false, false), false},
    };
    for (const BCase& c : cases)
        EXPECT_EQ(KXDocxUtilities::IsBorderEqualTcProperty(c.cell, c.columns, c.rows, t), c.equal) << c.what;

    KXDocx_TcPr c = cellMatching(t, false, false, false, false);
    c.tcBorders.insideH = border(2, 1);  // a cell's own inside border
    EXPECT_FALSE(KXDocxUtilities::IsBorderEqualTcProperty(c, {1, 1}, {1, 1}, t));
    c = cellMatching(t, false, false, false, false);
    c.tcBorders.tr2bl = border(2, 1);
    EXPECT_FALSE(KXDocxUtilities::IsBorderEqualTcProperty(c, {1, 1}, {1, 1}, t));
    c = cellMatching(t, false, false, false, false);
    c.tcBorders.left.color = {2, 2, 0, 253};  // within the colour tolerance
    EXPECT_TRUE(KXDocxUtilities::IsBorderEqualTcProperty(c, {1, 1}, {1, 1}, t));
}

TEST(KXDocxSerialisation, CellPropertiesInSchemaOrder) {
    KXDocx_TblPr t = threeByThree();
    struct TCase {
        const char* what;
        std::function<void(KXDocx_TcPr&)> change;
        std::string want;
    };
    const TCase cases[] = {
        {"a middle cell with the table's borders writes nothing", [](KXDocx_TcPr&) {}, "<w:tcPr/>"},
        {"every part: tcW, gridSpan, vMerge, tcBorders, shd, noWrap, tcMar, tcFitText, vAlign, hideMark",
         [](KXDocx_TcPr& c) {
             c.gridSpan = 2;
             c.hideMark = c.noWrap = c.tcFitText = true;
             c.shd = {{255, 255, 255, 255}, {0, 0, 0, 255}, 2};
             c.tcMar = {{1, 2}, {2, 2}, {3, 2}, {4, 2}};
             c.tcBorders.top = border(4, 1);
             c.tcBorders.bottom = border(8, 1);
             c.tcBorders.left = border(15, 1);
             c.tcBorders.right = border(0, 0);
             c.tcBorders.insideH = border(2, 0.5f);
             c.tcBorders.tl2br = border(2, 0.25f);
             c.tcW = {100, 2};
             c.vAlign = 1;
             c.vMerge = 2;
         },
         "<w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/><w:gridSpan w:val=\"2\"/><w:vMerge w:val=\"restart\"/>"
         "<w:tcBorders>"
         "<w:top w:val=\"dashed\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
         "<w:left w:val=\"double\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
         "<w:bottom w:val=\"dotted\" w:sz=\"8\" w:space=\"0\" w:color=\"000000\"/>"
         "<w:right w:val=\"none\" w:sz=\"0\" w:space=\"0\" w:color=\"000000\"/>"
         "<w:insideH w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>"
         "<w:tl2br w:val=\"single\" w:sz=\"2\" w:space=\"0\" w:color=\"000000\"/>"
         "</w:tcBorders>"
         "<w:shd w:fill=\"FFFFFF\" w:color=\"000000\" w:val=\"pct10\"/><w:noWrap w:val=\"true\"/>"
         "<w:tcMar><w:top w:type=\"dxa\" w:w=\"20\"/><w:left w:type=\"dxa\" w:w=\"40\"/>"
         "<w:bottom w:type=\"dxa\" w:w=\"60\"/><w:right w:type=\"dxa\" w:w=\"80\"/></w:tcMar>"
         "<w:tcFitText w:val=\"true\"/><w:vAlign w:val=\"center\"/><w:hideMark w:val=\"true\"/></w:tcPr>"},
        {"only the differing sides are written, in top, left, bottom, right order",
         [](KXDocx_TcPr& c) {
             c.tcBorders.right = border(2, 6);
             c.tcBorders.left = border(2, 5);
         },
         "<w:tcPr><w:tcBorders>"
         "<w:left w:val=\"single\" w:sz=\"40\" w:space=\"0\" w:color=\"000000\"/>"
         "<w:right w:val=\"single\" w:sz=\"48\" w:space=\"0\" w:color=\"000000\"/>"
         "</w:tcBorders></w:tcPr>"},
        {"the end of a vertical merge has no value; unknown shading is clear",
         [](KXDocx_TcPr& c) {
             c.vMerge = 3;
             c.shd = {{255, 0, 0, 255}, {0, 0, 0, 255}, 11};
         },
         "<w:tcPr><w:vMerge/><w:shd w:fill=\"FF0000\" w:color=\"000000\" w:val=\"clear\"/></w:tcPr>"},
        {"a continued merge; a tiny width; top alignment",
         [](KXDocx_TcPr& c) {
             c.vMerge = 1;
             c.tcW = {0.05f, 2};
             c.vAlign = 0;
         },
         "<w:tcPr><w:vMerge w:val=\"continue\"/></w:tcPr>"},
    };
    for (const TCase& c : cases) {
        KXDocx_TcPr cell = cellMatching(t, false, false, false, false);
        c.change(cell);
        EXPECT_EQ(fragment([&](XMLFileWriter& w) { KXDocxUtilities::WriteTcProperty(cell, {1, 1}, {1, 1}, t, w); }),
                  c.want)
            << c.what;
    }
}

TEST(KXDocxSerialisation, HighlightNamesAndTextPathStyle) {
    struct HCase {
        KXDocx_Color color;
        const char* want;  // nullptr: no name
    };
    const HCase cases[] = {
        {{254, 1, 0, 255}, "red"},          {{1, 1, 1, 255}, "black"},
        {{211, 209, 213, 254}, "lightGray"}, {{139, 139, 1, 255}, "darkYellow"},
        {{0, 100, 0, 255}, "darkGreen"},    {{100, 100, 100, 255}, nullptr},
        {{255, 0, 0, 250}, nullptr},  // not opaque
    };
    for (const HCase& c : cases) {
        std::optional<std::string_view> got = KXDocxUtilities::NameFromColorValue(c.color);
        if (c.want)
            EXPECT_EQ(got, c.want);
        else
            EXPECT_FALSE(got.has_value()) << *got;
    }

    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    EXPECT_EQ(KXDocxUtilities::TextPathStyleForRProperty(r),
              "font-family:Times New Roman;font-size:24pt;v-text-kern:t;mso-text-shadow:auto");
    r.rFonts.ascii = "Arial";
    r.b = r.i = true;
    r.sz = 10.5f;
    EXPECT_EQ(KXDocxUtilities::TextPathStyleForRProperty(r),
              "font-family:Arial;font-weight:bold;font-style:italic;font-size:21pt;v-text-kern:t;"
              "mso-text-shadow:auto");
}

TEST(KXDocxSerialisation, SameBytesUnderAGermanLocale) {
    // Every serialiser with fractional values; the user's locale must not change a byte.
    auto writeAll = [](XMLFileWriter& w) {
        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        r.sz = 10.5f;
        r.spacing = 0.35f;
        r.w = 87.5f;
        KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
        p.spacing = {6.25f, 3.5f, 13.7f, "auto", 11.9f};
        p.ind = {12.5f, 36.05f, 9.95f};
        KXDocx_SectPr s = KXDocxUtilities::defaultSectPropertyHiden();
        s.shouldWrite = true;
        s.pgSz = {595.3f, 841.9f};
        s.pgMar = {72.5f, 54.25f, 72.5f, 54.25f, 35.4f, 35.4f, 0};
        s.cols = {2, true, 0, 0, {{250.5f, 12.25f}, {250.5f, 0}}};
        s.docGrid = {"lines", 15.6f};
        s.offsetFrom = 1;
        s.pgBorders.top = border(2, 1.3f, {1, 2, 3, 255}, 12.6f);
        KXDocx_Tabs tabs{{{"none", "left", 100.75f}}};
        KXDocxUtilities::WritePProperty(p, r, s, tabs, w);
        KXDocx_TblPr t = KXDocxUtilities::defaultTblProperty();
        t.tblpPr = {7.5f, 7.5f, 1.25f, 1.25f, 2, 2, 120.4f, 33.3f, "", ""};
        t.tblW = {400.4f, 2};
        t.tblInd = {5.55f, 2};
        t.tblCellSpacing = {1.5f, 2};
        KXDocxUtilities::WriteTblProperty(t, w);
        KXDocxUtilities::WriteTblGridProperty({{100.3f, 200.7f}}, w);
        KXDocx_TrPr tr = KXDocxUtilities::defaultTrProperty();
        tr.trHeight = {2, 14.45f};
        KXDocxUtilities::WriteTrProperty(tr, w);
        KXDocx_TcPr tc = KXDocxUtilities::defaultTcProperty();
        tc.tcW = {100.35f, 2};
        tc.tcMar = {{1.5f, 2}, {1.5f, 2}, {1.5f, 2}, {1.5f, 2}};
        KXDocxUtilities::WriteTcProperty(tc, {0, 1}, {0, 1}, t, w);
        w.writeCharacters(KXDocxUtilities::TextPathStyleForRProperty(r));
    };
    std::string plain = rawFragment(writeAll);
    EXPECT_EQ(plain.find(','), std::string::npos);
    kx::test::ScopedLocale german("de_DE.UTF-8");
    if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    EXPECT_EQ(rawFragment(writeAll), plain);
}
