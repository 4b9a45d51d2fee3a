#include "pptx/KXPPTXWriter.h"

#include <fstream>

#include "ooxml/KXDocumentProperties.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/ImageDecoding.h"
#include "platform/Numeric.h"
#include "pptx/KXPPTXUtilities.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

using NS = KXOpenXMLNameSpace;
constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();
constexpr std::string_view P = KXOpenXMLNameSpace::nameSpace_p();
constexpr std::string_view R = KXOpenXMLNameSpace::nameSpace_r();

constexpr std::string_view kPresentationType =
    "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml";
constexpr std::string_view kSlideMasterType =
    "application/vnd.openxmlformats-officedocument.presentationml.slideMaster+xml";
constexpr std::string_view kSlideLayoutType =
    "application/vnd.openxmlformats-officedocument.presentationml.slideLayout+xml";
constexpr std::string_view kPresPropsType = "application/vnd.openxmlformats-officedocument.presentationml.presProps+xml";
constexpr std::string_view kViewPropsType = "application/vnd.openxmlformats-officedocument.presentationml.viewProps+xml";
constexpr std::string_view kTableStylesType =
    "application/vnd.openxmlformats-officedocument.presentationml.tableStyles+xml";

// A slide side in EMU: ST_SlideSizeCoordinate holds 914400 (one inch) to 51206400.
std::string slideCoordinate(double points) {
    double emu = kx::finiteOr(points, 0.0) * 12700.0;
    return std::to_string(std::clamp<std::int64_t>(kx::toInt<std::int64_t>(emu), 914400, 51206400));
}

void declaration(XMLFileWriter& w) { w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes"); }

void bindSlideNamespaces(XMLFileWriter& w) {
    w.setPrefix("a", A);
    w.setPrefix("r", R);
    w.setPrefix("p", P);
}

// The first bytes of a file, enough to recognise an image format.
std::string fileHead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(64, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
    return head;
}

}  // namespace

std::unique_ptr<KXPPTXWriter> KXPPTXWriter::initWithPath(const std::string& path, std::int64_t numOfPages,
                                                         const std::optional<std::string>& parentFolder) {
    std::unique_ptr<KXPPTXWriter> writer(new KXPPTXWriter());
    if (!writer->initWorkFolder(path, parentFolder)) return nullptr;
    writer->totalPPTXPages_ = static_cast<std::uint64_t>(std::max<std::int64_t>(0, numOfPages));
    return writer;
}

void KXPPTXWriter::begainWriteDocument() {
    mediaBySource_.clear();
    mediaCount_ = 0;
    currentPageIndex_ = 0;
    writtenSlides_.clear();
}

void KXPPTXWriter::begainWritePage(const kx::Size& size) {
    if (slideSize_.width == 0 && slideSize_.height == 0) slideSize_ = size;
    ++currentPageIndex_;
    currentPage_ = std::make_unique<KXPPTXPage>(currentPageIndex_, *this);
    currentPage_->begainWritePage(currentPageIndex_);
}

bool KXPPTXWriter::endWritePage() {
    if (!currentPage_) return false;
    bool written = currentPage_->endWritePage(currentPageIndex_);
    if (written) writtenSlides_.push_back(currentPage_->pageNumber());
    currentPage_.reset();
    return written;
}

std::optional<std::string> KXPPTXWriter::mediaPartForFile(const std::string& path) {
    if (auto it = mediaBySource_.find(path); it != mediaBySource_.end()) return it->second;
    if (!kx::isRegularFile(path)) return std::nullopt;
    const std::string name = "/ppt/media/image" + std::to_string(mediaCount_ + 1);
    std::string partName;
    switch (kx::detectImageType(fileHead(path))) {
        case kx::ImageFileType::PNG: partName = name + ".png"; break;
        case kx::ImageFileType::JPEG: partName = name + ".jpeg"; break;
        case kx::ImageFileType::GIF: partName = name + ".gif"; break;
        default: break;
    }
    if (!partName.empty()) {
        if (!addMediaPart(partName, path)) return std::nullopt;
    } else {
        // Stored as PNG: a JPEG 2000 picture, for one, has no place in a presentation.
        kx::ImageRef image = kx::readImageFile(path);
        partName = name + ".png";
        const std::string file = pathForPart(partName);
        if (!image || !kx::createDirectories(kx::pathDirectory(file)) ||
            !KXWriteCGImageToURL(image, file, kx::ImageFileType::PNG, image->dpiX, image->dpiY, 1.0f,
                             kKXPackagePictureDeflateLevel) ||
            !parts().addMediaPart(partName))
            return std::nullopt;
    }
    ++mediaCount_;
    mediaBySource_.emplace(path, partName);
    return partName;
}

std::optional<std::string> KXPPTXWriter::collectImageWithPath(const std::string& path) {
    if (!currentPage_) return std::nullopt;
    std::optional<std::string> media = mediaPartForFile(path);
    if (!media) return std::nullopt;
    if (std::optional<std::string> id = currentPage_->findExistRelsWithImagePath(*media)) return id;
    return currentPage_->addNewRelsWithImagePath(*media);
}

std::time_t KXPPTXWriter::creationTime() const { return creationTime_ ? *creationTime_ : kx::documentTime(); }

void KXPPTXWriter::setPresentationRelationships() {
    const std::string source = "/ppt/presentation.xml";
    KXPartRegistry& registry = parts();
    registry.addRelationship(source, NS::relationshipType("slideMaster"), "slideMasters/slideMaster1.xml");
    registry.addRelationship(source, NS::relationshipType("presProps"), "presProps.xml");
    registry.addRelationship(source, NS::relationshipType("viewProps"), "viewProps.xml");
    registry.addRelationship(source, NS::relationshipType("theme"), "theme/theme1.xml");
    registry.addRelationship(source, NS::relationshipType("tableStyles"), "tableStyles.xml");
    slideIdsList_.clear();
    for (std::uint64_t n : writtenSlides_)
        slideIdsList_.push_back(registry.addRelationship(source, NS::relationshipType("slide"),
                                                         "slides/slide" + std::to_string(n) + ".xml"));
}

bool KXPPTXWriter::writeXMLPart(const std::string& partName, std::string_view contentType,
                                const std::function<void(XMLFileWriter&)>& body) {
    std::unique_ptr<XMLFileWriter> writer = createXMLPart(partName, contentType);
    if (!writer) return false;
    body(*writer);
    return endXMLPart(*writer);
}

bool KXPPTXWriter::addTemplatePart(const std::string& partName, std::string_view contentType,
                                   std::string_view templateName) {
    std::optional<std::string> bytes = KXPPTXUtilities::templateData(templateName);
    return bytes && addPartWithBytes(partName, contentType, *bytes);
}

bool KXPPTXWriter::packetPPTXFile(KXError* error) {
    if (currentPage_) endWritePage();  // a slide left open is still part of the presentation
    KXPartRegistry& registry = parts();
    // The two picture types are declared whether or not the presentation shows a picture.
    registry.declareDefaultExtension("jpeg");
    registry.declareDefaultExtension("png");

    registry.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_OfficeDocument(), "ppt/presentation.xml");
    registry.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_Thumbnail(), "docProps/thumbnail.jpeg");
    registry.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_CoreProperties(), "docProps/core.xml");
    registry.addRelationship("/", KXOpenXMLNameSpace::nameSpace_Rels_ExtendedProperties(), "docProps/app.xml");
    writeXMLPart("/docProps/app.xml", KXPartRegistry::contentType_ExtendedProperties(),
                 [&](XMLFileWriter& w) { writeDocPropsApp(w); });
    writeXMLPart("/docProps/core.xml", KXPartRegistry::contentType_CoreProperties(),
                 [&](XMLFileWriter& w) { writeDocPropsCore(w); });
    addTemplatePart("/docProps/thumbnail.jpeg", "image/jpeg", "thumbnail.jpeg");

    setPresentationRelationships();
    writeXMLPart("/ppt/presentation.xml", kPresentationType, [&](XMLFileWriter& w) { writePresentation(w); });
    writeXMLPart("/ppt/presProps.xml", kPresPropsType, writePresProps);
    for (int n = 1; n <= kSlideLayoutCount; ++n) {
        const std::string layout = "/ppt/slideLayouts/slideLayout" + std::to_string(n) + ".xml";
        registry.addRelationship(layout, NS::relationshipType("slideMaster"), "../slideMasters/slideMaster1.xml");
        addTemplatePart(layout, kSlideLayoutType, "slideLayout" + std::to_string(n) + ".xml");
    }
    const std::string master = "/ppt/slideMasters/slideMaster1.xml";
    for (int n = 1; n <= kSlideLayoutCount; ++n)
        registry.addRelationship(master, NS::relationshipType("slideLayout"),
                                 "../slideLayouts/slideLayout" + std::to_string(n) + ".xml");
    registry.addRelationship(master, NS::relationshipType("theme"), "../theme/theme1.xml");
    addTemplatePart(master, kSlideMasterType, "slideMaster1.xml");
    writeXMLPart("/ppt/tableStyles.xml", kTableStylesType, writeTableStyles);
    addTemplatePart("/ppt/theme/theme1.xml", KXPartRegistry::contentType_Theme(), "theme1.xml");
    writeXMLPart("/ppt/viewProps.xml", kViewPropsType, writeViewProps);
    return finishPackage(error);
}

// --- The generated parts --------------------------------------------------------------------------

void KXPPTXWriter::writePresentation(XMLFileWriter& w) const {
    bindSlideNamespaces(w);
    declaration(w);
    w.writeStartElementWithNamespace(P, "presentation");
    w.writeAttribute("saveSubsetFonts", "1");
    w.writeStartElementWithNamespace(P, "sldMasterIdLst");
    w.writeStartElementWithNamespace(P, "sldMasterId");
    w.writeAttribute("id", "2147483648");
    w.writeAttributeWithNamespace(R, "id", "rId1");
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "sldIdLst");
    std::uint64_t id = 256;
    for (const std::string& rid : slideIdsList_) {
        w.writeStartElementWithNamespace(P, "sldId");
        w.writeAttribute("id", std::to_string(id++));
        w.writeAttributeWithNamespace(R, "id", rid);
        w.writeEndElement();
    }
    w.writeEndElement();
    // Without a slide, the size of a 4:3 screen.
    const bool noSize = slideSize_.width == 0 && slideSize_.height == 0;
    w.writeEmptyElementWithAttributes(P, "sldSz",
                                      {{"cx", slideCoordinate(noSize ? 720 : slideSize_.width)},
                                       {"cy", slideCoordinate(noSize ? 540 : slideSize_.height)},
                                       {"type", "screen4x3"}});
    w.writeEmptyElementWithAttributes(P, "notesSz", {{"cx", "6858000"}, {"cy", "9144000"}});
    w.writeStartElementWithNamespace(P, "defaultTextStyle");
    w.writeStartElementWithNamespace(A, "defPPr");
    w.writeEmptyElementWithAttributes(A, "defRPr", {{"lang", "en-US"}});
    w.writeEndElement();
    for (int level = 1; level <= 9; ++level) {
        w.writeStartElementWithNamespace(A, "lvl" + std::to_string(level) + "pPr");
        w.writeAttribute("marL", std::to_string((level - 1) * 457200));
        w.writeAttribute("algn", "l");
        w.writeAttribute("defTabSz", "914400");
        w.writeAttribute("rtl", "0");
        w.writeAttribute("eaLnBrk", "1");
        w.writeAttribute("latinLnBrk", "0");
        w.writeAttribute("hangingPunct", "1");
        w.writeStartElementWithNamespace(A, "defRPr");
        w.writeAttribute("sz", "1800");
        w.writeAttribute("kern", "1200");
        w.writeStartElementWithNamespace(A, "solidFill");
        w.writeEmptyElementWithAttributes(A, "schemeClr", {{"val", "tx1"}});
        w.writeEndElement();
        w.writeEmptyElementWithAttributes(A, "latin", {{"typeface", "+mn-lt"}});
        w.writeEmptyElementWithAttributes(A, "ea", {{"typeface", "+mn-ea"}});
        w.writeEmptyElementWithAttributes(A, "cs", {{"typeface", "+mn-cs"}});
        w.writeEndElement();  // defRPr
        w.writeEndElement();  // lvlNpPr
    }
    w.writeEndElement();  // defaultTextStyle
    w.writeEndDocument();
}

void KXPPTXWriter::writeDocPropsApp(XMLFileWriter& w) const {
    const std::string slides = std::to_string(writtenSlides_.size());
    KXAppProperties properties;
    properties.defaultNamespaceFirst = true;
    properties.leading = {{"TotalTime", "7"},
                          {"Words", "0"},
                          {"Application", KXPPTXUtilities::applicationDisplayName()},
                          {"PresentationFormat", "On-screen Show (4:3)"},
                          {"Paragraphs", "0"},
                          {"Slides", slides},
                          {"Notes", "0"},
                          {"HiddenSlides", "0"},
                          {"MMClips", "0"},
                          {"ScaleCrop", "false"}};
    // The titles are fixed: one theme and one slide title, whatever the count of slides.
    properties.headingPairs = {{"Theme", 1}, {"Slide Titles", 1}};
    properties.titles = {"Office Theme", "Slide 1"};
    properties.trailing = {{"Company", ""},
                           {"LinksUpToDate", "false"},
                           {"SharedDoc", "false"},
                           {"HyperlinksChanged", "false"},
                           {"AppVersion", "12.0000"}};
    kx::writeAppProperties(w, properties);
    w.writeEndDocument();
}

void KXPPTXWriter::writeDocPropsCore(XMLFileWriter& w) const {
    const std::string_view cp = KXOpenXMLNameSpace::nameSpace_cp();
    const std::string_view dc = KXOpenXMLNameSpace::nameSpace_dc();
    KXCoreProperties properties;
    properties.entries = {{dc, "title", "Slide 1"},
                          {dc, "creator", ""},
                          {cp, "lastModifiedBy", KXPPTXUtilities::applicationDisplayName()},
                          {cp, "revision", "3"}};
    properties.time = creationTime();
    kx::writeCoreProperties(w, properties);
    w.writeEndDocument();
}

void KXPPTXWriter::writePresProps(XMLFileWriter& w) {
    bindSlideNamespaces(w);
    declaration(w);
    w.writeStartElementWithNamespace(P, "presentationPr");
    w.writeEndDocument();
}

void KXPPTXWriter::writeViewProps(XMLFileWriter& w) {
    bindSlideNamespaces(w);
    declaration(w);
    auto scale = [&] {
        w.writeStartElementWithNamespace(P, "scale");
        w.writeEmptyElementWithAttributes(A, "sx", {{"n", "100"}, {"d", "100"}});
        w.writeEmptyElementWithAttributes(A, "sy", {{"n", "100"}, {"d", "100"}});
        w.writeEndElement();
    };
    w.writeStartElementWithNamespace(P, "viewPr");
    w.writeStartElementWithNamespace(P, "normalViewPr");
    w.writeAttribute("showOutlineIcons", "0");
    w.writeEmptyElementWithAttributes(P, "restoredLeft", {{"sz", "15620"}});
    w.writeEmptyElementWithAttributes(P, "restoredTop", {{"sz", "94660"}});
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "slideViewPr");
    w.writeStartElementWithNamespace(P, "cSldViewPr");
    w.writeStartElementWithNamespace(P, "cViewPr");
    w.writeAttribute("varScale", "1");
    scale();
    w.writeEmptyElementWithAttributes(P, "origin", {{"x", "-252"}, {"y", "-84"}});
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "guideLst");
    w.writeEmptyElementWithAttributes(P, "guide", {{"orient", "horz"}, {"pos", "2160"}});
    w.writeEmptyElementWithAttributes(P, "guide", {{"pos", "2880"}});
    w.writeEndElement();
    w.writeEndElement();  // cSldViewPr
    w.writeEndElement();  // slideViewPr
    w.writeStartElementWithNamespace(P, "notesTextViewPr");
    w.writeStartElementWithNamespace(P, "cViewPr");
    scale();
    w.writeEmptyElementWithAttributes(P, "origin", {{"x", "0"}, {"y", "0"}});
    w.writeEndElement();
    w.writeEndElement();
    w.writeEmptyElementWithAttributes(P, "gridSpacing", {{"cx", "78028800"}, {"cy", "78028800"}});
    w.writeEndDocument();
}

void KXPPTXWriter::writeTableStyles(XMLFileWriter& w) {
    w.setPrefix("a", A);
    declaration(w);
    w.writeStartElementWithNamespace(A, "tblStyleLst");
    w.writeAttribute("def", "{5C22544A-7EE6-4342-B048-85BDC9FD1C3A}");
    w.writeEndDocument();
}
