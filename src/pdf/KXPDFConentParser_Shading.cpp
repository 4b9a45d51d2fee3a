// Shadings and patterns of the resources. Until their classes are in place no collection is built:
// sh reports nullptr and scn under a pattern space sets no pattern.

#include "pdf/KXPDFConentParser.h"

std::shared_ptr<KXPDFShadingCollection> KXPDFConentParser::shadingCollectionWithDict(const kx::PDFObject&) {
    return nullptr;
}

std::shared_ptr<KXPDFPatternCollection> KXPDFConentParser::patternCollectionWithDict(const kx::PDFObject&) {
    return nullptr;
}

std::shared_ptr<KXPDFShading> KXPDFConentParser::shadingNamed(const std::string&) const { return nullptr; }

std::shared_ptr<KXPDFPattern> KXPDFConentParser::patternNamed(const std::string&) const { return nullptr; }
