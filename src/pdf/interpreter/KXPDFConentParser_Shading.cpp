// Shadings and patterns of the resources: the collections the "sh" and "scn"/"SCN" operators look
// names up in.

#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFConentDrawer.h"
#include "pdf/shading/KXPDFPatternCollection.h"
#include "pdf/shading/KXPDFShadingCollection.h"

std::shared_ptr<KXPDFShadingCollection> KXPDFConentParser::shadingCollectionWithDict(const kx::PDFObject& dict) {
    if (resourcesOfDictionary(dict).isNull()) return nullptr;
    return std::make_shared<KXPDFShadingCollection>(resourceSubDictionary(dict, "Shading"));
}

std::shared_ptr<KXPDFPatternCollection> KXPDFConentParser::patternCollectionWithDict(const kx::PDFObject& dict) {
    if (resourcesOfDictionary(dict).isNull()) return nullptr;
    // Tiling patterns render their cells with a drawing interpreter of their own.
    return std::make_shared<KXPDFPatternCollection>(resourceSubDictionary(dict, "Pattern"),
                                                    &KXPDFConentDrawer::drawPatternCell);
}

std::shared_ptr<KXPDFShading> KXPDFConentParser::shadingNamed(const std::string& name) const {
    return shadingCollection_ ? shadingCollection_->objectNamed(name) : nullptr;
}

std::shared_ptr<KXPDFPattern> KXPDFConentParser::patternNamed(const std::string& name) const {
    return patternCollection_ ? patternCollection_->objectNamed(name) : nullptr;
}
