#pragma once
// Pages with annotations for the annotation tests, and a delegate that records what annotations
// report together with the state they report it in.

#include <memory>
#include <string>
#include <vector>

#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/annot/KXPDFAnnotCollection.h"
#include "pdf/annot/KXPDFAnnotDelegate.h"
#include "pdf/interpreter/KXPDFRenderStateStack.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

namespace kx::test {

// A one-page document whose /Annots holds the given dictionaries. In a dictionary's source, "{AP}"
// becomes a reference to a small form stream (a stroked diagonal over a 20 x 10 box).
class AnnotPage {
public:
    explicit AnnotPage(const std::vector<std::string>& annots, const std::string& content = "") {
        PDFBuilder b;
        int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 20 10]", "0 0 m 20 10 l S");
        std::string array;
        for (std::string source : annots) {
            for (size_t at; (at = source.find("{AP}")) != std::string::npos;)
                source.replace(at, 4, std::to_string(form) + " 0 R");
            array += std::to_string(b.add(source)) + " 0 R ";
        }
        b.addPage(content, "<< >>", "/MediaBox [0 0 612 792] /Annots [" + array + "]");
        document_ = PDFDocument::openFromMemory(b.build());
        if (document_) page_ = document_->page(1);
    }

    const std::shared_ptr<PDFDocument>& document() const { return document_; }
    PDFObject pageDictionary() const { return page_ ? page_->dictionary() : PDFObject(); }
    PDFObject annots() const { return pageDictionary().dictGet("Annots"); }
    // The annotation made of entry `i`.
    std::shared_ptr<KXPDFAnnot> annot(size_t i) const { return KXPDFAnnot::AnnotWithDictionary(annots().arrayAt(i)); }

private:
    std::shared_ptr<PDFDocument> document_;
    std::optional<PDFPage> page_;
};

// Stands in for the interpreter: keeps a state stack and records every report with the top state.
class RecordingAnnotDelegate : public KXPDFAnnotDelegate {
public:
    struct Report {
        std::string kind;  // "path", "textbox", "stream"
        std::int64_t annotIndex = -1;
        // The top state when the report arrived.
        bool isAnnot = false;
        std::int64_t stateIndex = -1;
        kx::Path path;
        bool stroke = false, fill = false;
        KXPDFColor strokeColor, fillColor;
        int strokeSpaceMode = 0, fillSpaceMode = 0;
        std::string strokeSpaceKey;
        double lineWidth = 0;
        std::vector<double> dash;
        // Text boxes.
        kx::Rect rect;
        std::u16string text;
        std::string fontName;
        KXPDFColor fontColor;
        double fontSize = 0;
        std::int64_t alignment = -1;
        // Appearance streams.
        std::string streamKey;
        PDFObject stream;
    };

    KXPDFRenderStateStack stack;
    std::vector<Report> reports;
    size_t maxDepth = 0;

    void KXPDFAnnotPushRenderingState(const KXPDFRenderState* state) override {
        if (state)
            stack.pushRenderingState(*state);
        else
            stack.pushRenderingState();
        maxDepth = std::max(maxDepth, stack.depth());
    }
    void KXPDFAnnotPopRenderingState() override { stack.popRenderingState(); }
    KXPDFRenderState* KXPDFAnnotCurrentRenderingState() override { return &stack.topRenderingState(); }

    void didScanTextBox(KXPDFAnnot& annot, const kx::Rect& rect, const std::u16string& text,
                        const std::string& fontName, const KXPDFColor& fontColor, double fontSize,
                        std::int64_t alignment, bool borderStroke, bool borderFill) override {
        Report r = record("textbox", annot);
        r.rect = rect;
        r.text = text;
        r.fontName = fontName;
        r.fontColor = fontColor;
        r.fontSize = fontSize;
        r.alignment = alignment;
        r.stroke = borderStroke;
        r.fill = borderFill;
        reports.push_back(r);
    }
    void didScanStream(KXPDFAnnot& annot, const PDFObject& stream, const std::string& streamKey) override {
        Report r = record("stream", annot);
        r.stream = stream;
        r.streamKey = streamKey;
        reports.push_back(r);
    }
    void didScanPath(KXPDFAnnot& annot, const kx::Path& path, bool stroke, bool fill) override {
        Report r = record("path", annot);
        r.path = path;
        r.stroke = stroke;
        r.fill = fill;
        reports.push_back(r);
    }

private:
    Report record(const char* kind, KXPDFAnnot& annot) {
        Report r;
        r.kind = kind;
        r.annotIndex = annot.pdfAnnotionIndex();
        const KXPDFRenderState& s = stack.topRenderingState();
        r.isAnnot = s.isParseringAnnotion();
        r.stateIndex = s.pdfAnnotionIndex();
        r.strokeColor = s.strokeColor();
        r.fillColor = s.fillColor();
        r.strokeSpaceMode = s.strokeColorSpace() ? s.strokeColorSpace()->getMode() : 0;
        r.fillSpaceMode = s.fillColorSpace() ? s.fillColorSpace()->getMode() : 0;
        r.strokeSpaceKey = s.strokeColorSpace() ? s.strokeColorSpace()->objectKey() : "";
        r.lineWidth = s.lineWidth();
        r.dash = s.lineDashPattern();
        return r;
    }
};

// Builds the page's collection and replays it into `recorder`.
inline std::unique_ptr<KXPDFAnnotCollection> replay(const AnnotPage& page, RecordingAnnotDelegate& recorder) {
    auto collection = std::make_unique<KXPDFAnnotCollection>(page.annots(), 1);
    collection->setDelegate(&recorder);
    collection->startAllParser();
    return collection;
}

inline KXPDFColor rgbColor(int r, int g, int b) {
    KXPDFColor c;
    c.length = 3;
    c.c[0] = static_cast<std::int16_t>(r);
    c.c[1] = static_cast<std::int16_t>(g);
    c.c[2] = static_cast<std::int16_t>(b);
    return c;
}

inline KXPDFColor nullColor() {
    KXPDFColor c;
    c.isNull = 1;
    return c;
}

}  // namespace kx::test
