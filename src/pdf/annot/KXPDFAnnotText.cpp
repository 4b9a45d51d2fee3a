#include "pdf/annot/KXPDFAnnotText.h"

#include "pdf/annot/KXPDFAnnot_p.h"

KXPDFAnnotText::KXPDFAnnotText(const kx::PDFObject& dictionary) : KXPDFAnnot(dictionary) {
    dictionary.dictGet("Open").getBoolean(open_);
    iconType_ = PDFTextAnnotationIconTypeForName(kx::detail::annotKeyString(dictionary, "Name"));

    state_ = 0;
    if (!dictionary.dictHas("StateModel")) return;
    static const char* const states[] = {"Marked", "Unmarked", "Accepted", "Rejected",
                                         "Cancelled", "Completed", "None"};
    if (auto s = kx::detail::annotKeyString(dictionary, "State"))
        for (std::int64_t i = 0; i < 7; ++i)
            if (*s == states[i]) state_ = i + 1;
    // A state belongs to its model: Marked/Unmarked to "Marked", the others to "Review".
    auto model = kx::detail::annotKeyString(dictionary, "StateModel");
    if (model == "Marked") {
        if (state_ >= 3) state_ = 0;
        else if (state_ == 0) state_ = 1;
    } else if (model == "Review") {
        if (state_ == 1 || state_ == 2) state_ = 0;
        else if (state_ == 0) state_ = 7;
    } else {
        state_ = 0;
    }
}

std::int64_t KXPDFAnnotText::PDFTextAnnotationIconTypeForName(const std::optional<std::string>& name) {
    if (!name) return 2;
    static const char* const names[] = {"Comment", "Key", "Note", "Help", "NewParagraph",
                                        "Paragraph", "Insert", "Cross", "Circle"};
    for (std::int64_t i = 0; i < 9; ++i)
        if (*name == names[i]) return i;
    return 2;
}
