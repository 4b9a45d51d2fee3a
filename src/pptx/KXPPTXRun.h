#pragma once
// A run of a slide's text: its text, its properties, and the width it takes on the slide.

#include <cstdint>
#include <string>

#include "pptx/KXPPTXPropertyRecords.h"

class XMLFileWriter;

class KXPPTXRun {
public:
    // Default run properties, no width, no text.
    KXPPTXRun();

    // The run's number from the exporter's run counter (not written to the slide).
    std::uint64_t pdfScanIndex = 0;
    double textWidth = 0;   // points
    double spaceWidth = 0;  // points
    std::u16string text;
    KXPPTX_RunPr rProperty;

    // Writes "a:r": "a:rPr" (language, size, flags, colour, Latin and complex-script fonts) and
    // "a:t" with the text.
    void writeRunWithXMLWriter(XMLFileWriter& writer) const;
};
