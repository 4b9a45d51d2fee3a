#include "pdf/annot/KXPDFAnnotMarkup.h"

#include "util/PDFObjectValues.h"

KXPDFAnnotMarkup::KXPDFAnnotMarkup(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary) {
    label_ = kx::pdfTextInDictionary(dictionary, "T");
    double opacity = 1.0;
    kx::pdfNumberInDictionary(dictionary, "CA", opacity);
    setOpacity(opacity);
    creationDate_ = kx::pdfTextInDictionary(dictionary, "CreationDate");
    subject_ = kx::pdfTextInDictionary(dictionary, "Subj");
    replyTo_ = dictionary.dictGet("RT").isName("Group") ? 1 : 0;
    kx::PDFObject exData = dictionary.dictGet("ExData");
    if (exData.isDictionary()) exData_ = ParseAnnotExternalData(exData);
}

std::int64_t KXPDFAnnotMarkup::ParseAnnotExternalData(const kx::PDFObject& dictionary) {
    auto subtype = kx::pdfTextInDictionary(dictionary, "Subtype");
    return subtype && *subtype == u"Markup3D" ? 1 : 0;
}
