// The serialisers' output inside a real document part, zipped into a package and checked against
// the WordprocessingML schema by the shared validator; VML shapes as LibreOffice draws them.

#include <gtest/gtest.h>

#include <functional>

#include "../PathRunFixtures.h"
#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/KXOutputWriter.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "support/TestSupport.h"

namespace {

using kx::pathJoin;
using Body = std::function<void(XMLFileWriter&)>;

const std::string W(KXOpenXMLNameSpace::nameSpace_w());

std::optional<std::string> validator() {
    std::optional<std::string> path = kx::test::sharedTool("ooxml-validate");
    if (!path || !kx::test::haveCommand("xmllint")) return std::nullopt;
    return path;
}

void writePart(const std::string& path, const Body& body) {
    auto w = XMLFileWriter::initWithPath(path);
    ASSERT_TRUE(w) << path;
    w->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    body(*w);
    w->writeEndDocument();
    EXPECT_FALSE(w->hasWriteError());
}

// A one-part WordprocessingML package whose body the caller writes; returns the package path.
std::string makeDocx(const std::string& name, const Body& bodyContent) {
    std::string root = pathJoin(kx::test::tempDir(), name);
    kx::removeAll(root);
    kx::createDirectories(pathJoin(root, "_rels"));
    kx::createDirectories(pathJoin(root, "word"));
    writePart(pathJoin(root, "[Content_Types].xml"), [](XMLFileWriter& w) {
        const std::string ct = "http://schemas.openxmlformats.org/package/2006/content-types";
        w.setDefaultNamespace(ct);
        w.writeStartElementWithNamespace(ct, "Types");
        auto entry = [&](const char* kind, const char* key, const char* keyValue, const char* type) {
            w.writeStartElementWithNamespace(ct, kind);
            w.writeAttribute(key, keyValue);
            w.writeAttribute("ContentType", type);
            w.writeEndElement();
        };
        entry("Default", "Extension", "rels", "application/vnd.openxmlformats-package.relationships+xml");
        entry("Default", "Extension", "xml", "application/xml");
        entry("Override", "PartName", "/word/document.xml",
              "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
        w.writeEndElement();
    });
    writePart(pathJoin(root, "_rels/.rels"), [](XMLFileWriter& w) {
        const std::string rels(KXOpenXMLNameSpace::nameSpace_Rels());
        w.setDefaultNamespace(rels);
        w.writeStartElementWithNamespace(rels, "Relationships");
        w.writeStartElementWithNamespace(rels, "Relationship");
        w.writeAttribute("Id", "rId1");
        w.writeAttribute("Type", "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument");
        w.writeAttribute("Target", "word/document.xml");
        w.writeEndElement();
        w.writeEndElement();
    });
    writePart(pathJoin(root, "word/document.xml"), [&](XMLFileWriter& w) {
        w.setPrefix("w", W);
        w.setPrefix("v", KXOpenXMLNameSpace::nameSpace_v());
        w.setPrefix("o", KXOpenXMLNameSpace::nameSpace_o());
        w.setPrefix("w10", KXOpenXMLNameSpace::nameSpace_w10());
        w.writeStartElementWithNamespace(W, "document");
        w.writeStartElementWithNamespace(W, "body");
        bodyContent(w);
        w.writeEndElement();
        w.writeEndElement();
    });
    std::string out = pathJoin(kx::test::tempDir(), name + ".docx");
    KXError error;
    EXPECT_TRUE(KXOutputWriter::CreateZipFileAtPath(
        out, {pathJoin(root, "_rels"), pathJoin(root, "[Content_Types].xml"), pathJoin(root, "word")}, &error))
        << error.failureReason;
    return out;
}

KXDocx_Border border(int val, float sz, KXDocx_Color color = {0, 0, 0, 255}) { return {val, sz, color, false, 2}; }

void run(XMLFileWriter& w, const KXDocx_RPr& r, std::u16string_view text) {
    w.writeStartElementWithNamespace(W, "r");
    KXDocxUtilities::WriteRProperty(r, w);
    w.writeStartElementWithNamespace(W, "t");
    w.writeCharacters(text);
    w.writeEndElement();
    w.writeEndElement();
}

// A table of two rows; the first cell spans both grid columns and starts a vertical merge.
void table(XMLFileWriter& w, const KXDocx_TblPr& t, const KXDocx_TcPr& first, const KXDocx_TcPr& second) {
    KXDocx_TrPr tr = KXDocxUtilities::defaultTrProperty();
    tr.cantSplit = tr.tblHeader = true;
    tr.jc = 2;
    tr.trHeight = {1, 18};
    tr.tblCellSpacing = {1, 2};
    w.writeStartElementWithNamespace(W, "tbl");
    KXDocxUtilities::WriteTblProperty(t, w);
    KXDocxUtilities::WriteTblGridProperty({{120, 80}}, w);
    for (const KXDocx_TcPr* cell : {&first, &second}) {
        w.writeStartElementWithNamespace(W, "tr");
        KXDocxUtilities::WriteTrProperty(tr, w);
        w.writeStartElementWithNamespace(W, "tc");
        KXDocxUtilities::WriteTcProperty(*cell, {0, 2}, {cell == &first ? 0u : 1u, 1}, t, w);
        KXDocxUtilities::Write1BlankParagraphWithProperty(KXDocxUtilities::defaultPProperty(),
                                                          KXDocxUtilities::defaultRProperty(),
                                                          KXDocxUtilities::defaultSectPropertyHiden(), w);
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndElement();
}

void expectValid(const std::string& package) {
    std::optional<std::string> tool = validator();
    ASSERT_TRUE(tool);
    std::string report;
    EXPECT_EQ(kx::test::runCommand("'" + *tool + "' '" + package + "'", &report), 0) << report;
}

}  // namespace

TEST(SchemaValidation, EverySerialiserWithEveryPartSet) {
    KX_REQUIRE_CORPUS(validator());
    std::string package = makeDocx("every-part", [](XMLFileWriter& w) {
        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        r.rFonts.ascii = "Liberation Serif Bold Italic";
        r.b = r.i = true;
        r.sz = 6;
        r.scrpit = 2;
        r.background = true;
        r.backgroundcolor = {200, 100, 50, 255};
        r.u = 4;
        r.strikethrough = 1;
        r.spacing = -0.3f;
        r.w = 80;
        KXDocx_RPr highlighted = KXDocxUtilities::defaultRProperty();
        highlighted.background = true;
        highlighted.backgroundcolor = {255, 255, 0, 255};

        KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
        p.numPr = {0, 1};
        p.outlineLvl = 1;
        p.spacing = {6, 6, 14, "auto", 12};
        p.ind = {-18, 36, 12};
        p.jc = 4;
        KXDocx_SectPr s = KXDocxUtilities::defaultSectPropertyHiden();
        s.shouldWrite = true;
        s.type = 2;
        s.pgSz = {612, 792};
        s.pgMar = {72, 54, 72, 54, 36, 36, 0};
        s.offsetFrom = 1;
        s.pgBorders = KXDocxUtilities::defaultPageBordersNone();
        s.pgBorders.top = s.pgBorders.left = s.pgBorders.bottom = s.pgBorders.right = border(2, 1);
        s.cols = {2, true, 0, 0, {{240, 18}, {200, 0}}};
        s.docGrid = {"lines", 14};
        KXDocx_Tabs tabs{{{"none", "left", 72}, {"none", "left", 144}}};

        w.writeStartElementWithNamespace(W, "p");
        KXDocxUtilities::WritePProperty(p, KXDocxUtilities::defaultRProperty(), s, tabs, w);
        run(w, r, u"x\U0001F600y & <z>");
        run(w, highlighted, u"highlighted");
        w.writeEndElement();

        KXDocx_TblPr t = KXDocxUtilities::defaultTblProperty();
        t.tblCaption = "Caption";
        t.tblpPr = {9, 9, 4, 4, 2, 1, 36, 72, "", ""};
        t.tblStyleColBandSize = t.tblStyleRowBandSize = 1;
        t.tblW = {200, 2};
        t.jc = 2;
        t.tblCellSpacing = {1, 2};
        t.tblInd = {5, 2};
        t.shd = {{230, 230, 230, 255}, {0, 0, 0, 255}, 3};
        t.tblLayout = 1;
        t.tblLook = {true, true, true, true, true, true, "04A0"};
        t.rowCount = 2;
        t.columnCount = 2;
        KXDocx_TcPr first = KXDocxUtilities::defaultTcProperty();
        first.gridSpan = 2;
        first.vMerge = 2;
        first.hideMark = first.noWrap = first.tcFitText = true;
        first.shd = {{255, 255, 0, 255}, {0, 0, 0, 255}, 10};
        first.tcMar = {{1, 2}, {2, 2}, {1, 2}, {2, 2}};
        first.tcBorders = {border(4, 1), border(15, 0.5f), border(8, 1), border(23, 0.5f),
                           border(2, 1),  border(2, 1),     border(2, 1), border(2, 1)};
        first.tcW = {200, 2};
        first.vAlign = 2;
        KXDocx_TcPr second = KXDocxUtilities::defaultTcProperty();
        second.gridSpan = 2;
        second.vMerge = 3;
        table(w, t, first, second);

        KXDocx_SectPr last = KXDocxUtilities::defaultSectPropertyHiden();
        last.pgSz = {792, 612};
        last.cols = {3, false, 12, 1, {}};
        KXDocxUtilities::Write1BlankParagraphWithProperty(KXDocxUtilities::defaultPProperty(),
                                                          KXDocxUtilities::defaultRProperty(),
                                                          KXDocxUtilities::defaultSectPropertyHiden(), w);
        KXDocxUtilities::WriteSectProperty(last, w);
    });
    expectValid(package);
}

TEST(SchemaValidation, ValuesWithoutASchemaNameAreMappedOrLeftOut) {
    KX_REQUIRE_CORPUS(validator());
    std::string package = makeDocx("unknown-values", [](XMLFileWriter& w) {
        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        r.rFonts.ascii.clear();
        r.u = 5;        // no underline name
        r.scrpit = 9;   // no script name
        r.w = 0;        // below the schema's range
        r.color = {-20, 400, 12, 255};
        KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
        p.jc = 9;
        p.ind = {-0.01f, -20, 0};
        p.spacing = {-5, -5, 13.3f, "auto", 12.1f};
        w.writeStartElementWithNamespace(W, "p");
        KXDocx_SectPr s = KXDocxUtilities::defaultSectPropertyHiden();
        s.shouldWrite = true;
        s.type = 6;  // no section kind
        s.pgMar = {-5, -5, -5, -5, -5, -5, -5};
        s.cols = {2, false, 0, 1, {}};
        KXDocxUtilities::WritePProperty(p, r, s, {}, w);
        run(w, r, u"text");
        w.writeEndElement();

        KXDocx_TblPr t = KXDocxUtilities::defaultTblProperty();
        t.tblpPr = {-3, 0, 0, 0, 0, 9, 10, 10, "", ""};  // anchors "none" and out of the table
        t.shd = {{255, 0, 0, 255}, {0, 0, 0, 255}, 11};
        t.jc = 12;
        t.tblLayout = 4;
        t.tblW = {10, 9};
        t.rowCount = 2;
        t.columnCount = 2;
        KXDocx_TcPr first = KXDocxUtilities::defaultTcProperty();
        first.shd = {{255, 0, 0, 255}, {0, 0, 0, 255}, 40};
        first.vMerge = 7;
        first.vAlign = 8;
        first.tcBorders.top = border(99, -1);
        KXDocx_TcPr second = KXDocxUtilities::defaultTcProperty();
        table(w, t, first, second);
        KXDocx_SectPr last = KXDocxUtilities::defaultSectPropertyHiden();
        last.type = -1;
        KXDocxUtilities::Write1BlankParagraphWithProperty(KXDocxUtilities::defaultPProperty(),
                                                          KXDocxUtilities::defaultRProperty(),
                                                          KXDocxUtilities::defaultSectPropertyHiden(), w);
        KXDocxUtilities::WriteSectProperty(last, w);
    });
    expectValid(package);
}

// Sizes and lengths a hostile file can set beyond any sense: a font size of 3.4e38 points written
// in full, or a negative one, is not a number the schema takes, and the package does not validate.
TEST(SchemaValidation, HostileSizesAndLengthsStayWithinTheSchema) {
    KX_REQUIRE_CORPUS(validator());
    struct Case {
        const char* what;
        std::function<void(KXDocx_RPr&, KXDocx_PPr&)> set;
    };
    const Case cases[] = {
        {"a font size of 3.4e38", [](KXDocx_RPr& r, KXDocx_PPr&) { r.sz = 3.4e38f; }},
        {"a negative font size", [](KXDocx_RPr& r, KXDocx_PPr&) { r.sz = -7; }},
        {"character spacing of 3.4e38", [](KXDocx_RPr& r, KXDocx_PPr&) { r.spacing = 3.4e38f; }},
        {"a line of 3.4e38", [](KXDocx_RPr&, KXDocx_PPr& p) { p.spacing = {0, 0, 3.4e38f, "exact", 12}; }},
        {"indents of -3.4e38", [](KXDocx_RPr&, KXDocx_PPr& p) { p.ind = {-3.4e38f, -3.4e38f, 0}; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
        KXDocx_PPr p = KXDocxUtilities::defaultPProperty();
        c.set(r, p);
        const std::string package = makeDocx("hostile-numbers", [&](XMLFileWriter& w) {
            w.writeStartElementWithNamespace(W, "p");
            KXDocxUtilities::WritePProperty(p, r, KXDocxUtilities::defaultSectPropertyHiden(), {}, w);
            run(w, r, u"text");
            w.writeEndElement();
        });
        expectValid(package);
    }
}

TEST(SchemaValidation, TheValidatorRejectsAParagraphOutOfSchemaOrder) {
    // The check above is only worth something if the validator sees element order.
    KX_REQUIRE_CORPUS(validator());
    std::string package = makeDocx("wrong-order", [](XMLFileWriter& w) {
        w.writeStartElementWithNamespace(W, "p");
        w.writeStartElementWithNamespace(W, "pPr");
        w.writeStartElementWithNamespace(W, "jc");
        w.writeAttributeWithNamespace(W, "val", "left");
        w.writeEndElement();
        w.writeStartElementWithNamespace(W, "spacing");
        w.writeAttributeWithNamespace(W, "before", "0");
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement();
    });
    std::string report;
    EXPECT_NE(kx::test::runCommand("'" + *validator() + "' '" + package + "'", &report), 0) << report;
}

// A filled triangle written as a VML shape: the package is valid (the wrapping element stays
// inside the shape: written after it, inside "w:pict", the package does not validate), and
// LibreOffice draws the triangle. Its shape type names preset 12, a star, and LibreOffice takes no
// path from a type: a shape that left its path and coordinate space to its type would be drawn as
// a star, or not at all. The part is read first, so that both show without LibreOffice too.
TEST(SchemaValidation, PathShapesAreValidAndDrawnAsTheirPaths) {
    KX_REQUIRE_CORPUS(validator());
    kx::Path triangle;
    triangle.moveTo({100, 292});
    triangle.lineTo({200, 292});
    triangle.lineTo({150, 212});
    triangle.closeSubpath();
    auto shape = kx::test::pathRun(triangle, kx::test::filled({0, 0.6, 0, 1}), 4);
    const std::string package = makeDocx("path-shape", [&](XMLFileWriter& w) {
        w.writeStartElementWithNamespace(W, "p");
        shape->writeWithXMLWriter(w);
        w.writeEndElement();
    });
    const std::optional<std::string> part =
        kx::readFile(pathJoin(kx::test::tempDir(), "path-shape/word/document.xml"));
    ASSERT_TRUE(part);
    const size_t typeAt = part->find("<v:shapetype ");
    const size_t shapeAt = part->find("<v:shape ");
    const size_t shapeEnd = part->find("</v:shape>");
    ASSERT_NE(typeAt, std::string::npos) << *part;
    ASSERT_NE(shapeAt, std::string::npos) << *part;
    ASSERT_NE(shapeEnd, std::string::npos) << *part;
    const std::string typeTag = part->substr(typeAt, part->find('>', typeAt) - typeAt);
    const std::string shapeTag = part->substr(shapeAt, part->find('>', shapeAt) - shapeAt);
    for (const char* attribute : {" coordorigin=\"", " coordsize=\"", " path=\""}) {
        const size_t inType = typeTag.find(attribute);
        ASSERT_NE(inType, std::string::npos) << attribute << " on the type: " << typeTag;
        const size_t valueAt = inType + std::string_view(attribute).size();
        const std::string written = std::string(attribute) + typeTag.substr(valueAt, typeTag.find('"', valueAt) - valueAt + 1);
        EXPECT_NE(shapeTag.find(written), std::string::npos) << "the shape repeats" << written << ": " << shapeTag;
    }
    const size_t wrapAt = part->find("<w10:wrap type=\"none\"/>");
    ASSERT_NE(wrapAt, std::string::npos) << *part;
    EXPECT_TRUE(shapeAt < wrapAt && wrapAt < shapeEnd) << "the wrapping inside the shape: " << *part;
    expectValid(package);

    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdftoppm"))
        GTEST_SKIP() << "LibreOffice or pdftoppm is missing";
    const std::string folder = pathJoin(kx::test::tempDir(), "path-shape-drawn");
    kx::removeAll(folder);
    kx::createDirectories(folder);
    ASSERT_EQ(kx::test::runCommand("soffice -env:UserInstallation=file://" + pathJoin(folder, "profile") +
                                   " --headless --convert-to pdf --outdir '" + folder + "' '" + package + "' >/dev/null 2>&1"),
              0);
    ASSERT_EQ(kx::test::runCommand("pdftoppm -r 72 -png -f 1 -l 1 '" + pathJoin(folder, "path-shape.pdf") + "' '" +
                                   pathJoin(folder, "page") + "'"),
              0);
    kx::ImageRef page = kx::toRGBA8(kx::readImageFile(pathJoin(folder, "page-1.png")));
    ASSERT_TRUE(page);
    auto green = [&](int x, int y) {
        const kx::test::RGBA p = kx::test::pixelAt(*page, x, y);
        return p[1] > 100 && p[0] < 60 && p[2] < 60;
    };
    EXPECT_TRUE(green(150, 260)) << "the middle of the triangle";
    EXPECT_TRUE(green(108, 289)) << "the triangle's corner, where no star reaches";
    EXPECT_FALSE(green(104, 243)) << "beside the triangle, where a star's arm would be";
}
