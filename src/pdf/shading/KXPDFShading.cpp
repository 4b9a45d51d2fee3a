#include "pdf/shading/KXPDFShading.h"

#include "pdf/shading/KXPDFShadingAxial.h"
#include "pdf/shading/KXPDFShadingFunction.h"
#include "pdf/shading/KXPDFShadingGouraudTriangleFree.h"
#include "pdf/shading/KXPDFShadingGouraudTriangleLattice.h"
#include "pdf/shading/KXPDFShadingPatchMeshCoons.h"
#include "pdf/shading/KXPDFShadingPathMeshTensor.h"
#include "pdf/shading/KXPDFShadingRadial.h"
#include "platform/Numeric.h"

bool KXPDFShading::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    objectKey_ = objectKey;
    kx::PDFObject space = dict.dictGet("ColorSpace");
    if (space.isNull()) return false;
    colorSpace_ = KXPDFColorSpace::ColorSpaceWithObject(space, std::string("KXPDFShading"));

    background_ = KXPDFColor{};
    hasBackground_ = false;
    kx::PDFObject bg = dict.dictGet("Background");
    if (colorSpace_ && bg.isArray() && static_cast<int>(bg.arrayCount()) == colorSpace_->getNComps() &&
        bg.arrayCount() <= background_.c.size()) {
        hasBackground_ = true;
        for (size_t i = 0; i < bg.arrayCount(); ++i)
            background_.c[i] = kx::toInt<std::int16_t>(bg.arrayAt(i).numberOr(0) * 255.0);
        background_.length = static_cast<std::int32_t>(bg.arrayCount());
    }

    xMin_ = yMin_ = xMax_ = yMax_ = 0;
    hasBBox_ = false;
    kx::PDFObject box = dict.dictGet("BBox");
    double v[4];
    if (box.isArray() && box.arrayCount() == 4 && box.arrayAt(0).getNumber(v[0]) && box.arrayAt(1).getNumber(v[1]) &&
        box.arrayAt(2).getNumber(v[2]) && box.arrayAt(3).getNumber(v[3])) {
        xMin_ = v[0];
        yMin_ = v[1];
        xMax_ = v[2];
        yMax_ = v[3];
        hasBBox_ = true;
    }
    return true;
}

kx::Color KXPDFShading::deviceColor(const KXPDFColor& color) const {
    if (!colorSpace_) return kx::Color::rgb(0, 0, 0);
    KXPDFRGB rgb = colorSpace_->getRGB(color);
    return kx::Color::rgb(rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0);
}

void KXPDFShading::drawInContext(kx::BitmapContext& context, const kx::AffineTransform&) const {
    if (!hasBackground_) return;
    kx::Rect box = context.clipBoundingBox();
    if (box.isNull()) return;
    context.setFillColor(deviceColor(background_));
    context.fillRect(box);
}

std::shared_ptr<KXPDFShading> KXPDFShading::ShadingWithObject(const kx::PDFObject& object,
                                                              const std::string& objectKey) {
    // Mesh shadings are streams; like anything else that is not a plain dictionary they give none.
    if (object.type() != kx::PDFObjectType::Dictionary) return nullptr;
    std::int64_t type = 0;
    if (!object.dictGet("ShadingType").getInteger(type)) return nullptr;
    std::shared_ptr<KXPDFShading> shading;
    switch (type) {
        case 1: shading = std::make_shared<KXPDFShadingFunction>(); break;
        case 2: shading = std::make_shared<KXPDFShadingAxial>(); break;
        case 3: shading = std::make_shared<KXPDFShadingRadial>(); break;
        case 4: shading = std::make_shared<KXPDFShadingGouraudTriangleFree>(); break;
        case 5: shading = std::make_shared<KXPDFShadingGouraudTriangleLattice>(); break;
        case 6: shading = std::make_shared<KXPDFShadingPatchMeshCoons>(); break;
        case 7: shading = std::make_shared<KXPDFShadingPathMeshTensor>(); break;
        default: return nullptr;
    }
    if (!shading->initWithDictionary(object, objectKey)) return nullptr;
    shading->setType(type);
    return shading;
}
