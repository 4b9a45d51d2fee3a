#pragma once
// The base of table rows and cells: a rectangle spanned by four grid points. Its bounds run from the
// top-left point, as wide as the top edge and as high as the left edge.

#include <memory>

#include "docx/model/KXDocxWriterObject.h"
#include "docx/page/layout/KXDocxTablePoint.h"
#include "platform/Geometry.h"

class KXDocxTableRect : public KXDocxWriterObject {
public:
    KXDocxTableRect() = default;
    KXDocxTableRect(std::shared_ptr<KXDocxTablePoint> topLeft, std::shared_ptr<KXDocxTablePoint> topRight,
                    std::shared_ptr<KXDocxTablePoint> bottomLeft, std::shared_ptr<KXDocxTablePoint> bottomRight);
    ~KXDocxTableRect() override = default;

    kx::Rect displayRect() const { return bounds_; }
    // Rows and cells derive their WordprocessingML properties here; the base has none.
    virtual void createXMLProperty() {}
    virtual void optimizeXMLProperty() {}

    const kx::Rect& bounds() const { return bounds_; }
    void setBounds(const kx::Rect& bounds) { bounds_ = bounds; }
    const std::shared_ptr<KXDocxTablePoint>& pointTopLeft() const { return pointTopLeft_; }
    const std::shared_ptr<KXDocxTablePoint>& pointTopRight() const { return pointTopRight_; }
    const std::shared_ptr<KXDocxTablePoint>& pointBottomLeft() const { return pointBottomLeft_; }
    const std::shared_ptr<KXDocxTablePoint>& pointBottomRight() const { return pointBottomRight_; }
    void setPointTopLeft(std::shared_ptr<KXDocxTablePoint> p) { pointTopLeft_ = std::move(p); }
    void setPointTopRight(std::shared_ptr<KXDocxTablePoint> p) { pointTopRight_ = std::move(p); }
    void setPointBottomLeft(std::shared_ptr<KXDocxTablePoint> p) { pointBottomLeft_ = std::move(p); }
    void setPointBottomRight(std::shared_ptr<KXDocxTablePoint> p) { pointBottomRight_ = std::move(p); }

protected:
    KXDocxTableRect(const KXDocxTableRect&) = default;
    KXDocxTableRect& operator=(const KXDocxTableRect&) = default;

private:
    kx::Rect bounds_;
    std::shared_ptr<KXDocxTablePoint> pointTopLeft_;
    std::shared_ptr<KXDocxTablePoint> pointTopRight_;
    std::shared_ptr<KXDocxTablePoint> pointBottomLeft_;
    std::shared_ptr<KXDocxTablePoint> pointBottomRight_;
};
