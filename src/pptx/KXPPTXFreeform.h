#pragma once
// A freeform shape: a custom geometry made from a path in slide space (points, y down), filled
// and outlined as its info says, with an empty text body.
//
// The geometry is written relative to the shape's box: one pair of guides and one connection site
// per path element with points, and the path itself with every segment and every close. A box
// without width or height still gets a path frame of one EMU, so no guide divides by zero.
// Dashes: none gives the "solid" preset, 2 lengths the "dash" preset, 6 lengths "lgDashDotDot";
// any other pattern is written as dash stops in thousandths of a percent of the line width, a
// pattern of odd length being repeated once (as a PDF dash array is).

#include <vector>

#include "platform/Path.h"
#include "pptx/KXPPTXFreeformInfo.h"
#include "pptx/KXPPTXPathElement.h"
#include "pptx/KXPPTXShape.h"

class KXPPTXFreeform : public KXPPTXShape {
public:
    KXPPTXFreeform() : KXPPTXShape(kFreeform) {}

    const kx::Path& runCGPath() const { return runCGPath_; }
    void setRunCGPath(kx::Path path) { runCGPath_ = std::move(path); }
    const KXPPTXFreeformInfo& spInfo() const { return spInfo_; }
    KXPPTXFreeformInfo& spInfo() { return spInfo_; }
    void setSpInfo(const KXPPTXFreeformInfo& info) { spInfo_ = info; }

    // One element per element of the path, in order.
    static std::vector<KXPPTXPathElement> pointsWithCGPath(const kx::Path& path);

protected:
    void write_nvSpPr(XMLFileWriter& writer) override;
    void write_spPr(XMLFileWriter& writer) override;
    void write_SpPr_custGeom(XMLFileWriter& writer);
    void write_style(XMLFileWriter& writer) override;
    void write_txBody(XMLFileWriter& writer) override;

private:
    void writeDash(XMLFileWriter& writer);

    kx::Path runCGPath_;
    KXPPTXFreeformInfo spInfo_;
};
