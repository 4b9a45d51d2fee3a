#pragma once
// Text set along a straight path: text turned by an angle other than about a right angle, or
// mirrored text, placed as one floating shape that draws its text along the shape's path (a VML
// text path): the shape's box is the text's box, turned by the record's rotation and mirrored by its
// flips.

#include <memory>
#include <string>

#include "docx/model/KXDocxRunPict.h"
#include "docx/model/KXDocxTextPathInfo.h"

class KXDocxRunTextPath : public KXDocxRunPict {
public:
    KXDocxRunTextPath() = default;
    ~KXDocxRunTextPath() override = default;

    // A copy with the same text and record.
    std::shared_ptr<KXDocxRun> copy() const override;

    // (displayX, displayY, displayWidth, displayHeight) of the record, not turned.
    kx::Rect displayRect() const override;

    // A w:r holding a w:pict with the VML text path (and the text-path shape type the first time).
    void writeWithXMLWriter(XMLFileWriter& writer) override;
    void _writeTextPath(XMLFileWriter& writer);

    const std::u16string& runText() const { return runText_; }
    void setRunText(std::u16string text) { runText_ = std::move(text); }
    KXDocxTextPathInfo& pictInfo() { return pictInfo_; }
    const KXDocxTextPathInfo& pictInfo() const { return pictInfo_; }
    void setPictInfo(const KXDocxTextPathInfo& info) { pictInfo_ = info; }

protected:
    KXDocxRunTextPath(const KXDocxRunTextPath&) = default;
    KXDocxRunTextPath& operator=(const KXDocxRunTextPath&) = default;

private:
    KXDocxTextPathInfo pictInfo_;
    std::u16string runText_;
};
