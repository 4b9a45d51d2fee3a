// A package built part by part, checked by the shared validator (schemas, content types,
// relationship targets) and listed by Python's zip reader: "[Content_Types].xml" first, then the
// parts by name, and nothing that was not registered.

#include <gtest/gtest.h>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/KXOutputWriter.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

using kx::pathJoin;

const std::string W(KXOpenXMLNameSpace::nameSpace_w());

std::optional<std::string> validator() {
    std::optional<std::string> path = kx::test::sharedTool("ooxml-validate");
    if (!path || !kx::test::haveCommand("xmllint") || !kx::test::haveCommand("python3")) return std::nullopt;
    return path;
}

std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace

TEST(PackageValidation, APackageBuiltPartByPartIsValid) {
    std::optional<std::string> validate = validator();
    KX_REQUIRE_CORPUS(validate);

    std::string out = pathJoin(kx::test::tempDir(), "built.docx");
    KXOutputWriter writer;
    ASSERT_TRUE(writer.initWorkFolder(out));
    // A stray file in the work folder is not a part: it stays out of the package.
    ASSERT_TRUE(kx::writeFile(pathJoin(writer.savedWorkFolder(), "stray.tmp"), "scratch"));

    auto doc = writer.createXMLPart("/word/document.xml",
                                    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
    ASSERT_TRUE(doc);
    doc->setPrefix("w", W);
    doc->setPrefix("r", KXOpenXMLNameSpace::nameSpace_r());
    doc->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    doc->writeStartElementWithNamespace(W, "document");
    doc->writeStartElementWithNamespace(W, "body");
    doc->writeStartElementWithNamespace(W, "p");
    doc->writeStartElementWithNamespace(W, "r");
    doc->writeStartElementWithNamespace(W, "t");
    doc->writeCharacters(u"A package from its registry \u2013 \u00E9t\u00E9");
    ASSERT_TRUE(writer.endXMLPart(*doc));

    auto app = writer.createXMLPart("/docProps/app.xml", KXPartRegistry::contentType_ExtendedProperties());
    ASSERT_TRUE(app);
    const std::string ep(KXOpenXMLNameSpace::nameSpace_ExtendedProperties());
    app->setDefaultNamespace(ep);
    app->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    app->writeStartElementWithNamespace(ep, "Properties");
    app->writeStartElementWithNamespace(ep, "Application");
    app->writeCharacters("Docuvane");
    ASSERT_TRUE(writer.endXMLPart(*app));

    std::string picture = kx::test::writeTemp("validation-picture.jpg", "\xFF\xD8\xFF\xE0 not decoded");
    ASSERT_TRUE(writer.addMediaPart("/word/media/image1.jpg", picture));

    KXPartRegistry& parts = writer.parts();
    parts.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_OfficeDocument(), "word/document.xml");
    parts.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_ExtendedProperties(), "docProps/app.xml");
    EXPECT_EQ(parts.findOrAddRelationship("/word/document.xml", KXOpenXMLNameSpace::nameSpace_Rels_Image(),
                                          "media/image1.jpg"),
              "rId1");
    KXError error;
    ASSERT_TRUE(writer.finishPackage(&error)) << error.failureReason;

    std::string report;
    EXPECT_EQ(kx::test::runCommand(shellQuoted(*validate) + " " + shellQuoted(out), &report), 0) << report;
    EXPECT_NE(report.find("valid"), std::string::npos) << report;

    std::string listing;
    ASSERT_EQ(kx::test::runCommand("python3 -c 'import sys, zipfile; print(\"\\n\".join(zipfile.ZipFile(sys.argv[1]).namelist()))' " +
                                       shellQuoted(out),
                                   &listing),
              0)
        << listing;
    EXPECT_EQ(listing,
              "[Content_Types].xml\n_rels/.rels\ndocProps/app.xml\nword/_rels/document.xml.rels\n"
              "word/document.xml\nword/media/image1.jpg\n");
    std::string types;
    ASSERT_EQ(kx::test::runCommand("unzip -p " + shellQuoted(out) + " '\\[Content_Types\\].xml'", &types), 0);
    EXPECT_NE(types.find("<Default Extension=\"jpg\" ContentType=\"image/jpeg\"/>"), std::string::npos) << types;
    EXPECT_EQ(types.find("image/jpg"), std::string::npos) << types;
}
