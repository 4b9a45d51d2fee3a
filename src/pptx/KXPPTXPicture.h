#pragma once
// A picture: one media part of the package (by the slide's relationship id), cropped as its info
// says and stretched over its box, turned and flipped as its info says, faded by its opacity.

#include <string>

#include "pptx/KXPPTXImageInfo.h"
#include "pptx/KXPPTXShape.h"

class KXPPTXPicture : public KXPPTXShape {
public:
    KXPPTXPicture() : KXPPTXShape(kPicture) {}

    const std::string& runImageID() const { return runImageID_; }
    void setRunImageID(std::string id) { runImageID_ = std::move(id); }
    const KXPPTXImageInfo& pictInfo() const { return pictInfo_; }
    void setPictInfo(const KXPPTXImageInfo& info) { pictInfo_ = info; }

    // Writes "p:pic": non-visual properties, the picture fill and the shape properties.
    void writeShapeWith(XMLFileWriter& writer) override;

protected:
    void write_nvPicPr(XMLFileWriter& writer);
    void write_blipFill(XMLFileWriter& writer);
    void write_spPr(XMLFileWriter& writer) override;

private:
    std::string runImageID_;
    KXPPTXImageInfo pictInfo_;
};
