#pragma once
// Runs hand-written content streams through the interpreter and records every report together with
// the top render state at the moment of the report.

#include <memory>
#include <string>
#include <vector>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

namespace kx::test {

struct RecordedPath {
    kx::Path path;
    bool stroke = false;
    bool fill = false;
    bool pattern = false;
    KXPDFRenderState state;  // the top state while the report was handled
    std::int32_t formDepth = 0;
};

class RecordingDelegate : public KXPDFConentParserDelegate {
public:
    void didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override {
        paths.push_back({path, stroke, fill, false, parser.currentRenderingState(), parser.formDepth()});
    }
    void didScanPatternPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override {
        paths.push_back({path, stroke, fill, true, parser.currentRenderingState(), parser.formDepth()});
    }
    void didScanPaintShading(KXPDFConentParser&, const std::shared_ptr<KXPDFShading>& shading) override {
        shadings.push_back(shading != nullptr);
    }

    void didScanText(KXPDFConentParser&, const std::u16string& text, kx::Size) override { texts.push_back(text); }
    void didScanXObjectImage(KXPDFConentParser&, const std::shared_ptr<KXPDFXObject>&) override { ++images; }

    std::vector<RecordedPath> paths;
    std::vector<bool> shadings;  // whether each sh found its shading
    std::vector<std::u16string> texts;
    size_t images = 0;
};

// A one-page document with the content and resources; extra objects are added to the builder first
// through `setup` (which may refer to them by number in the resources).
struct InterpreterRun {
    std::shared_ptr<kx::PDFDocument> doc;
    std::shared_ptr<KXPDFRenderStateStack> stack = std::make_shared<KXPDFRenderStateStack>();
    RecordingDelegate recorder;
    std::unique_ptr<KXPDFConentParser> parser;
};

inline std::unique_ptr<InterpreterRun> runContent(PDFBuilder& b, const std::string& content,
                                                  const std::string& resources = "<< >>",
                                                  const std::string& pageExtra = "/MediaBox [0 0 612 792]") {
    auto run = std::make_unique<InterpreterRun>();
    b.addPage(content, resources, pageExtra);
    run->doc = kx::PDFDocument::openFromMemory(b.build());
    if (!run->doc) return run;
    auto page = run->doc->page(1);
    if (!page) return run;
    run->parser = std::make_unique<KXPDFConentParser>(page->dictionary(), kx::PDFContentStream::forPage(*page));
    run->parser->setDelegate(&run->recorder);
    run->parser->setRenderingStateStack(run->stack);
    run->parser->startParser();
    return run;
}

inline std::unique_ptr<InterpreterRun> runContent(const std::string& content, const std::string& resources = "<< >>") {
    PDFBuilder b;
    return runContent(b, content, resources);
}

}  // namespace kx::test
