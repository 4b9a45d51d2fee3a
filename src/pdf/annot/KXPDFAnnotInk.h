#pragma once
// An ink annotation: free-hand strokes. Without an appearance stream each stroke is reported as
// one stroked path.

#include <vector>

#include "pdf/annot/KXPDFAnnot.h"
#include "platform/Path.h"

class KXPDFAnnotInk : public KXPDFAnnot {
public:
    KXPDFAnnotInk() = default;
    explicit KXPDFAnnotInk(const kx::PDFObject& dictionary);

    // `paths` from an /InkList: one path per entry that is an array (an empty path for a malformed
    // stroke).
    void parseInkList(const kx::PDFObject& inkList);
    // A stroke (x y x y ...) as a path of straight segments; nullopt for an odd count or an entry
    // that is not a number.
    static std::optional<kx::Path> parsePathArray(const kx::PDFObject& array);

    const std::vector<kx::Path>& paths() const { return paths_; }
    void setPaths(std::vector<kx::Path> paths) { paths_ = std::move(paths); }

protected:
    void drawWithoutAppearance(KXPDFAnnotDelegate& receiver) override;

private:
    std::vector<kx::Path> paths_;
};
