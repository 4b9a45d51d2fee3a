#include "pdf/xobject/KXPDFFormXObject.h"

#include "pdf/color/KXPDFColorSpace.h"
#include "util/PDFObjectValues.h"

KXPDFFormXObject::KXPDFFormXObject(kx::PDFObject stream) : KXPDFXObject(std::move(stream)) { parse(xObjectStream()); }

void KXPDFFormXObject::parse(const kx::PDFObject& stream) {
    kx::PDFObject dict = stream.streamDictionary();
    formType = 0;
    kx::PDFObject ft = dict.dictGet("FormType");
    if (!ft.isNull()) {
        ft.getInteger(formType);
        if (formType != 1) return;
    }
    bbox = {0, 0, 0, 0};
    kx::PDFObject box = dict.dictGet("BBox");
    if (!box.isArray() || box.arrayCount() != 4) return;
    for (size_t i = 0; i < 4; ++i) kx::pdfNumberInArray(box, i, bbox[i]);
    matrix = {1, 0, 0, 1, 0, 0};
    kx::PDFObject m = dict.dictGet("Matrix");
    if (m.isArray() && m.arrayCount() == 6)
        for (size_t i = 0; i < 6; ++i) kx::pdfNumberInArray(m, i, matrix[i]);
    transpGroup = isolated = knockout = false;
    blendingColorSpace.reset();
    kx::PDFObject group = dict.dictGet("Group");
    kx::PDFObject s = group.dictGet("S");
    if (group.isDictionary() && s.isName() && !s.isName("Image")) {
        transpGroup = true;
        kx::PDFObject cs = group.dictGet("CS");
        if (!cs.isNull()) blendingColorSpace = KXPDFColorSpace::ColorSpaceWithObject(cs, "KXPDFFormXObject");
        group.dictGet("I").getBoolean(isolated);
        group.dictGet("K").getBoolean(knockout);
    }
}
