// The presentation package writer: the exact text of the parts it generates, the slide size, the
// dates, the slides and pictures it lists (only what was written), and its templates.

#include <gtest/gtest.h>

#include <functional>

#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/Image.h"
#include "pptx/KXPPTXUtilities.h"
#include "pptx/KXPPTXWriter.h"
#include "support/TestSupport.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

using kx::pathJoin;
using kx::test::tabbed;

std::string written(const std::function<void(XMLFileWriter&)>& body) {
    auto w = XMLFileWriter::initInMemory();
    body(*w);
    return w->toString().value_or("");
}

std::unique_ptr<KXPPTXWriter> newWriter(const std::string& name, std::int64_t pages) {
    auto writer = KXPPTXWriter::initWithPath(pathJoin(kx::test::tempDir(), name), pages);
    EXPECT_TRUE(writer);
    if (writer) writer->begainWriteDocument();
    return writer;
}

// A 4 x 3 picture file of the type.
std::string pictureFile(const std::string& name, kx::ImageFileType type) {
    auto image = kx::Image::make(4, 3, kx::PixelFormat::RGB8);
    for (size_t i = 0; i < image->pixels.size(); ++i) image->pixels[i] = static_cast<std::uint8_t>(i * 20);
    std::string path = pathJoin(kx::test::tempDir(), name);
    EXPECT_TRUE(KXWriteCGImageToURL(image, path, type, 72, 72, 0.9f)) << name;
    return path;
}

}  // namespace

TEST(KXPPTXWriter, PresentationPartExactly) {
    auto writer = newWriter("presentation.pptx", 3);
    // Three announced, two begun: the slide list names the two.
    writer->begainWritePage({2000, 1000});
    writer->endWritePage();
    writer->begainWritePage({300, 200});  // a later size does not change the presentation's
    writer->endWritePage();
    ASSERT_TRUE(writer->packetPPTXFile());
    EXPECT_EQ(writer->slideIdsList(), (std::vector<std::string>{"rId6", "rId7"}));
    EXPECT_EQ(written([&](XMLFileWriter& w) { writer->writePresentation(w); }), tabbed(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<p:presentation xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main" saveSubsetFonts="1">
  <p:sldMasterIdLst>
    <p:sldMasterId id="2147483648" r:id="rId1"/>
  </p:sldMasterIdLst>
  <p:sldIdLst>
    <p:sldId id="256" r:id="rId6"/>
    <p:sldId id="257" r:id="rId7"/>
  </p:sldIdLst>
  <p:sldSz cx="25400000" cy="12700000" type="screen4x3"/>
  <p:notesSz cx="6858000" cy="9144000"/>
  <p:defaultTextStyle>
    <a:defPPr>
      <a:defRPr lang="en-US"/>
    </a:defPPr>
    <a:lvl1pPr marL="0" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl1pPr>
    <a:lvl2pPr marL="457200" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl2pPr>
    <a:lvl3pPr marL="914400" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl3pPr>
    <a:lvl4pPr marL="1371600" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl4pPr>
    <a:lvl5pPr marL="1828800" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl5pPr>
    <a:lvl6pPr marL="2286000" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl6pPr>
    <a:lvl7pPr marL="2743200" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl7pPr>
    <a:lvl8pPr marL="3200400" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl8pPr>
    <a:lvl9pPr marL="3657600" algn="l" defTabSz="914400" rtl="0" eaLnBrk="1" latinLnBrk="0" hangingPunct="1">
      <a:defRPr sz="1800" kern="1200">
        <a:solidFill>
          <a:schemeClr val="tx1"/>
        </a:solidFill>
        <a:latin typeface="+mn-lt"/>
        <a:ea typeface="+mn-ea"/>
        <a:cs typeface="+mn-cs"/>
      </a:defRPr>
    </a:lvl9pPr>
  </p:defaultTextStyle>
</p:presentation>)"));
}

TEST(KXPPTXWriter, DocumentPropertiesExactly) {
    auto writer = newWriter("properties.pptx", 5);
    writer->begainWritePage({720, 540});
    writer->endWritePage();
    writer->begainWritePage({720, 540});
    writer->endWritePage();
    // The last second of 2023 in UTC: its week already belongs to 2024, its calendar year does not.
    writer->setCreationTime(1704067199);
    EXPECT_EQ(written([&](XMLFileWriter& w) { writer->writeDocPropsCore(w); }), tabbed(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" xmlns:dcmitype="http://purl.org/dc/dcmitype/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
  <dc:title>Slide 1</dc:title>
  <dc:creator></dc:creator>
  <cp:lastModifiedBy>Docuvane</cp:lastModifiedBy>
  <cp:revision>3</cp:revision>
  <dcterms:created xsi:type="dcterms:W3CDTF">2023-12-31T23:59:59Z</dcterms:created>
  <dcterms:modified xsi:type="dcterms:W3CDTF">2023-12-31T23:59:59Z</dcterms:modified>
</cp:coreProperties>)"));
    EXPECT_EQ(written([&](XMLFileWriter& w) { writer->writeDocPropsApp(w); }), tabbed(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties" xmlns:vt="http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes">
  <TotalTime>7</TotalTime>
  <Words>0</Words>
  <Application>Docuvane</Application>
  <PresentationFormat>On-screen Show (4:3)</PresentationFormat>
  <Paragraphs>0</Paragraphs>
  <Slides>2</Slides>
  <Notes>0</Notes>
  <HiddenSlides>0</HiddenSlides>
  <MMClips>0</MMClips>
  <ScaleCrop>false</ScaleCrop>
  <HeadingPairs>
    <vt:vector size="4" baseType="variant">
      <vt:variant>
        <vt:lpstr>Theme</vt:lpstr>
      </vt:variant>
      <vt:variant>
        <vt:i4>1</vt:i4>
      </vt:variant>
      <vt:variant>
        <vt:lpstr>Slide Titles</vt:lpstr>
      </vt:variant>
      <vt:variant>
        <vt:i4>1</vt:i4>
      </vt:variant>
    </vt:vector>
  </HeadingPairs>
  <TitlesOfParts>
    <vt:vector size="2" baseType="lpstr">
      <vt:lpstr>Office Theme</vt:lpstr>
      <vt:lpstr>Slide 1</vt:lpstr>
    </vt:vector>
  </TitlesOfParts>
  <Company></Company>
  <LinksUpToDate>false</LinksUpToDate>
  <SharedDoc>false</SharedDoc>
  <HyperlinksChanged>false</HyperlinksChanged>
  <AppVersion>12.0000</AppVersion>
</Properties>)"));
}

TEST(KXPPTXWriter, FixedPartsExactly) {
    EXPECT_EQ(written(KXPPTXWriter::writePresProps), tabbed(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<p:presentationPr xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main"/>)"));
    EXPECT_EQ(written(KXPPTXWriter::writeTableStyles), tabbed(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<a:tblStyleLst xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" def="{5C22544A-7EE6-4342-B048-85BDC9FD1C3A}"/>)"));
    EXPECT_EQ(written(KXPPTXWriter::writeViewProps), tabbed(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<p:viewPr xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main">
  <p:normalViewPr showOutlineIcons="0">
    <p:restoredLeft sz="15620"/>
    <p:restoredTop sz="94660"/>
  </p:normalViewPr>
  <p:slideViewPr>
    <p:cSldViewPr>
      <p:cViewPr varScale="1">
        <p:scale>
          <a:sx n="100" d="100"/>
          <a:sy n="100" d="100"/>
        </p:scale>
        <p:origin x="-252" y="-84"/>
      </p:cViewPr>
      <p:guideLst>
        <p:guide orient="horz" pos="2160"/>
        <p:guide pos="2880"/>
      </p:guideLst>
    </p:cSldViewPr>
  </p:slideViewPr>
  <p:notesTextViewPr>
    <p:cViewPr>
      <p:scale>
        <a:sx n="100" d="100"/>
        <a:sy n="100" d="100"/>
      </p:scale>
      <p:origin x="0" y="0"/>
    </p:cViewPr>
  </p:notesTextViewPr>
  <p:gridSpacing cx="78028800" cy="78028800"/>
</p:viewPr>)"));
}

TEST(KXPPTXWriter, SlideSizeWithinTheSchemasBounds) {
    struct Case {
        const char* what;
        std::optional<kx::Size> first;
        const char* want;
    };
    const Case cases[] = {
        {"a page of 2000 by 1000 points", kx::Size{2000, 1000}, "<p:sldSz cx=\"25400000\" cy=\"12700000\""},
        {"a page smaller than an inch", kx::Size{5, 3}, "<p:sldSz cx=\"914400\" cy=\"914400\""},
        {"a page longer than 56 inches", kx::Size{5000, 100}, "<p:sldSz cx=\"51206400\" cy=\"1270000\""},
        {"a size that is not a number", kx::Size{std::nan(""), 100}, "<p:sldSz cx=\"914400\" cy=\"1270000\""},
        {"no slide at all", std::nullopt, "<p:sldSz cx=\"9144000\" cy=\"6858000\""},
    };
    for (const Case& c : cases) {
        auto writer = newWriter("size.pptx", 1);
        if (c.first) {
            writer->begainWritePage(*c.first);
            writer->endWritePage();
        }
        std::string text = written([&](XMLFileWriter& w) { writer->writePresentation(w); });
        EXPECT_NE(text.find(c.want), std::string::npos) << c.what << "\n" << text.substr(0, 800);
    }
    // Numbers ignore the user's locale.
    kx::test::ScopedLocale german("de_DE.UTF-8");
    if (german.ok()) {
        auto writer = newWriter("size-de.pptx", 1);
        writer->begainWritePage({612.5, 792.25});
        writer->endWritePage();
        std::string text = written([&](XMLFileWriter& w) { writer->writePresentation(w); });
        EXPECT_NE(text.find("<p:sldSz cx=\"7778750\" cy=\"10061575\""), std::string::npos) << text.substr(0, 800);
    }
}

TEST(KXPPTXWriter, PicturesAreCollectedOnceAndAlwaysHaveAContentType) {
    auto writer = newWriter("media.pptx", 2);
    const std::string png = pictureFile("pic.png", kx::ImageFileType::PNG);
    const std::string jpegNamedPng = pictureFile("jpeg-named.png", kx::ImageFileType::JPEG);
    const std::string jp2 = pictureFile("pic.jp2", kx::ImageFileType::JPEG2000);
    const std::string tiff = pictureFile("pic.tiff", kx::ImageFileType::TIFF);
    const std::string text = kx::test::writeTemp("not-a-picture.png", "plain text");
    EXPECT_FALSE(writer->collectImageWithPath(png)) << "no slide to show it on";

    writer->begainWritePage({720, 540});
    struct Case {
        const char* what;
        std::string path;
        std::optional<std::string> id;
    };
    const Case firstSlide[] = {
        {"a PNG file", png, "rId2"},
        {"the same file again", png, "rId2"},
        {"a JPEG file, whatever its name", jpegNamedPng, "rId3"},
        {"a JPEG 2000 file, stored as PNG", jp2, "rId4"},
        {"a TIFF file, stored as PNG", tiff, "rId5"},
        {"a file that is no picture", text, std::nullopt},
        {"a file that does not exist", pathJoin(kx::test::tempDir(), "gone.png"), std::nullopt},
    };
    for (const Case& c : firstSlide) EXPECT_EQ(writer->collectImageWithPath(c.path), c.id) << c.what;
    const std::vector<KXRelationship> rels = writer->currentPage()->pageRelsArr();
    ASSERT_EQ(rels.size(), 5u);
    EXPECT_EQ(rels[1].Target, "../media/image1.png");
    EXPECT_EQ(rels[2].Target, "../media/image2.jpeg");
    EXPECT_EQ(rels[3].Target, "../media/image3.png");
    EXPECT_EQ(rels[4].Target, "../media/image4.png");
    ASSERT_TRUE(writer->endWritePage());

    // On the next slide the same file gets a relationship of that slide to the same media part.
    writer->begainWritePage({720, 540});
    EXPECT_EQ(writer->collectImageWithPath(jp2), "rId2");
    EXPECT_EQ(writer->currentPage()->pageRelsArr()[1].Target, "../media/image3.png");
    ASSERT_TRUE(writer->endWritePage());

    std::vector<std::string> media;
    for (const KXPartRegistry::Part& part : writer->parts().parts())
        if (part.partName.rfind("/ppt/media/", 0) == 0) media.push_back(part.partName + " " + part.contentType);
    EXPECT_EQ(media, (std::vector<std::string>{"/ppt/media/image1.png image/png", "/ppt/media/image2.jpeg image/jpeg",
                                               "/ppt/media/image3.png image/png", "/ppt/media/image4.png image/png"}));
    // The converted picture really is a PNG file now, and the collected files stay where they were.
    std::optional<std::string> converted = kx::readFile(writer->pathForPart("/ppt/media/image3.png"));
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_TRUE(kx::fileExists(png) && kx::fileExists(jp2));
    KXError error;
    EXPECT_TRUE(writer->packetPPTXFile(&error)) << error.failureReason;
}

TEST(KXPPTXWriter, ThePackageListsTheSlidesWritten) {
    const std::string out = pathJoin(kx::test::tempDir(), "announced.pptx");
    auto writer = KXPPTXWriter::initWithPath(out, 4);
    ASSERT_TRUE(writer);
    const std::string work = writer->savedWorkFolder();
    writer->begainWriteDocument();
    for (int i = 0; i < 2; ++i) {
        writer->begainWritePage({720, 540});
        writer->endWritePage();
    }
    writer->begainWritePage({720, 540});  // left open: ended with the package
    KXError error;
    ASSERT_TRUE(writer->packetPPTXFile(&error)) << error.failureReason;
    EXPECT_EQ(writer->writtenSlides(), (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_EQ(writer->slideIdsList(), (std::vector<std::string>{"rId6", "rId7", "rId8"}));
    EXPECT_TRUE(writer->parts().problems().empty());
    EXPECT_TRUE(writer->parts().hasPart("/ppt/slides/slide3.xml"));
    EXPECT_FALSE(writer->parts().hasPart("/ppt/slides/slide4.xml"));
    const std::vector<KXRelationship>& presentation = writer->parts().relationshipsOf("/ppt/presentation.xml");
    ASSERT_EQ(presentation.size(), 8u);
    EXPECT_EQ(presentation.back().Target, "slides/slide3.xml");
    const std::vector<KXRelationship>& master = writer->parts().relationshipsOf("/ppt/slideMasters/slideMaster1.xml");
    ASSERT_EQ(master.size(), 12u);
    EXPECT_EQ(master[10].Id, "rId11");
    EXPECT_EQ(master[10].Target, "../slideLayouts/slideLayout11.xml");
    EXPECT_EQ(master[11].Id, "rId12");
    EXPECT_EQ(master[11].Target, "../theme/theme1.xml");
    EXPECT_TRUE(kx::isRegularFile(out));
    EXPECT_FALSE(kx::fileExists(work));
    // No picture was collected, and the two picture types are declared all the same.
    const std::string types = written([&](XMLFileWriter& w) { writer->parts().writeContentTypes(w); });
    EXPECT_NE(types.find("<Default Extension=\"jpeg\" ContentType=\"image/jpeg\"/>"), std::string::npos) << types;
    EXPECT_NE(types.find("<Default Extension=\"png\" ContentType=\"image/png\"/>"), std::string::npos) << types;
}

TEST(KXPPTXWriter, TemplatesAreBuiltInAsTheyShip) {
    const std::string bundle = pathJoin(kx::test::sourceDir(), "resources/KXSolbrin.bundle");
    std::vector<std::string> names = {"theme1.xml", "slideMaster1.xml", "thumbnail.jpeg"};
    for (int n = 1; n <= KXPPTXWriter::kSlideLayoutCount; ++n) names.push_back("slideLayout" + std::to_string(n) + ".xml");
    for (const std::string& name : names) {
        std::optional<std::string_view> builtIn = KXPPTXUtilities::builtInTemplate(name);
        ASSERT_TRUE(builtIn) << name;
        EXPECT_TRUE(std::string(*builtIn) == kx::readFile(pathJoin(bundle, name)).value_or("")) << name;
        EXPECT_TRUE(KXPPTXUtilities::templateData(name)) << name;
    }
    EXPECT_FALSE(KXPPTXUtilities::builtInTemplate("slideLayout12.xml"));
    EXPECT_FALSE(KXPPTXUtilities::templateData("../Info.plist"));
}
