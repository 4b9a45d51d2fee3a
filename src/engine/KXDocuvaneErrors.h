#pragma once
// The engine's errors: every failure the engine reports is a KXError of this domain with one of
// these codes and its failure reason. A page failure, or a page converted with something left out,
// is reported for its page and the conversion goes on; the others end the conversion and travel in
// its end report.

// The domain of every engine error.
inline constexpr char KXDocuvaneErrorDomain[] = "org.docuvane.KXDocuvane";

enum KXDocuvaneErrorCode : int {
    // "Unknow error while converting.": the exporter could not be made, could not begin or could
    // not end the document; an exporter's unusable output carries its own reason.
    KXDocuvaneErrorUnknown = 400,
    // "Out of PDF Page Range(%zd)", "Can't read the PDF Page.(%zd)" or "Can't convert the PDF Page.(%zd)".
    KXDocuvaneErrorPageFailed = 401,
    // "Unsupported output type(%s).": no exporter answers the output type key.
    KXDocuvaneErrorUnsupportedType = 402,
    // "Source File isn't exist.": nothing, or a folder, at the source path.
    KXDocuvaneErrorSourceMissing = 404,
    // "Can't load the PDF Document.": the document cannot be opened, unlocked or has no page.
    KXDocuvaneErrorCannotLoad = 405,
    // "Conversion has been canceled.": the cancel flag was set when the conversion ended.
    KXDocuvaneErrorCanceled = 406,
    // "Left out of page %llu: <what>": the page is converted and in the output, but a bound against
    // crafted input left something out of it (kx::LeftOut); <what> says what and how much, as
    // kx::LeftOut::describe words it. Reported after the page's convertPDFPageIndex.
    KXDocuvaneErrorPageIncomplete = 407,
};
