#pragma once
// Synthetic runs and lines for the text-model tests, and the XML a model object writes.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "docx/model/KXDocxRunText.h"
#include "docx/model/KXDocxRunTextLine.h"
#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace kx::test {

// A run of text as the exporter makes one: its glyph box from the baseline up by 0.8 of the
// height and down by 0.2, as wide as its advance.
struct RunSpec {
    std::u16string text = u"a";
    double x = 0;
    double width = 6;
    double yBase = 100;
    double height = 10;
    std::uint64_t scan = 0;     // reading position (text position too unless textScan is set)
    std::int64_t textScan = -1;  // text position when it differs from the reading position
    std::uint64_t showText = 0;  // text-showing operator
    double spaceWidth = 3;
    float sz = 10;
    std::string font = "Liberation Serif";
    double lineHeight = 0;  // Word's single-line height
};

inline std::shared_ptr<KXDocxRunText> makeRun(const RunSpec& s) {
    auto run = std::make_shared<KXDocxRunText>();
    run->setRunText(s.text);
    KXPDF_CTMInfo g;
    g.yBase = s.yBase;
    g.yTop = g.yAscent = s.yBase - 0.8 * s.height;
    g.yBottom = g.yDescent = s.yBase + 0.2 * s.height;
    g.xLeft = s.x;
    g.xRight = s.x + s.width;
    g.frame = kx::Rect(s.x, g.yTop, s.width, s.height);
    g.topLeft = {s.x, g.yTop};
    g.bottomLeft = {s.x, g.yBottom};
    g.fontSize = {s.height, s.height};
    run->setCtmInfo(g);
    run->setTextWidth(s.width);
    run->setSpaceWidth(s.spaceWidth);
    run->setPdfScanIndex(s.scan);
    run->setTextScanIndex(s.textScan < 0 ? s.scan : static_cast<std::uint64_t>(s.textScan));
    run->setPdfScanIndex_ShowText(s.showText);
    run->setWordSingleLineHeight(s.lineHeight);
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    r.rFonts = {s.font, s.font, s.font, s.font};
    r.sz = r.szCs = s.sz;
    run->setRProperty(r);
    return run;
}

// A line of words: each word a run, laid out from x with the given gaps between them, reading
// positions from `scan` on.
inline std::shared_ptr<KXDocxRunTextLine> makeLine(std::initializer_list<RunSpec> specs) {
    KXDocxRunTextArray runs;
    for (const RunSpec& s : specs) runs.push_back(makeRun(s));
    return KXDocxRunTextLine::initWithRunTextArray(runs);
}

using XMLBody = std::function<void(XMLFileWriter&)>;

// What the body writes inside an element that binds "w", without line breaks and indentation.
inline std::string wordFragment(const XMLBody& body) {
    static int counter = 0;
    const std::string W(KXOpenXMLNameSpace::nameSpace_w());
    std::string path = kx::pathJoin(tempDir(), "model-fragment-" + std::to_string(++counter) + ".xml");
    auto writer = XMLFileWriter::initWithPath(path);
    EXPECT_TRUE(writer);
    if (!writer) return {};
    writer->setPrefix("w", W);
    writer->writeStartElementWithNamespace(W, "root");
    body(*writer);
    writer->writeEndDocument();
    std::string raw = kx::readFile(path).value_or(""), out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n') {
            while (i + 1 < raw.size() && raw[i + 1] == '\t') ++i;
            continue;
        }
        out.push_back(raw[i]);
    }
    const std::string head = "<w:root xmlns:w=\"" + W + "\">", tail = "</w:root>";
    if (out == "<w:root xmlns:w=\"" + W + "\"/>") return {};
    if (out.rfind(head, 0) != 0 || out.size() < head.size() + tail.size()) return out;
    return out.substr(head.size(), out.size() - head.size() - tail.size());
}

}  // namespace kx::test
