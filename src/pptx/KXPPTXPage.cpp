#include "pptx/KXPPTXPage.h"

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/KXOutputWriter.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"

namespace {

constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();
constexpr std::string_view P = KXOpenXMLNameSpace::nameSpace_p();
constexpr std::string_view R = KXOpenXMLNameSpace::nameSpace_r();

void empty(XMLFileWriter& w, std::string_view ns, std::string_view name) {
    w.writeStartElementWithNamespace(ns, name);
    w.writeEndElement();
}

void point(XMLFileWriter& w, std::string_view name, std::string_view a, std::string_view b) {
    w.writeStartElementWithNamespace(A, name);
    w.writeAttribute(name == "off" || name == "chOff" ? "x" : "cx", a);
    w.writeAttribute(name == "off" || name == "chOff" ? "y" : "cy", b);
    w.writeEndElement();
}

std::string mediaTarget(const std::string& mediaPath) { return "../media/" + kx::pathFileName(mediaPath); }

}  // namespace

KXPPTXPage::KXPPTXPage(std::uint64_t pageNumber, KXOutputWriter& package)
    : pageNumber_(pageNumber), partName_(partNameForPage(pageNumber)), package_(&package) {}

std::string KXPPTXPage::partNameForPage(std::uint64_t pageNumber) {
    return "/ppt/slides/slide" + std::to_string(pageNumber) + ".xml";
}

void KXPPTXPage::begainWritePage(std::uint64_t) {
    sharepsArr_.clear();
    pageRelsArr_.clear();
    relsByTarget_.clear();
    setDefaultRels();
}

void KXPPTXPage::addRelationship(KXRelationship relationship) {
    relsByTarget_.emplace(relationship.Target, relationship.Id);
    pageRelsArr_.push_back(std::move(relationship));
}

void KXPPTXPage::setDefaultRels() {
    addRelationship({"rId" + std::to_string(pageRelsArr_.size() + 1),
                     KXOpenXMLNameSpace::relationshipType("slideLayout"), "../slideLayouts/slideLayout1.xml"});
}

std::optional<std::string> KXPPTXPage::findExistRelsWithImagePath(const std::string& mediaPath) const {
    auto it = relsByTarget_.find(mediaTarget(mediaPath));
    if (it == relsByTarget_.end()) return std::nullopt;
    return it->second;
}

std::string KXPPTXPage::addNewRelsWithImagePath(const std::string& mediaPath) {
    std::string id = "rId" + std::to_string(pageRelsArr_.size() + 1);
    addRelationship({id, std::string(KXOpenXMLNameSpace::nameSpace_Rels_Image()), mediaTarget(mediaPath)});
    return id;
}

bool KXPPTXPage::endWritePage(std::uint64_t) {
    std::unique_ptr<XMLFileWriter> writer = package_->createXMLPart(partName_, contentType());
    if (!writer) return false;
    writePage(*writer);
    if (!package_->endXMLPart(*writer)) return false;
    for (const KXRelationship& r : pageRelsArr_) package_->parts().addRelationshipWithId(partName_, r.Id, r.Type, r.Target);
    return true;
}

void KXPPTXPage::writePage(XMLFileWriter& w) {
    w.setPrefix("a", A);
    w.setPrefix("r", R);
    w.setPrefix("p", P);
    w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    w.writeStartElementWithNamespace(P, "sld");
    w.writeStartElementWithNamespace(P, "cSld");
    w.writeStartElementWithNamespace(P, "spTree");

    w.writeStartElementWithNamespace(P, "nvGrpSpPr");
    w.writeStartElementWithNamespace(P, "cNvPr");
    w.writeAttribute("id", "1");
    w.writeAttribute("name", "");
    w.writeEndElement();
    empty(w, P, "cNvGrpSpPr");
    empty(w, P, "nvPr");
    w.writeEndElement();

    w.writeStartElementWithNamespace(P, "grpSpPr");
    w.writeStartElementWithNamespace(A, "xfrm");
    point(w, "off", "0", "0");
    point(w, "ext", "0", "0");
    point(w, "chOff", "0", "0");
    point(w, "chExt", "0", "0");
    w.writeEndElement();
    w.writeEndElement();

    // Ids are unique on the slide: 1 is the shape tree, the shapes follow in drawing order.
    std::uint32_t id = 2;
    for (const auto& shape : sharepsArr_) {
        shape->setShapeId(id++);
        shape->writeShapeWith(w);
    }

    w.writeEndElement();  // spTree
    w.writeEndElement();  // cSld
    w.writeStartElementWithNamespace(P, "clrMapOvr");
    empty(w, A, "masterClrMapping");
    w.writeEndElement();
    w.writeEndDocument();
}

KXPPTXParagraph& KXPPTXPage::cachedTextBoxLastParagraph() {
    if (cachedTextBoxParagraphs_.empty()) cachedTextBoxParagraphs_.push_back(std::make_unique<KXPPTXParagraph>());
    return *cachedTextBoxParagraphs_.back();
}

KXPPTXParagraph& KXPPTXPage::cachedTextBoxNewParagraph() {
    const KXPPTX_PPr properties = cachedTextBoxLastParagraph().pProperty();
    auto paragraph = std::make_unique<KXPPTXParagraph>();
    paragraph->setPProperty(properties);
    cachedTextBoxParagraphs_.push_back(std::move(paragraph));
    return *cachedTextBoxParagraphs_.back();
}

double KXPPTXPage::cachedTextBoxWidthMax() const {
    float widest = 0;
    for (const auto& p : cachedTextBoxParagraphs_) {
        float width = static_cast<float>(p->pProperty().marL + p->textWidth());
        if (width > widest) widest = width;
    }
    return widest;
}

double KXPPTXPage::cachedTextBoxHeight() const {
    double sum = 0;
    for (const auto& p : cachedTextBoxParagraphs_) sum += p->pProperty().lnSpc;
    return sum;
}
