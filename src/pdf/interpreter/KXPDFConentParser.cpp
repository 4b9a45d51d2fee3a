#include "pdf/interpreter/KXPDFConentParser.h"

#include <algorithm>

#include "pdf/color/KXPDFColorSpaceCollection.h"
#include "pdf/interpreter/KXPDFConentParser_p.h"
#include "pdf/state/KXPDFExtGStateCollection.h"
#include "pdf/interpreter/KXPDFPropertiesCollection.h"
#include "pdf/page/KXPDFPageGeometry.h"
#include "platform/Numeric.h"

KXPDFConentParser::KXPDFConentParser() = default;

KXPDFConentParser::KXPDFConentParser(kx::PDFObject contentDict, kx::PDFContentStream contentStream)
    : contentDict_(std::move(contentDict)),
      contentStream_(std::move(contentStream)),
      isParserAnnots_(1),
      contentStreamType_(PageContent) {}

KXPDFConentParser::~KXPDFConentParser() {
    cleanResourcesCollection();
    dropAnnotCollection();
    delegate_ = nullptr;
}

void KXPDFConentParser::startParser() {
    markedContentStack_ = KXPDFMarkedContentStack();
    collectResourcesWithDict(contentDict_);
    scanOperatorIndex_BegainText_ = 0;
    scanOperatorIndex_ShowText_ = 0;
    {
        kx::PDFScanner scanner(contentStream_, operatorTable(), this);
        // A scan that stops early (damaged data) still ends the run normally.
        scanner.scan();
    }
    reportHeldText();
    cleanResourcesCollection();
    if (isParserAnnots_ != 0) runAnnotationPass();
    scanOperatorIndex_BegainText_ = ~std::uint64_t{0};
    scanOperatorIndex_ShowText_ = ~std::uint64_t{0};
}

const kx::PDFOperatorTable& KXPDFConentParser::operatorTable() {
    if (operatorTable_) return *operatorTable_;
    using namespace kx::detail;
    static constexpr std::pair<const char*, kx::PDFOperatorCallback> kOperators[] = {
        {"BT", opBT},   {"ET", opET},   {"Tj", opTj},     {"'", opQuote},  {"\"", opDoubleQuote},
        {"TJ", opTJ},   {"Tm", opTm},   {"Td", opTd},     {"TD", opTD},    {"T*", opTStar},
        {"Tw", opTw},   {"Tc", opTc},   {"TL", opTL},     {"Tz", opTz},    {"Ts", opTs},
        {"Tf", opTf},   {"Tr", opTr},   {"MP", opMP},     {"DP", opDP},    {"BMC", opBMC},
        {"BDC", opBDC}, {"EMC", opEMC}, {"CS", opCS},     {"cs", opcs},    {"G", opG},
        {"g", opg},     {"K", opK},     {"k", opk},       {"RG", opRG},    {"rg", oprg},
        {"ri", opri},   {"SC", opSC},   {"sc", opsc},     {"SCN", opSCN},  {"scn", opscn},
        {"gs", opgs},   {"cm", opcm},   {"q", opq},       {"Q", opQ},      {"BX", opBX},
        {"EX", opEX},   {"b", opb},     {"B", opB},       {"b*", opbStar}, {"B*", opBStar},
        {"f", opf},     {"F", opF},     {"f*", opfStar},  {"sh", opsh},    {"i", opi},
        {"d", opd},     {"w", opw},     {"j", opj},       {"J", opJ},      {"M", opM},
        {"re", opre},   {"l", opl},     {"m", opm},       {"h", oph},      {"s", ops},
        {"S", opS},     {"n", opn},     {"W", opW},       {"W*", opWStar}, {"c", opc},
        {"v", opv},     {"y", opy},     {"Do", opDo},     {"EI", opEI},
    };
    static_assert(std::size(kOperators) == 69);
    // Text held back for its reading order is reported before anything else the content does.
    static constexpr std::pair<const char*, kx::PDFOperatorCallback> kReportingHeldText[] = {
        {"MP", afterHeldText<opMP>},   {"DP", afterHeldText<opDP>},   {"BMC", afterHeldText<opBMC>},
        {"BDC", afterHeldText<opBDC>}, {"EMC", afterHeldText<opEMC>}, {"ri", afterHeldText<opri>},
        {"gs", afterHeldText<opgs>},   {"BX", afterHeldText<opBX>},   {"EX", afterHeldText<opEX>},
        {"b", afterHeldText<opb>},     {"B", afterHeldText<opB>},     {"b*", afterHeldText<opbStar>},
        {"B*", afterHeldText<opBStar>}, {"f", afterHeldText<opf>},     {"F", afterHeldText<opF>},
        {"f*", afterHeldText<opfStar>}, {"sh", afterHeldText<opsh>},   {"i", afterHeldText<opi>},
        {"d", afterHeldText<opd>},     {"w", afterHeldText<opw>},     {"j", afterHeldText<opj>},
        {"J", afterHeldText<opJ>},     {"M", afterHeldText<opM>},     {"re", afterHeldText<opre>},
        {"l", afterHeldText<opl>},     {"m", afterHeldText<opm>},     {"h", afterHeldText<oph>},
        {"s", afterHeldText<ops>},     {"S", afterHeldText<opS>},     {"n", afterHeldText<opn>},
        {"W", afterHeldText<opW>},     {"W*", afterHeldText<opWStar>}, {"c", afterHeldText<opc>},
        {"v", afterHeldText<opv>},     {"y", afterHeldText<opy>},     {"Do", afterHeldText<opDo>},
        {"EI", afterHeldText<opEI>},
    };
    operatorTable_ = std::make_unique<kx::PDFOperatorTable>();
    for (auto& [name, callback] : kOperators) operatorTable_->setCallback(name, callback);
    for (auto& [name, callback] : kReportingHeldText) operatorTable_->setCallback(name, callback);
    return *operatorTable_;
}

const std::shared_ptr<KXPDFRenderStateStack>& KXPDFConentParser::renderingStateStack() {
    if (!renderingStateStack_) renderingStateStack_ = std::make_shared<KXPDFRenderStateStack>();
    return renderingStateStack_;
}

KXPDFRenderState& KXPDFConentParser::currentRenderingState() { return renderingStateStack()->topRenderingState(); }

KXPDFRenderState& KXPDFConentParser::pushRenderingState() { return renderingStateStack()->pushRenderingState(); }

KXPDFRenderState& KXPDFConentParser::pushRenderingState(const KXPDFRenderState* state) {
    if (!state) return pushRenderingState();
    return renderingStateStack()->pushRenderingState(*state);
}

void KXPDFConentParser::popRenderingState() {
    auto& stack = renderingStateStack();
    if (stack->depth() > stackFloor_) stack->popRenderingState();
}

void KXPDFConentParser::saveRenderingState() {
    if (renderingStateStack()->depth() >= kMaxSavedStates)
        ++unsavedStates_;
    else
        pushRenderingState();
}

void KXPDFConentParser::restoreRenderingState() {
    if (unsavedStates_ > 0)
        --unsavedStates_;
    else
        popRenderingState();
    currentRenderingState();
}

kx::PDFObject KXPDFConentParser::resourcesOfDictionary(const kx::PDFObject& dict) {
    if (!dict.isDictionary()) return {};
    // Pages inherit their resources from any ancestor in the page tree, not only the parent.
    kx::PDFObject resources = dict.inheritedGet("Resources");
    return resources.isDictionary() ? resources : kx::PDFObject();
}

kx::PDFObject KXPDFConentParser::resourceSubDictionary(const kx::PDFObject& dict, const char* key) {
    kx::PDFObject resources = resourcesOfDictionary(dict);
    if (resources.isNull()) return {};
    kx::PDFObject sub = resources.dictGet(key);
    return sub.isDictionary() ? sub : kx::PDFObject();
}

void KXPDFConentParser::collectionPageInfoIfNeed(const kx::PDFObject& dict) {
    pageRotationAngle_ = 0;
    if (dict.isDictionary()) {
        kx::PDFObject rotate = dict.inheritedGet("Rotate");
        std::int64_t angle = 0;
        double real = 0;
        if (rotate.getInteger(angle)) {
            pageRotationAngle_ = KXPDFPageGeometry::normalizedAngle(angle);
        } else if (rotate.getNumber(real)) {
            pageRotationAngle_ = KXPDFPageGeometry::normalizedAngle(kx::toInt<std::int64_t>(real));
        }
    }
    double box[4] = {0, 0, 0, 0};
    kx::PDFObject mediaBox = dict.isDictionary() ? dict.inheritedGet("MediaBox") : kx::PDFObject();
    for (size_t i = 0; i < 4; ++i) mediaBox.arrayAt(i).getNumber(box[i]);
    pageMediaBox_ = kx::Rect(box[0], box[1], box[2], box[3]);
    pageTransform_ = kx::AffineTransform::identity();
    if (pageRotationAngle_ > 0 && box[2] > 0 && box[3] > 0)
        pageTransform_ = pageTransformForBox(pageRotationAngle_, box[2], box[3]);
}

void KXPDFConentParser::collectResourcesWithDict(const kx::PDFObject& dict) {
    collectionPageInfoIfNeed(dict);
    fontCollection_ = fontCollectionWithDict(dict);
    colorSpaceCollection_ = colorSpaceCollectionWithDict(dict);
    xObjectCollection_ = xObjectCollectionWithDict(dict);
    extGStateCollection_ = extGStateCollectionWithDict(dict);
    shadingCollection_ = shadingCollectionWithDict(dict);
    patternCollection_ = patternCollectionWithDict(dict);
    propertiesCollection_ = propertiesCollectionWithDict(dict);
}

std::shared_ptr<KXPDFColorSpaceCollection> KXPDFConentParser::colorSpaceCollectionWithDict(const kx::PDFObject& dict) {
    if (resourcesOfDictionary(dict).isNull()) return nullptr;
    return std::make_shared<KXPDFColorSpaceCollection>(resourceSubDictionary(dict, "ColorSpace"));
}

std::shared_ptr<KXPDFExtGStateCollection> KXPDFConentParser::extGStateCollectionWithDict(const kx::PDFObject& dict) {
    if (resourcesOfDictionary(dict).isNull()) return nullptr;
    return std::make_shared<KXPDFExtGStateCollection>(resourceSubDictionary(dict, "ExtGState"));
}

std::shared_ptr<KXPDFPropertiesCollection> KXPDFConentParser::propertiesCollectionWithDict(
    const kx::PDFObject& dict) {
    if (resourcesOfDictionary(dict).isNull()) return nullptr;
    return std::make_shared<KXPDFPropertiesCollection>(resourceSubDictionary(dict, "Properties"));
}

kx::PDFObject KXPDFConentParser::currentColorSpaceDict() const {
    return resourceSubDictionary(contentDict_, "ColorSpace");
}

void KXPDFConentParser::cleanResourcesCollection() {
    dropAnnotCollection();
    fontCollection_.reset();
    xObjectCollection_.reset();
    extGStateCollection_.reset();
    shadingCollection_.reset();
    colorSpaceCollection_.reset();
    patternCollection_.reset();
    propertiesCollection_.reset();
}

bool KXPDFConentParser::runNestedParser(const kx::PDFObject& stream, std::int64_t contentStreamType,
                                        std::shared_ptr<KXPDFAnnot> annot) {
    if (!stream.isStream() || formDepth_ >= kMaxNestingDepth) return false;
    if (!nesting_) nesting_ = std::make_shared<NestingState>();
    auto& running = nesting_->running;
    const std::uintptr_t id = stream.identity();
    // A form that draws itself, directly or through others, would never end; a form drawn from
    // forms drawn from forms can multiply its work without a cycle, so the runs are counted too.
    if (std::find(running.begin(), running.end(), id) != running.end()) return false;
    if (nesting_->nestedRuns >= nesting_->budget) return false;
    ++nesting_->nestedRuns;
    running.push_back(id);

    std::shared_ptr<KXPDFRenderStateStack> stack = renderingStateStack();
    const size_t depth = stack->depth();
    {
        KXPDFConentParser nested(stream, kx::PDFContentStream::forStream(stream, resourcesOfDictionary(stream)));
        nested.setDelegate(delegate_);
        nested.setRenderingStateStack(stack);
        nested.setPageIndex(pageIndex_);
        nested.setPageGeometry(pageGeometry_);
        nested.setContentAnnot(std::move(annot));
        nested.setContentStreamType(contentStreamType);
        // Annotations belong to pages; a form dictionary has none to replay.
        nested.setIsParserAnnots(0);
        nested.setFormDepth(formDepth_ + 1);
        nested.stackFloor_ = depth;
        nested.nesting_ = nesting_;
        nested.startParser();
    }
    // States the nested content pushed and never popped are dropped; the caller's are untouched.
    while (stack->depth() > depth) stack->popRenderingState();

    running.pop_back();
    return true;
}

void KXPDFConentParser::setNestedRunBudget(std::size_t runs) {
    if (!nesting_) nesting_ = std::make_shared<NestingState>();
    nesting_->budget = runs;
}

void KXPDFConentParser::KXPDFAnnotPushRenderingState(const KXPDFRenderState* state) { pushRenderingState(state); }

void KXPDFConentParser::KXPDFAnnotPopRenderingState() { popRenderingState(); }

KXPDFRenderState* KXPDFConentParser::KXPDFAnnotCurrentRenderingState() { return &currentRenderingState(); }

void KXPDFConentParser::didScanTextBox(KXPDFAnnot&, const kx::Rect& rect, const std::u16string& text,
                                       const std::string& fontName, const KXPDFColor& fontColor, double fontSize,
                                       std::int64_t alignment, bool borderStroke, bool borderFill) {
    if (delegate_)
        delegate_->didScanTextBox(*this, rect, text, fontName, fontColor, fontSize, alignment, borderStroke,
                                  borderFill);
}

void KXPDFConentParser::didScanPath(KXPDFAnnot&, const kx::Path& path, bool stroke, bool fill) {
    if (delegate_) delegate_->didScanPath(*this, path, stroke, fill);
}
