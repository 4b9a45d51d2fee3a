#include "pdf/annot/KXPDFAnnotMarkup.h"

#include "pdf/KXPDFUtilities.h"

KXPDFAnnotMarkup::KXPDFAnnotMarkup(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary) {
    label_ = KXPDFUtilities::GetStringWithPDFDictionary(dictionary, "T");
    double opacity = 1.0;
    KXPDFUtilities::GetNumberWithPDFDictionary(dictionary, "CA", opacity);
    setOpacity(opacity);
    creationDate_ = KXPDFUtilities::GetStringWithPDFDictionary(dictionary, "CreationDate");
    subject_ = KXPDFUtilities::GetStringWithPDFDictionary(dictionary, "Subj");
    replyTo_ = dictionary.dictGet("RT").isName("Group") ? 1 : 0;
    kx::PDFObject exData = dictionary.dictGet("ExData");
    if (exData.isDictionary()) exData_ = ParseAnnotExternalData(exData);
}

std::int64_t KXPDFAnnotMarkup::ParseAnnotExternalData(const kx::PDFObject& dictionary) {
    auto subtype = KXPDFUtilities::GetStringWithPDFDictionary(dictionary, "Subtype");
    return subtype && *subtype == u"Markup3D" ? 1 : 0;
}
