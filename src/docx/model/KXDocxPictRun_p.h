#pragma once
// The run that carries one VML drawing (a shape, a text box, a text path): "w:r" with the run's
// properties, and "w:pict" around the drawing.

#include <string_view>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxTextBoxInfo.h"
#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"

namespace kx::detail {

// `writeDrawing()` writes the drawing inside the run's "w:pict".
template <class WriteDrawing>
void writePictRun(XMLFileWriter& writer, const KXDocx_RPr& rProperty, WriteDrawing&& writeDrawing) {
    constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
    writer.writeStartElementWithNamespace(W, "r");
    KXDocxUtilities::WriteRProperty(rProperty, writer);
    writer.writeStartElementWithNamespace(W, "pict");
    writeDrawing();
    writer.writeEndElement();
    writer.writeEndElement();
}

// The fill and outline attributes of a text box's or a text path's shape. A fill or outline
// without a colour takes VML's own (white fill, black outline).
void writeVMLFillAndStroke(XMLFileWriter& writer, const KXDocxTextBoxInfo& info);

}  // namespace kx::detail
