#include "flowtext/KXRTFParagraph.h"

#include <algorithm>
#include <cmath>

#include "platform/Format.h"

void KXRTFParagraph::writeNewLineWithXMLWriter(KXRTFFileWriter& writer) {
    writer.write("\\par");
    writer.write("\\pard");
    float indent = std::max(0.0f, 20.0f * pProperty().ind.left - 20.0f * textMargin().left);
    if (!std::isfinite(indent)) indent = 0;
    writer.write(kx::format("\\li%0.0f", static_cast<double>(indent)));
    writer.write(" ");
}
