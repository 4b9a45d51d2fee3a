#include "pptx/KXPPTXWriter.h"

#include <fstream>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/Numeric.h"
#include "pptx/KXPPTXUtilities.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();
constexpr std::string_view P = KXOpenXMLNameSpace::nameSpace_p();
constexpr std::string_view R = KXOpenXMLNameSpace::nameSpace_r();

constexpr std::string_view kRelsBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
std::string relType(std::string_view name) { return std::string(kRelsBase) + std::string(name); }

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

// The name the theme template gives itself, listed among the titles of the parts.
constexpr std::string_view kThemeName = "Docuvane";

// A slide side in EMU: ST_SlideSizeCoordinate holds 914400 (one inch) to 51206400.
std::string slideCoordinate(double points) {
    double emu = kx::finiteOr(points, 0.0) * 12700.0;
    return std::to_string(std::clamp<std::int64_t>(kx::toInt<std::int64_t>(emu), 914400, 51206400));
}

void declaration(XMLFileWriter& w) { w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes"); }

void element(XMLFileWriter& w, std::string_view ns, std::string_view name,
             std::initializer_list<std::pair<std::string_view, std::string>> attributes = {}) {
    w.writeStartElementWithNamespace(ns, name);
    for (const auto& [key, value] : attributes) w.writeAttribute(key, value);
    w.writeEndElement();
}

void textElement(XMLFileWriter& w, std::string_view ns, std::string_view name, std::string_view text) {
    w.writeStartElementWithNamespace(ns, name);
    w.writeCharacters(text);
    w.writeEndElement();
}

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

// Version "1.0.1" as the "XX.YYYY" form of an application version: "01.0001".
std::string appVersion(const std::string& version) {
    int major = 0, minor = 0, patch = 0;
    if (std::sscanf(version.c_str(), "%d.%d.%d", &major, &minor, &patch) < 1) return {};
    return kx::format("%02d.%04d", std::clamp(major, 0, 99), std::clamp(minor * 100 + patch, 0, 9999));
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

std::string KXPPTXWriter::formatedDate() const {
    return W3CDTFDate(creationTime_ ? *creationTime_ : std::time(nullptr));
}

void KXPPTXWriter::setPresentationRelationships() {
    const std::string source = "/ppt/presentation.xml";
    KXPartRegistry& registry = parts();
    registry.addRelationship(source, relType("slideMaster"), "slideMasters/slideMaster1.xml");
    registry.addRelationship(source, relType("presProps"), "presProps.xml");
    registry.addRelationship(source, relType("viewProps"), "viewProps.xml");
    registry.addRelationship(source, relType("theme"), "theme/theme1.xml");
    registry.addRelationship(source, relType("tableStyles"), "tableStyles.xml");
    slideIdsList_.clear();
    for (std::uint64_t n : writtenSlides_)
        slideIdsList_.push_back(
            registry.addRelationship(source, relType("slide"), "slides/slide" + std::to_string(n) + ".xml"));
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
        registry.addRelationship(layout, relType("slideMaster"), "../slideMasters/slideMaster1.xml");
        addTemplatePart(layout, kSlideLayoutType, "slideLayout" + std::to_string(n) + ".xml");
    }
    const std::string master = "/ppt/slideMasters/slideMaster1.xml";
    for (int n = 1; n <= kSlideLayoutCount; ++n)
        registry.addRelationship(master, relType("slideLayout"), "../slideLayouts/slideLayout" + std::to_string(n) + ".xml");
    registry.addRelationship(master, relType("theme"), "../theme/theme1.xml");
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
    element(w, P, "sldSz",
            {{"cx", slideCoordinate(noSize ? 720 : slideSize_.width)},
             {"cy", slideCoordinate(noSize ? 540 : slideSize_.height)},
             {"type", "screen4x3"}});
    element(w, P, "notesSz", {{"cx", "6858000"}, {"cy", "9144000"}});
    w.writeStartElementWithNamespace(P, "defaultTextStyle");
    w.writeStartElementWithNamespace(A, "defPPr");
    element(w, A, "defRPr", {{"lang", "en-US"}});
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
        element(w, A, "schemeClr", {{"val", "tx1"}});
        w.writeEndElement();
        element(w, A, "latin", {{"typeface", "+mn-lt"}});
        element(w, A, "ea", {{"typeface", "+mn-ea"}});
        element(w, A, "cs", {{"typeface", "+mn-cs"}});
        w.writeEndElement();  // defRPr
        w.writeEndElement();  // lvlNpPr
    }
    w.writeEndElement();  // defaultTextStyle
    w.writeEndDocument();
}

void KXPPTXWriter::writeDocPropsApp(XMLFileWriter& w) const {
    const std::string_view ns = KXOpenXMLNameSpace::nameSpace_ExtendedProperties();
    const std::string_view vt = KXOpenXMLNameSpace::nameSpace_vt();
    const std::string slides = std::to_string(writtenSlides_.size());
    w.setDefaultNamespace(ns);
    w.setPrefix("vt", vt);
    declaration(w);
    w.writeStartElementWithNamespace(ns, "Properties");
    textElement(w, ns, "TotalTime", "7");
    textElement(w, ns, "Words", "0");
    textElement(w, ns, "Application", KXPPTXUtilities::applicationDisplayName());
    textElement(w, ns, "PresentationFormat", "On-screen Show (4:3)");
    textElement(w, ns, "Paragraphs", "0");
    textElement(w, ns, "Slides", slides);
    textElement(w, ns, "Notes", "0");
    textElement(w, ns, "HiddenSlides", "0");
    textElement(w, ns, "MMClips", "0");
    textElement(w, ns, "ScaleCrop", "false");
    // One theme and the slides, counted as they are listed in the titles below.
    w.writeStartElementWithNamespace(ns, "HeadingPairs");
    w.writeStartElementWithNamespace(vt, "vector");
    w.writeAttribute("size", "4");
    w.writeAttribute("baseType", "variant");
    auto variant = [&](std::string_view type, std::string_view text) {
        w.writeStartElementWithNamespace(vt, "variant");
        textElement(w, vt, type, text);
        w.writeEndElement();
    };
    variant("lpstr", "Theme");
    variant("i4", "1");
    variant("lpstr", "Slide Titles");
    variant("i4", slides);
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElementWithNamespace(ns, "TitlesOfParts");
    w.writeStartElementWithNamespace(vt, "vector");
    w.writeAttribute("size", std::to_string(1 + writtenSlides_.size()));
    w.writeAttribute("baseType", "lpstr");
    textElement(w, vt, "lpstr", kThemeName);
    for (size_t n = 1; n <= writtenSlides_.size(); ++n) textElement(w, vt, "lpstr", "Slide " + std::to_string(n));
    w.writeEndElement();
    w.writeEndElement();
    textElement(w, ns, "Company", "");
    textElement(w, ns, "LinksUpToDate", "false");
    textElement(w, ns, "SharedDoc", "false");
    textElement(w, ns, "HyperlinksChanged", "false");
    if (std::string version = appVersion(KXPPTXUtilities::applicationVersion()); !version.empty())
        textElement(w, ns, "AppVersion", version);
    w.writeEndDocument();
}

void KXPPTXWriter::writeDocPropsCore(XMLFileWriter& w) const {
    const std::string_view cp = KXOpenXMLNameSpace::nameSpace_cp();
    const std::string_view dc = KXOpenXMLNameSpace::nameSpace_dc();
    const std::string_view dcterms = KXOpenXMLNameSpace::nameSpace_dcterms();
    const std::string_view xsi = KXOpenXMLNameSpace::nameSpace_xsi();
    w.setPrefix("cp", cp);
    w.setPrefix("dc", dc);
    w.setPrefix("dcterms", dcterms);
    w.setPrefix("dcmitype", KXOpenXMLNameSpace::nameSpace_dcmitype());
    w.setPrefix("xsi", xsi);
    declaration(w);
    w.writeStartElementWithNamespace(cp, "coreProperties");
    textElement(w, dc, "title", "Slide 1");
    textElement(w, dc, "creator", "");
    textElement(w, cp, "lastModifiedBy", KXPPTXUtilities::applicationDisplayName());
    textElement(w, cp, "revision", "3");
    const std::string date = formatedDate();  // once, for both
    for (std::string_view name : {"created", "modified"}) {
        w.writeStartElementWithNamespace(dcterms, name);
        w.writeAttributeWithNamespace(xsi, "type", "dcterms:W3CDTF");
        w.writeCharacters(date);
        w.writeEndElement();
    }
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
        element(w, A, "sx", {{"n", "100"}, {"d", "100"}});
        element(w, A, "sy", {{"n", "100"}, {"d", "100"}});
        w.writeEndElement();
    };
    w.writeStartElementWithNamespace(P, "viewPr");
    w.writeStartElementWithNamespace(P, "normalViewPr");
    w.writeAttribute("showOutlineIcons", "0");
    element(w, P, "restoredLeft", {{"sz", "15620"}});
    element(w, P, "restoredTop", {{"sz", "94660"}});
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "slideViewPr");
    w.writeStartElementWithNamespace(P, "cSldViewPr");
    w.writeStartElementWithNamespace(P, "cViewPr");
    w.writeAttribute("varScale", "1");
    scale();
    element(w, P, "origin", {{"x", "-252"}, {"y", "-84"}});
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "guideLst");
    element(w, P, "guide", {{"orient", "horz"}, {"pos", "2160"}});
    element(w, P, "guide", {{"pos", "2880"}});
    w.writeEndElement();
    w.writeEndElement();  // cSldViewPr
    w.writeEndElement();  // slideViewPr
    w.writeStartElementWithNamespace(P, "notesTextViewPr");
    w.writeStartElementWithNamespace(P, "cViewPr");
    scale();
    element(w, P, "origin", {{"x", "0"}, {"y", "0"}});
    w.writeEndElement();
    w.writeEndElement();
    element(w, P, "gridSpacing", {{"cx", "78028800"}, {"cy", "78028800"}});
    w.writeEndDocument();
}

void KXPPTXWriter::writeTableStyles(XMLFileWriter& w) {
    w.setPrefix("a", A);
    declaration(w);
    w.writeStartElementWithNamespace(A, "tblStyleLst");
    w.writeAttribute("def", "{5C22544A-7EE6-4342-B048-85BDC9FD1C3A}");
    w.writeEndDocument();
}
