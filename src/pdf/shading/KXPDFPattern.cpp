#include "pdf/shading/KXPDFPattern.h"

#include "pdf/color/KXPDFPatternColorSpace.h"
#include "pdf/shading/KXPDFPatternShading.h"
#include "pdf/shading/KXPDFPatternTiling.h"

bool KXPDFPattern::initWithObject(const kx::PDFObject&, const std::string& objectKey) {
    objectKey_ = objectKey;
    return true;
}

void KXPDFPattern::drawInContext(kx::BitmapContext& context, const kx::AffineTransform&) const {
    kx::Rect box = context.clipBoundingBox();
    if (box.isNull()) return;
    context.setFillColor(kx::Color::rgb(0, 0, 0));
    context.fillRect(box);
}

kx::AffineTransform KXPDFPattern::matrixOfDictionary(const kx::PDFObject& dict) {
    kx::AffineTransform m;
    kx::PDFObject array = dict.dictGet("Matrix");
    if (array.isArray() && array.arrayCount() == 6) {
        double* fields[] = {&m.a, &m.b, &m.c, &m.d, &m.tx, &m.ty};
        for (size_t i = 0; i < 6; ++i) array.arrayAt(i).getNumber(*fields[i]);
    }
    return m;
}

std::shared_ptr<KXPDFPattern> KXPDFPattern::PatternWithObject(const kx::PDFObject& object,
                                                              const std::string& objectKey,
                                                              kx::PatternCellDrawer cellDrawer) {
    if (!object.isDictionary()) return nullptr;
    kx::PDFObject dict = object.isStream() ? object.streamDictionary() : object;
    std::int64_t type = 0;
    if (!dict.dictGet("PatternType").getInteger(type)) return nullptr;
    std::shared_ptr<KXPDFPattern> pattern;
    if (type == 1) {
        auto tiling = std::make_shared<KXPDFPatternTiling>();
        tiling->setCellDrawer(cellDrawer);
        pattern = std::move(tiling);
    } else if (type == 2)
        pattern = std::make_shared<KXPDFPatternShading>();
    else
        return nullptr;
    if (!pattern->initWithObject(object, objectKey)) return nullptr;
    pattern->setType(type);
    return pattern;
}

std::shared_ptr<KXPDFPattern> KXPDFPattern::patternForPainting(std::shared_ptr<KXPDFPattern> pattern,
                                                               const KXPDFColorSpace& patternSpace,
                                                               const KXPDFColor& color) {
    const auto* tiling = dynamic_cast<const KXPDFPatternTiling*>(pattern.get());
    const auto* space = dynamic_cast<const KXPDFPatternColorSpace*>(&patternSpace);
    if (!tiling || tiling->paintType() == 1 || !space || !space->under()) return pattern;
    KXPDFRGB rgb = space->under()->getRGB(color);
    auto painted = std::make_shared<KXPDFPatternTiling>(*tiling);
    painted->setPaintColor(kx::Color::rgb(rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0));
    return painted;
}
