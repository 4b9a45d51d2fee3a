#pragma once
// A paragraph of a slide's text: its runs in order and its properties.

#include <memory>
#include <vector>

#include "pptx/KXPPTXPropertyRecords.h"
#include "pptx/KXPPTXRun.h"

class XMLFileWriter;

class KXPPTXParagraph {
public:
    // Default paragraph properties, no runs.
    KXPPTXParagraph();

    std::vector<std::unique_ptr<KXPPTXRun>>& runArray() { return runArray_; }
    const std::vector<std::unique_ptr<KXPPTXRun>>& runArray() const { return runArray_; }
    const KXPPTX_PPr& pProperty() const { return pProperty_; }
    KXPPTX_PPr& pProperty() { return pProperty_; }
    void setPProperty(const KXPPTX_PPr& p) { pProperty_ = p; }

    // The last run (not its text), or nullptr.
    KXPPTXRun* lastRunText() const { return runArray_.empty() ? nullptr : runArray_.back().get(); }
    // The sum of the runs' widths.
    double textWidth() const;

    // Writes "a:p" with "a:pPr" (left margin when not 0, line spacing, the tab stop when its
    // position is above 0) and the runs; a paragraph without runs writes nothing. Answers whether
    // it wrote a paragraph.
    bool writeParagraphWithXMLWriter(XMLFileWriter& writer) const;

private:
    std::vector<std::unique_ptr<KXPPTXRun>> runArray_;
    KXPPTX_PPr pProperty_;
};
