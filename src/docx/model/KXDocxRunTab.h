#pragma once
// A run that stands for one tab character between two text runs of a one-line paragraph. The
// paragraph gives it the position of its tab stop and the width of the white space it replaces;
// the paragraph's tab stops are made from the positions, and the run writes "w:tab" in a "w:r".

#include <memory>

#include "docx/model/KXDocxRun.h"

class KXDocxRunTab : public KXDocxRun {
public:
    KXDocxRunTab() = default;
    ~KXDocxRunTab() override = default;

    static std::shared_ptr<KXDocxRunTab> RunTapWithTabPostion(double tabPostion, double tabWidth);

    std::shared_ptr<KXDocxRun> copy() const override;

    // "w:r" holding the run properties and an empty "w:tab".
    void writeWithXMLWriter(XMLFileWriter& writer) override;
    // A left tab stop at the position, in twentieths of a point.
    void writeTabPropertyWithXMLWriter(XMLFileWriter& writer) const;

    // Where the tab stop stands (page display space, points).
    double tabPostion() const { return tabPostion_; }
    void setTabPostion(double position) { tabPostion_ = position; }
    // Width of the white space the tab replaces, points.
    double tabWidth() const { return tabWidth_; }
    void setTabWidth(double width) { tabWidth_ = width; }

protected:
    KXDocxRunTab(const KXDocxRunTab&) = default;

private:
    double tabPostion_ = 0;
    double tabWidth_ = 0;
};
