// The part registry: part names and targets, content types by extension and by part, relationship
// ids as the package writers hand them out, the consistency check, and the exact text of the two
// parts written from it.

#include <gtest/gtest.h>

#include <functional>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/KXPartRegistry.h"
#include "ooxml/XMLFileWriter.h"

namespace {

const std::string kImage(KXOpenXMLNameSpace::nameSpace_Rels_Image());
const std::string kTheme(KXOpenXMLNameSpace::nameSpace_Rels_Theme());
const std::string kDocumentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

std::string contentTypes(const KXPartRegistry& registry) {
    auto w = XMLFileWriter::initInMemory();
    registry.writeContentTypes(*w);
    return w->toString().value_or("");
}

std::string relationships(const KXPartRegistry& registry, std::string_view source) {
    auto w = XMLFileWriter::initInMemory();
    registry.writeRelationships(source, *w);
    return w->toString().value_or("");
}

}  // namespace

TEST(KXPartRegistry, PartNamesTargetsAndRelationshipsParts) {
    struct NameCase {
        const char* name;
        const char* want;  // nullptr: refused
    };
    const NameCase names[] = {
        {"/word/document.xml", "/word/document.xml"},
        {"word/document.xml", "/word/document.xml"},
        {"/a", "/a"},
        {"", nullptr},
        {"/", nullptr},
        {"/word/", nullptr},
        {"/word//document.xml", nullptr},
        {"/word/./document.xml", nullptr},
        {"/word/../document.xml", nullptr},
        {"/word/document.", nullptr},
        {"/word\\document.xml", nullptr},
    };
    for (const NameCase& c : names) {
        std::optional<std::string> got = KXPartRegistry::normalisedPartName(c.name);
        if (c.want)
            EXPECT_EQ(got, std::optional<std::string>(c.want)) << c.name;
        else
            EXPECT_FALSE(got) << c.name;
    }

    struct TargetCase {
        const char* source;
        const char* target;
        const char* want;  // nullptr: outside the package
    };
    const TargetCase targets[] = {
        {"/", "word/document.xml", "/word/document.xml"},
        {"/", "/docProps/core.xml", "/docProps/core.xml"},
        {"/word/document.xml", "media/image1.png", "/word/media/image1.png"},
        {"/ppt/slides/slide1.xml", "../media/image1.png", "/ppt/media/image1.png"},
        {"/ppt/slides/slide1.xml", "./../slideLayouts/./slideLayout1.xml", "/ppt/slideLayouts/slideLayout1.xml"},
        {"/ppt/slides/slide1.xml", "/ppt/media/image2.jpeg", "/ppt/media/image2.jpeg"},
        {"/ppt/slides/slide1.xml", "../../../outside.xml", nullptr},
        {"/word/document.xml", "", nullptr},
    };
    for (const TargetCase& c : targets) {
        std::optional<std::string> got = KXPartRegistry::resolveTarget(c.source, c.target);
        if (c.want)
            EXPECT_EQ(got, std::optional<std::string>(c.want)) << c.source << " → " << c.target;
        else
            EXPECT_FALSE(got) << c.source << " → " << c.target;
    }

    EXPECT_EQ(KXPartRegistry::relationshipsPartName("/"), "/_rels/.rels");
    EXPECT_EQ(KXPartRegistry::relationshipsPartName("/word/document.xml"), "/word/_rels/document.xml.rels");
    EXPECT_EQ(KXPartRegistry::relationshipsPartName("ppt/slides/slide3.xml"), "/ppt/slides/_rels/slide3.xml.rels");

    // The two kinds of part the registry writes itself cannot be registered; names compare
    // without regard to case.
    KXPartRegistry registry;
    EXPECT_FALSE(registry.addPart("/[Content_Types].xml", "application/xml"));
    EXPECT_FALSE(registry.addPart("/_rels/.rels", std::string(KXPartRegistry::contentType_Relationships())));
    EXPECT_FALSE(registry.addPart("/word/_rels/document.xml.rels", "application/xml"));
    EXPECT_FALSE(registry.addPart("/word/document.xml", ""));
    EXPECT_TRUE(registry.addPart("/word/Document.xml", "application/xml"));
    EXPECT_TRUE(registry.addPart("/WORD/document.xml", kDocumentType));
    EXPECT_EQ(registry.parts().size(), 1u);
    EXPECT_EQ(registry.parts()[0].partName, "/word/Document.xml");
    EXPECT_EQ(registry.contentTypeOf("word/document.XML"), kDocumentType);
}

TEST(KXPartRegistry, MediaContentTypesComeFromTheExtension) {
    struct Case {
        const char* extension;
        const char* want;  // nullptr: no content type
    };
    const Case cases[] = {
        {"png", "image/png"},   {"PNG", "image/png"},   {"jpeg", "image/jpeg"}, {"jpg", "image/jpeg"},
        {"JPG", "image/jpeg"},  {"gif", "image/gif"},   {"tiff", "image/tiff"}, {"tif", "image/tiff"},
        {"bmp", "image/bmp"},   {"emf", "image/x-emf"}, {"wmf", "image/x-wmf"}, {"jp2", "image/jp2"},
        {"tga", nullptr},       {"", nullptr},          {"xml", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<std::string_view> got = KXPartRegistry::mediaContentType(c.extension);
        if (c.want)
            EXPECT_EQ(got, std::optional<std::string_view>(c.want)) << c.extension;
        else
            EXPECT_FALSE(got) << c.extension;
    }
    KXPartRegistry registry;
    EXPECT_TRUE(registry.addMediaPart("/ppt/media/image1.jp2"));
    EXPECT_EQ(registry.contentTypeOf("/ppt/media/image1.jp2"), "image/jp2");
    EXPECT_FALSE(registry.addMediaPart("/ppt/media/image2.tga"));
    EXPECT_FALSE(registry.addMediaPart("/ppt/media/noextension"));
    EXPECT_EQ(registry.parts().size(), 1u);
}

TEST(KXPartRegistry, RelationshipIdsAsPackageWritersHandThemOut) {
    KXPartRegistry r;
    const std::string doc = "/word/document.xml";
    // Five fixed relationships, then pictures: the first picture is rId6.
    for (const char* target : {"styles.xml", "fontTable.xml", "theme/theme1.xml", "settings.xml", "webSettings.xml"})
        r.addRelationship(doc, "type/" + std::string(target), target);
    EXPECT_EQ(r.findOrAddRelationship(doc, kImage, "media/a.png"), "rId6");
    // The same picture again: the same id, listed once.
    EXPECT_EQ(r.findOrAddRelationship(doc, kImage, "media/a.png"), "rId6");
    EXPECT_EQ(r.relationshipsOf(doc).size(), 6u);
    EXPECT_EQ(r.findOrAddRelationship(doc, kImage, "media/b.png"), "rId7");
    // Removal renumbers nothing, and a later relationship does not take a removed id.
    EXPECT_TRUE(r.removeRelationship(doc, "rId6"));
    EXPECT_FALSE(r.removeRelationship(doc, "rId6"));
    EXPECT_FALSE(r.findRelationship(doc, kImage, "media/a.png"));
    EXPECT_EQ(r.findRelationship(doc, kImage, "media/b.png"), "rId7");
    EXPECT_EQ(r.addRelationship(doc, kImage, "media/c.png"), "rId8");
    // A chosen id is kept and reserved; an automatic id skips it; a taken or invalid id is refused.
    EXPECT_TRUE(r.addRelationshipWithId(doc, "rId10", kImage, "media/d.png"));
    EXPECT_FALSE(r.addRelationshipWithId(doc, "rId10", kImage, "media/e.png"));
    EXPECT_FALSE(r.addRelationshipWithId(doc, "10", kImage, "media/e.png"));
    EXPECT_FALSE(r.addRelationshipWithId(doc, "r Id", kImage, "media/e.png"));
    EXPECT_EQ(r.addRelationship(doc, kImage, "media/f.png"), "rId11");
    // Each source counts on its own, whatever the case of its name.
    EXPECT_EQ(r.addRelationship("/ppt/slides/slide1.xml", kImage, "../media/image1.png"), "rId1");
    EXPECT_EQ(r.addRelationship("ppt/slides/SLIDE1.xml", kImage, "../media/image2.png"), "rId2");
    EXPECT_EQ(r.relationshipSources(), (std::vector<std::string>{"/ppt/slides/slide1.xml", "/word/document.xml"}));
}

// Removals leave the other relationships in the order they were added, whatever was removed
// before; one added again, or an id taken again, goes last; equal relationships (same type and
// target) are found in the order they were added as the earlier ones go; and every look-up by id,
// by type and target, and the written part agree after each change.
TEST(KXPartRegistry, RemovalsKeepTheOrderOfTheOthers) {
    KXPartRegistry r;
    const std::string doc = "/word/document.xml";
    auto targets = [&] {
        std::vector<std::string> out;
        for (const KXRelationship& rel : r.relationshipsOf(doc)) out.push_back(rel.Id + " " + rel.Target);
        return out;
    };
    using Lines = std::vector<std::string>;
    for (const char* name : {"a", "b", "c", "d", "e"})
        r.addRelationship(doc, kImage, std::string("media/") + name + ".png");
    EXPECT_TRUE(r.removeRelationship(doc, "rId2"));
    EXPECT_TRUE(r.removeRelationship(doc, "rId4"));
    EXPECT_EQ(targets(), (Lines{"rId1 media/a.png", "rId3 media/c.png", "rId5 media/e.png"}));
    EXPECT_EQ(r.findRelationship(doc, kImage, "media/e.png"), "rId5") << "the later ones are still found";
    EXPECT_FALSE(r.findRelationship(doc, kImage, "media/d.png"));
    // Added again: a new id, last.
    EXPECT_EQ(r.findOrAddRelationship(doc, kImage, "media/b.png"), "rId6");
    // A removed id can be chosen again, and goes last too.
    EXPECT_TRUE(r.addRelationshipWithId(doc, "rId2", kImage, "media/d.png"));
    EXPECT_FALSE(r.addRelationshipWithId(doc, "rId5", kImage, "media/f.png")) << "an id in use stays taken";
    EXPECT_EQ(targets(), (Lines{"rId1 media/a.png", "rId3 media/c.png", "rId5 media/e.png", "rId6 media/b.png",
                                "rId2 media/d.png"}));
    EXPECT_EQ(r.findRelationship(doc, kImage, "media/d.png"), "rId2");
    // Equal relationships: the earliest that is left is the one found.
    EXPECT_EQ(r.addRelationship(doc, kImage, "media/x.png"), "rId8");
    EXPECT_EQ(r.addRelationship(doc, kImage, "media/x.png"), "rId9");
    EXPECT_EQ(r.addRelationship(doc, kTheme, "media/x.png"), "rId10") << "another type is another relationship";
    EXPECT_EQ(r.findRelationship(doc, kImage, "media/x.png"), "rId8");
    EXPECT_TRUE(r.removeRelationship(doc, "rId8"));
    EXPECT_EQ(r.findRelationship(doc, kImage, "media/x.png"), "rId9");
    EXPECT_TRUE(r.removeRelationship(doc, "rId9"));
    EXPECT_FALSE(r.findRelationship(doc, kImage, "media/x.png"));
    EXPECT_EQ(r.findRelationship(doc, kTheme, "media/x.png"), "rId10");
    const std::string part = relationships(r, doc);
    size_t at = 0;
    for (const char* id : {"rId1", "rId3", "rId5", "rId6", "rId2", "rId10"}) {
        const size_t next = part.find(std::string("Id=\"") + id + "\"", at);
        ASSERT_NE(next, std::string::npos) << id << " in order in " << part;
        at = next;
    }
    EXPECT_EQ(part.find("rId8"), std::string::npos);
    // A source whose relationships have all gone has none to write.
    for (const std::string& line : targets()) EXPECT_TRUE(r.removeRelationship(doc, line.substr(0, line.find(' '))));
    EXPECT_TRUE(r.relationshipsOf(doc).empty());
    EXPECT_TRUE(r.relationshipSources().empty());
    EXPECT_EQ(r.addRelationship(doc, kImage, "media/a.png"), "rId11") << "ids still count every relationship added";
}

TEST(KXPartRegistry, ProblemsOfAnInconsistentPackage) {
    struct Case {
        const char* what;
        std::function<void(KXPartRegistry&)> build;
        std::vector<std::string> want;
    };
    auto base = [](KXPartRegistry& r) {
        r.addPart("/word/document.xml", kDocumentType);
        r.addRelationship("/", std::string(KXOpenXMLNameSpace::nameSpace_Rels_OfficeDocument()), "word/document.xml");
    };
    const Case cases[] = {
        {"consistent", base, {}},
        {"a target that was not written",
         [&](KXPartRegistry& r) {
             base(r);
             r.addRelationship("/word/document.xml", kTheme, "theme/theme1.xml");
         },
         {"relationship rId1 of /word/document.xml points at a missing part /word/theme/theme1.xml"}},
        {"a part withdrawn after its relationship was made",
         [&](KXPartRegistry& r) {
             base(r);
             r.removePart("/word/document.xml");
         },
         {"relationship rId1 of / points at a missing part /word/document.xml"}},
        {"relationships of a source that is no part",
         [&](KXPartRegistry& r) {
             base(r);
             r.addRelationship("/word/footer1.xml", kImage, "document.xml");
         },
         {"relationships of /word/footer1.xml, which is not a part of the package"}},
        {"a target above the package's root",
         [&](KXPartRegistry& r) {
             base(r);
             r.addRelationship("/word/document.xml", kImage, "../../image.png");
         },
         {"relationship rId1 of /word/document.xml points outside the package: ../../image.png"}},
        {"a removed relationship no longer counts",
         [&](KXPartRegistry& r) {
             base(r);
             std::string id = r.addRelationship("/word/document.xml", kTheme, "theme/theme1.xml");
             r.removeRelationship("/word/document.xml", id);
         },
         {}},
    };
    for (const Case& c : cases) {
        KXPartRegistry r;
        c.build(r);
        EXPECT_EQ(r.problems(), c.want) << c.what;
    }
}

TEST(KXPartRegistry, ContentTypesPartExactly) {
    KXPartRegistry r;
    r.addPart("/word/document.xml", kDocumentType);
    r.addPart("/docProps/core.xml", KXPartRegistry::contentType_CoreProperties());
    r.addMediaPart("/word/media/image1.png");
    r.addMediaPart("/word/media/photo.JPG");
    r.addMediaPart("/word/media/image2.jp2");
    r.addMediaPart("/word/media/image3.png");
    r.addPart("/customXml/item1.xml", "application/xml");       // the xml Default covers it
    r.addPart("/word/media/odd.png", "application/octet-stream"); // not the png type: an Override
    r.addPart("/word/embeddings/object", "application/vnd.openxmlformats-officedocument.oleObject");
    EXPECT_EQ(contentTypes(r),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
              "\t<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>\n"
              "\t<Default Extension=\"xml\" ContentType=\"application/xml\"/>\n"
              "\t<Default Extension=\"png\" ContentType=\"image/png\"/>\n"
              "\t<Default Extension=\"jpg\" ContentType=\"image/jpeg\"/>\n"
              "\t<Default Extension=\"jp2\" ContentType=\"image/jp2\"/>\n"
              "\t<Override PartName=\"/word/document.xml\" ContentType=\"" + kDocumentType + "\"/>\n"
              "\t<Override PartName=\"/docProps/core.xml\" "
              "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>\n"
              "\t<Override PartName=\"/word/media/odd.png\" ContentType=\"application/octet-stream\"/>\n"
              "\t<Override PartName=\"/word/embeddings/object\" "
              "ContentType=\"application/vnd.openxmlformats-officedocument.oleObject\"/>\n"
              "</Types>");
    // An empty package still declares the two extensions every package has.
    EXPECT_EQ(contentTypes(KXPartRegistry()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
              "\t<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>\n"
              "\t<Default Extension=\"xml\" ContentType=\"application/xml\"/>\n"
              "</Types>");
    // Declared picture extensions are there without a part of theirs, once each, before the others.
    KXPartRegistry declared;
    EXPECT_TRUE(declared.declareDefaultExtension("jpeg"));
    EXPECT_TRUE(declared.declareDefaultExtension("PNG"));
    EXPECT_FALSE(declared.declareDefaultExtension("txt"));
    EXPECT_TRUE(declared.addMediaPart("/ppt/media/image1.gif"));
    EXPECT_TRUE(declared.addMediaPart("/ppt/media/image2.png"));
    EXPECT_EQ(contentTypes(declared),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
              "\t<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>\n"
              "\t<Default Extension=\"xml\" ContentType=\"application/xml\"/>\n"
              "\t<Default Extension=\"jpeg\" ContentType=\"image/jpeg\"/>\n"
              "\t<Default Extension=\"png\" ContentType=\"image/png\"/>\n"
              "\t<Default Extension=\"gif\" ContentType=\"image/gif\"/>\n"
              "</Types>");
}

TEST(KXPartRegistry, RelationshipsPartExactly) {
    KXPartRegistry r;
    r.addRelationship("/", std::string(KXOpenXMLNameSpace::nameSpace_Rels_OfficeDocument()), "ppt/presentation.xml");
    r.addRelationshipWithId("/", "rId7", std::string(KXOpenXMLNameSpace::nameSpace_Rels_Thumbnail()),
                            "docProps/thumbnail.jpeg");
    r.addRelationship("/", kImage, "media/a&b.png");
    EXPECT_EQ(relationships(r, "/"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
              "\t<Relationship Id=\"rId1\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
              "Target=\"ppt/presentation.xml\"/>\n"
              "\t<Relationship Id=\"rId7\" "
              "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/thumbnail\" "
              "Target=\"docProps/thumbnail.jpeg\"/>\n"
              "\t<Relationship Id=\"rId3\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
              "Target=\"media/a&amp;b.png\"/>\n"
              "</Relationships>");
    EXPECT_EQ(relationships(r, "/word/document.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>");
}
