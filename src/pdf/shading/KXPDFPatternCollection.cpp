#include "pdf/shading/KXPDFPatternCollection.h"

KXPDFPatternCollection::KXPDFPatternCollection(const kx::PDFObject& patternDictionary,
                                               kx::PatternCellDrawer cellDrawer) {
    if (!patternDictionary.isDictionary()) return;
    for (auto& [name, object] : patternDictionary.dictEntries())
        if (auto pattern = KXPDFPattern::PatternWithObject(object, name, cellDrawer))
            collectObjects_[name] = std::move(pattern);
}

std::shared_ptr<KXPDFPattern> KXPDFPatternCollection::objectNamed(const std::string& name) const {
    auto it = collectObjects_.find(name);
    return it == collectObjects_.end() ? nullptr : it->second;
}

void KXPDFPatternCollection::addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFPattern>>& patterns) {
    for (const auto& [name, pattern] : patterns) collectObjects_[name] = pattern;
}
