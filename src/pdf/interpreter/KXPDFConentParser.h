#pragma once
// The content interpreter of one content stream: a page, a form XObject or an annotation
// appearance. It runs the stream through the platform's content scanner with its own operator
// table, keeps the graphics and text state on a KXPDFRenderStateStack shared with the caller, turns
// the stream's resources into collections, and reports what the content shows to its delegate.
//
// The implementation is split by subject: this object, its resources, the operator table and nested
// runs (KXPDFConentParser.cpp); paths, colours, clipping, painting, graphics states and marked
// content (KXPDFConentParser_Graphics.cpp); text (KXPDFConentParser_Text.cpp); XObjects, inline
// images and appearance streams (KXPDFConentParser_XObject.cpp); shadings and patterns
// (KXPDFConentParser_Shading.cpp); the annotation pass (KXPDFConentParser_Annot.cpp).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/interpreter/KXPDFConentParserDelegate.h"
#include "pdf/interpreter/KXPDFMarkedContentStack.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "pdf/page/KXPDFPageGeometry.h"
#include "platform/Geometry.h"
#include "platform/pdf/PDFContentScanner.h"
#include "platform/pdf/PDFObject.h"

class KXPDFAnnot;
class KXPDFAnnotCollection;
class KXPDFColorSpaceCollection;
class KXPDFExtGStateCollection;
class KXPDFFontCollection;
class KXPDFPattern;
class KXPDFPatternCollection;
class KXPDFPropertiesCollection;
class KXPDFShading;
class KXPDFShadingCollection;
class KXPDFXObjectCollection;

class KXPDFConentParser : public KXPDFAnnotDelegate {
public:
    // Content stream types.
    enum : std::int64_t { PageContent = 1, AnnotationContent = 2 };

    // Nothing to scan until a dictionary and a stream are set; type and annotation pass 0.
    KXPDFConentParser();
    // The stream with the dictionary that holds its resources (the page dictionary, or the form's
    // stream); type 1 (page content), annotation pass on.
    KXPDFConentParser(kx::PDFObject contentDict, kx::PDFContentStream contentStream);
    ~KXPDFConentParser() override;
    KXPDFConentParser(const KXPDFConentParser&) = delete;
    KXPDFConentParser& operator=(const KXPDFConentParser&) = delete;

    // Runs the stream once: resources, the scan, then the annotation pass when it is on. Afterwards
    // both scan counters read as all ones.
    void startParser();
    // The 69 operator callbacks, built on first use.
    const kx::PDFOperatorTable& operatorTable();

    // The top state of the stack (an empty stack is given a fresh state first).
    KXPDFRenderState& currentRenderingState();
    // Pushes a copy of the top state (a fresh state on an empty stack) and returns it.
    KXPDFRenderState& pushRenderingState();
    // Pushes a copy of the given state; nullptr behaves as pushRenderingState().
    KXPDFRenderState& pushRenderingState(const KXPDFRenderState* state);
    // Pops the top state. Inside a nested run, the states the caller had when the run began are
    // never popped: unbalanced Qs of a form cannot reach them.
    void popRenderingState();
    // The q and Q operators. A q that would take the stack past kMaxSavedStates saves nothing, and
    // the Q that matches it restores nothing: a page of nested q would otherwise keep a state for
    // each, as many as its content stream can say.
    void saveRenderingState();
    void restoreRenderingState();
    static constexpr std::size_t kMaxSavedStates = 16384;
    // The most elements a path under construction takes (the path operators drop the rest, and the
    // end of the path notes how many it dropped on the page's record of what was left out).
    static constexpr std::size_t kMaxPathElements = std::size_t{1} << 19;
    // The elements the path under construction has dropped so far.
    std::uint64_t droppedPathElements = 0;

    // The annotation of the annotation pass with that index; nullptr when there is none.
    KXPDFAnnot* annotForPDFAnnotionIndex(std::int64_t index) const;

    // Page information and fresh resource collections from a page or form dictionary.
    void collectResourcesWithDict(const kx::PDFObject& dict);
    // Rotation, media box and page transform of a page dictionary (inherited through the page tree).
    void collectionPageInfoIfNeed(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFFontCollection> fontCollectionWithDict(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFColorSpaceCollection> colorSpaceCollectionWithDict(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFXObjectCollection> xObjectCollectionWithDict(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFExtGStateCollection> extGStateCollectionWithDict(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFShadingCollection> shadingCollectionWithDict(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFPatternCollection> patternCollectionWithDict(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFPropertiesCollection> propertiesCollectionWithDict(const kx::PDFObject& dict);
    std::shared_ptr<KXPDFAnnotCollection> annotCollectionWithDict(const kx::PDFObject& dict);
    // The ColorSpace dictionary of the content's resources, or the null object.
    kx::PDFObject currentColorSpaceDict() const;
    void cleanResourcesCollection();

    // The Resources dictionary of a page or form dictionary: its own, or the nearest one up the page
    // tree. Null when there is none.
    static kx::PDFObject resourcesOfDictionary(const kx::PDFObject& dict);
    // A sub-dictionary (Font, ColorSpace, XObject ...) of those resources.
    static kx::PDFObject resourceSubDictionary(const kx::PDFObject& dict, const char* key);

    // Runs a form or appearance stream in a nested interpreter that shares this one's delegate,
    // state stack and page index, with the given stream type and owning annotation; the stream's
    // own dictionary holds its resources. The caller sets up the state (CTM, clip) first. The states
    // the stack had before the run are restored afterwards. A stream that is already running further
    // up the chain, a nesting deeper than kMaxNestingDepth, or more than kMaxNestedRuns nested runs
    // under one page (the budget) are refused (false).
    bool runNestedParser(const kx::PDFObject& stream, std::int64_t contentStreamType,
                         std::shared_ptr<KXPDFAnnot> annot);
    static constexpr std::int32_t kMaxNestingDepth = 32;
    static constexpr std::size_t kMaxNestedRuns = 100000;
    // The number of nested runs this interpreter and those nested in it may start (kMaxNestedRuns
    // unless set before the run).
    void setNestedRunBudget(std::size_t runs);

    // Resource lookups of the operators (nullptr when the name is unknown).
    std::shared_ptr<KXPDFShading> shadingNamed(const std::string& name) const;
    std::shared_ptr<KXPDFPattern> patternNamed(const std::string& name) const;
    // Runs the soft-mask group of a graphics state as the Do operator runs an XObject.
    void doSoftMaskGroup(const kx::PDFObject& xobjectStream, const std::string& name);

    // The annotation side of the interpreter.
    void KXPDFAnnotPushRenderingState(const KXPDFRenderState* state) override;
    void KXPDFAnnotPopRenderingState() override;
    KXPDFRenderState* KXPDFAnnotCurrentRenderingState() override;
    void didScanTextBox(KXPDFAnnot& annot, const kx::Rect& rect, const std::u16string& text,
                        const std::string& fontName, const KXPDFColor& fontColor, double fontSize,
                        std::int64_t alignment, bool borderStroke, bool borderFill) override;
    void didScanStream(KXPDFAnnot& annot, const kx::PDFObject& stream, const std::string& streamKey) override;
    void didScanPath(KXPDFAnnot& annot, const kx::Path& path, bool stroke, bool fill) override;

    // Properties.
    KXPDFConentParserDelegate* delegate() const { return delegate_; }
    void setDelegate(KXPDFConentParserDelegate* delegate) { delegate_ = delegate; }
    // The four MediaBox numbers in array order in the x, y, width and height slots (so width and
    // height hold the upper-right corner).
    const kx::Rect& pageMediaBox() const { return pageMediaBox_; }
    void setPageMediaBox(const kx::Rect& box) { pageMediaBox_ = box; }
    // Rotate brought into 0 to 359.
    std::int64_t pageRotationAngle() const { return pageRotationAngle_; }
    const kx::AffineTransform& pageTransform() const { return pageTransform_; }
    void setPageTransform(const kx::AffineTransform& t) { pageTransform_ = t; }
    const kx::PDFObject& contentDict() const { return contentDict_; }
    void setContentDict(kx::PDFObject dict) { contentDict_ = std::move(dict); }
    const kx::PDFContentStream& contentStream() const { return contentStream_; }
    void setContentStream(kx::PDFContentStream stream) { contentStream_ = std::move(stream); }
    std::int64_t isParserAnnots() const { return isParserAnnots_; }
    void setIsParserAnnots(std::int64_t v) { isParserAnnots_ = v; }
    // 1 page content, 2 annotation appearance content.
    std::int64_t contentStreamType() const { return contentStreamType_; }
    void setContentStreamType(std::int64_t v) { contentStreamType_ = v; }
    const std::shared_ptr<KXPDFAnnot>& contentAnnot() const { return contentAnnot_; }
    void setContentAnnot(std::shared_ptr<KXPDFAnnot> annot) { contentAnnot_ = std::move(annot); }
    // Created on first use when none was given.
    const std::shared_ptr<KXPDFRenderStateStack>& renderingStateStack();
    void setRenderingStateStack(std::shared_ptr<KXPDFRenderStateStack> stack) { renderingStateStack_ = std::move(stack); }
    KXPDFMarkedContentStack& markedContentStack() { return markedContentStack_; }
    const std::shared_ptr<KXPDFFontCollection>& fontCollection() const { return fontCollection_; }
    void setFontCollection(std::shared_ptr<KXPDFFontCollection> c) { fontCollection_ = std::move(c); }
    const std::shared_ptr<KXPDFColorSpaceCollection>& colorSpaceCollection() const { return colorSpaceCollection_; }
    void setColorSpaceCollection(std::shared_ptr<KXPDFColorSpaceCollection> c) { colorSpaceCollection_ = std::move(c); }
    const std::shared_ptr<KXPDFAnnotCollection>& annotCollection() const { return annotCollection_; }
    void setAnnotCollection(std::shared_ptr<KXPDFAnnotCollection> c) { annotCollection_ = std::move(c); }
    const std::shared_ptr<KXPDFXObjectCollection>& xObjectCollection() const { return xObjectCollection_; }
    void setXObjectCollection(std::shared_ptr<KXPDFXObjectCollection> c) { xObjectCollection_ = std::move(c); }
    const std::shared_ptr<KXPDFExtGStateCollection>& extGStateCollection() const { return extGStateCollection_; }
    void setExtGStateCollection(std::shared_ptr<KXPDFExtGStateCollection> c) { extGStateCollection_ = std::move(c); }
    const std::shared_ptr<KXPDFShadingCollection>& shadingCollection() const { return shadingCollection_; }
    void setShadingCollection(std::shared_ptr<KXPDFShadingCollection> c) { shadingCollection_ = std::move(c); }
    const std::shared_ptr<KXPDFPatternCollection>& patternCollection() const { return patternCollection_; }
    void setPatternCollection(std::shared_ptr<KXPDFPatternCollection> c) { patternCollection_ = std::move(c); }
    const std::shared_ptr<KXPDFPropertiesCollection>& propertiesCollection() const { return propertiesCollection_; }
    void setPropertiesCollection(std::shared_ptr<KXPDFPropertiesCollection> c) { propertiesCollection_ = std::move(c); }
    // BT operators seen in the current run.
    std::uint64_t scanOperatorIndex_BegainText() const { return scanOperatorIndex_BegainText_; }
    void setScanOperatorIndex_BegainText(std::uint64_t v) { scanOperatorIndex_BegainText_ = v; }
    // Text-showing operators (Tj, ', ", TJ) seen in the current run.
    std::uint64_t scanOperatorIndex_ShowText() const { return scanOperatorIndex_ShowText_; }
    void setScanOperatorIndex_ShowText(std::uint64_t v) { scanOperatorIndex_ShowText_ = v; }
    std::int64_t pageIndex() const { return pageIndex_; }
    void setPageIndex(std::int64_t v) { pageIndex_ = v; }
    // How deep this interpreter is nested in forms and appearances (0 for the page).
    std::int32_t formDepth() const { return formDepth_; }
    void setFormDepth(std::int32_t v) { formDepth_ = v; }
    // The geometry of the page being interpreted, as the caller made it; nothing when none was
    // handed. The interpreter itself does not read it (its own page information comes from the
    // dictionary); it hands it on to the nested runs of forms and appearances, so that a receiver
    // finds the page's geometry on whichever interpreter sends a report.
    const std::optional<KXPDFPageGeometry>& pageGeometry() const { return pageGeometry_; }
    void setPageGeometry(std::optional<KXPDFPageGeometry> geometry) { pageGeometry_ = std::move(geometry); }

    // Shown text held back until its lines are whole: right-to-left text drawn in visual order is
    // reported in the order it is read (KXPDFConentParser_Text.cpp). Every operator other than the
    // text operators, colours and the state stack reports what is held first, and so does the end
    // of the stream.
    struct HeldText;
    // The held text, made on first use.
    HeldText& heldText();
    bool holdsText() const;
    void reportHeldText();

private:
    // Shared by an interpreter and every interpreter nested in it.
    struct NestingState {
        std::vector<std::uintptr_t> running;  // streams whose nested runs are in progress
        std::size_t nestedRuns = 0;
        std::size_t budget = kMaxNestedRuns;
    };

    void dropAnnotCollection();
    void runAnnotationPass();

    KXPDFConentParserDelegate* delegate_ = nullptr;
    kx::Rect pageMediaBox_;
    std::int64_t pageRotationAngle_ = 0;
    kx::AffineTransform pageTransform_;
    kx::PDFObject contentDict_;
    kx::PDFContentStream contentStream_;
    std::unique_ptr<kx::PDFOperatorTable> operatorTable_;
    std::int64_t isParserAnnots_ = 0;
    std::int64_t contentStreamType_ = 0;
    std::shared_ptr<KXPDFAnnot> contentAnnot_;
    std::shared_ptr<KXPDFRenderStateStack> renderingStateStack_;
    KXPDFMarkedContentStack markedContentStack_;
    std::shared_ptr<KXPDFFontCollection> fontCollection_;
    std::shared_ptr<KXPDFColorSpaceCollection> colorSpaceCollection_;
    std::shared_ptr<KXPDFAnnotCollection> annotCollection_;
    std::shared_ptr<KXPDFXObjectCollection> xObjectCollection_;
    std::shared_ptr<KXPDFExtGStateCollection> extGStateCollection_;
    std::shared_ptr<KXPDFShadingCollection> shadingCollection_;
    std::shared_ptr<KXPDFPatternCollection> patternCollection_;
    std::shared_ptr<KXPDFPropertiesCollection> propertiesCollection_;
    std::uint64_t scanOperatorIndex_BegainText_ = 0;
    std::uint64_t scanOperatorIndex_ShowText_ = 0;
    std::int64_t pageIndex_ = 0;
    std::int32_t formDepth_ = 0;
    std::optional<KXPDFPageGeometry> pageGeometry_;
    // States below this depth belong to the caller of a nested run.
    std::size_t stackFloor_ = 0;
    // The qs of this content that saved nothing and wait for their Q.
    std::size_t unsavedStates_ = 0;
    std::shared_ptr<NestingState> nesting_;
    std::unique_ptr<HeldText, void (*)(HeldText*)> heldText_{nullptr, nullptr};
};
