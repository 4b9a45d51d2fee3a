// Image runs: the frame, the merge test, the drawing of a group into one picture, and the VML
// picture written for a run.

#include "docx/model/KXDocxRunImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXDocxVMLShapeTypes.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/BitmapContext.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/LeftOut.h"
#include "platform/Numeric.h"
#include "util/KXPDFPathUtilities.h"
#include "util/KXPictureStore.h"
#include "util/KXWriteCGImageToURL.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
constexpr std::string_view V = KXOpenXMLNameSpace::nameSpace_v();
constexpr std::string_view O = KXOpenXMLNameSpace::nameSpace_o();
constexpr std::string_view R = KXOpenXMLNameSpace::nameSpace_r();
constexpr std::string_view W10 = KXOpenXMLNameSpace::nameSpace_w10();

double area(const kx::Rect& r) { return r.isNull() ? 0.0 : r.width() * r.height(); }

// The intersection of two frames when it has an area; the null rectangle when they only touch or
// are apart.
kx::Rect overlapOf(const kx::Rect& a, const kx::Rect& b) {
    const kx::Rect i = a.standardized().intersection(b.standardized());
    if (i.isNull() || !(i.width() > 0) || !(i.height() > 0)) return kx::Rect::null();
    return i;
}

// Where the run's picture stands on the page: its frame, or the unit square under its transform.
kx::Rect drawnRect(const KXDocxRunImage& run) {
    const KXDocxImageInfo& i = run.pictInfo();
    if (!i.pdfTransform.isIdentity()) return i.pdfTransform.apply(kx::Rect(0, 0, 1, 1)).standardized();
    return run.displayRect().standardized();
}

// The transform that takes the image's unit square (y upward) to the page (y downward).
kx::AffineTransform imageToPage(const KXDocxRunImage& run) {
    const KXDocxImageInfo& i = run.pictInfo();
    if (!i.pdfTransform.isIdentity()) return i.pdfTransform;
    const kx::Rect r = run.displayRect().standardized();
    return {r.width(), 0, 0, -r.height(), r.minX(), r.minY() + r.height()};
}

}  // namespace

std::shared_ptr<KXDocxRun> KXDocxRunImage::copy() const {
    return std::shared_ptr<KXDocxRun>(new KXDocxRunImage(*this));
}

kx::Rect KXDocxRunImage::displayRect() const {
    const kx::Rect f = pictInfo_.displayFrame();
    if (pictInfo_.rotation == 0 || !std::isfinite(pictInfo_.rotation)) return f;
    // VML turns a shape about the middle of its frame; so does the frame of the shown picture.
    const double angle = static_cast<double>(pictInfo_.rotation) / 180.0 * M_PI;
    const kx::AffineTransform turn = kx::AffineTransform::makeTranslation(-f.midX(), -f.midY())
                                         .concat(kx::AffineTransform::makeRotation(angle))
                                         .concat(kx::AffineTransform::makeTranslation(f.midX(), f.midY()));
    return turn.apply(f);
}

bool KXDocxRunImage::IsIntersect(const KXDocxRunImage& a, const KXDocxRunImage& b) {
    const kx::Rect fa = a.pictInfo_.displayFrame().standardized(), fb = b.pictInfo_.displayFrame().standardized();
    // A picture with no area has nothing to merge.
    if (!(area(fa) > 0) || !(area(fb) > 0)) return false;
    const kx::Rect i = overlapOf(fa, fb);
    const double ai = area(i);
    if (ai > 0.5 * area(fa.unionWith(fb)) || ai > 0.5 * area(fa) || ai > 0.5 * area(fb)) return true;
    auto isLarge = [](const kx::Rect& r) { return r.width() >= 64 && r.height() >= 64; };
    if (isLarge(fa) || isLarge(fb)) return false;
    if (!i.isNull()) return true;
    return !overlapOf(fa.insetBy(-20, -20), fb).isNull();
}

std::shared_ptr<KXDocxRunImage> KXDocxRunImage::isIntersectImages(const KXDocxRunImageArray& group) const {
    if (std::none_of(group.begin(), group.end(), [&](const auto& r) { return r && isPDFScanIndexContinue(*r); }))
        return nullptr;
    for (const auto& r : group)
        if (r && IsIntersect(*this, *r)) return r;
    return nullptr;
}

std::shared_ptr<KXDocxRunImage> KXDocxRunImage::FindBigRectRunImage(const KXDocxRunImageArray& images) {
    std::shared_ptr<KXDocxRunImage> big;
    double bigArea = 0;
    for (const auto& run : images) {
        if (!run) continue;
        const double a = area(run->displayRect());
        if (!big || a > bigArea) {
            big = run;
            bigArea = a;
        }
    }
    return big;
}

bool KXDocxRunImage::drawInContext(kx::BitmapContext* context, const kx::AffineTransform& /*pageTransform*/,
                                   bool /*needClip*/) const {
    if (!context) return false;
    // Only drawn: a picture held as its painted part draws that part.
    const kx::PlacedImage image = KXPictureStore::shared().readPlaced(imagePath_);
    if (!image.image) return false;
    if (image.width == 0) {
        std::fprintf(stderr, "runImage.imagePath: image with path is null:%s!\n", imagePath_.c_str());
        return false;
    }
    // The context's user space is display space: the page, y downward.
    context->saveGState();
    context->concatCTM(imageToPage(*this));
    context->drawImage(image, kx::Rect(0, 0, 1, 1));
    context->restoreGState();
    return true;
}

kx::ImageRef KXDocxRunImage::MergeRunImage(const KXDocxRunImageArray& images, kx::Size contextSize,
                                           const kx::AffineTransform& scaleTransform, kx::Rect* clipRect) {
    const kx::Rect page(0, 0, std::ceil(static_cast<float>(contextSize.width)),
                        std::ceil(static_cast<float>(contextSize.height)));
    // Only the area the group covers on the page is drawn.
    kx::Rect u = kx::Rect::null();
    for (const auto& run : images) {
        if (!run) continue;
        const kx::Rect r = overlapOf(drawnRect(*run), page);
        if (!r.isNull()) u = u.unionWith(r);
    }
    double s = std::sqrt(std::fabs(scaleTransform.a * scaleTransform.d - scaleTransform.b * scaleTransform.c));
    if (!(s > 0) || !std::isfinite(s)) s = 1;
    if (!u.isNull()) {
        const double pixels = u.width() * s * u.height() * s;
        if (pixels > kMaxPicturePixels) {
            s *= std::sqrt(kMaxPicturePixels / pixels);
            kx::LeftOut::note("pictures drawn at a lower resolution to fit the memory bound");
        }
    }
    const double pw = u.isNull() ? 0 : std::ceil(static_cast<float>(u.width() * s));
    const double ph = u.isNull() ? 0 : std::ceil(static_cast<float>(u.height() * s));
    if (!(pw >= 1) || !(ph >= 1)) {
        std::fputs("Context Size Zero!\n", stderr);
        return nullptr;
    }
    std::unique_ptr<kx::BitmapContext> context =
        kx::BitmapContext::create(kx::toInt<std::int64_t>(pw), kx::toInt<std::int64_t>(ph));
    if (!context) {
        std::fputs("Context not created!\n", stderr);
        return nullptr;
    }
    // Display space (y downward) onto the bitmap, the group's corner at the bitmap's.
    context->translateCTM(0, ph);
    context->scaleCTM(1, -1);
    context->scaleCTM(s, s);
    context->translateCTM(-u.minX(), -u.minY());
    // Images that share a file (one image object painted many times) are decoded once, and kept
    // only until their last use: a group of large pictures is never held in memory all at once.
    std::map<std::string, size_t> usesLeft;
    for (const auto& run : images)
        if (run) ++usesLeft[run->imagePath()];
    // A picture held as its painted part draws that part.
    std::map<std::string, kx::PlacedImage> decoded;
    for (const auto& run : images) {
        if (!run) continue;
        const bool last = --usesLeft[run->imagePath()] == 0;
        if (overlapOf(drawnRect(*run), page).isNull()) continue;
        auto [it, fresh] = decoded.try_emplace(run->imagePath());
        if (fresh) it->second = KXPictureStore::shared().readPlaced(run->imagePath());
        const kx::PlacedImage picture = it->second;
        if (last) decoded.erase(it);
        if (!picture.image || picture.width == 0) continue;
        // Drawn opaque: the merged picture carries the first image's opacity once, and drawing each
        // image with its own as well would show the first at its opacity squared.
        context->saveGState();
        context->concatCTM(imageToPage(*run));
        context->drawImage(picture, kx::Rect(0, 0, 1, 1));
        context->restoreGState();
    }
    if (clipRect) *clipRect = kx::Rect(u.minX(), u.minY(), pw / s, ph / s);
    return context->makeImage();
}

std::shared_ptr<KXDocxRunImage> KXDocxRunImage::MergeRunImageArray(const KXDocxRunImageArray& images,
                                                                    kx::Size contextSize, int imageDPI) {
    if (images.size() < 2 || !images.front()) return nullptr;
    const std::shared_ptr<KXDocxRunImage>& first = images.front();
    KXDocxImageInfo info = first->pictInfo();
    const int dpi = std::clamp(imageDPI, 72, 600);
    const double scale = dpi / 72.0;
    kx::Rect clip(0, 0, contextSize.width, contextSize.height);
    kx::ImageRef image = MergeRunImage(images, contextSize, kx::AffineTransform::makeScale(scale, scale), &clip);
    if (!image) return nullptr;
    const std::string name = kx::format("%zuImages_Merged", images.size());
    const std::string path = KXPDFPathUtilities::getUUIDPathBy(KXPDFPathUtilities::tempIMG(name, "png"));
    const double written = clip.width() > 0 ? image->width * 72.0 / clip.width() : dpi;
    if (!KXWriteOrDeferCGImageToURL(image, path, kx::ImageFileType::PNG, written, written, 1.0f,
                                    kKXPackagePictureDeflateLevel)) return nullptr;

    info.setDisplayFrame(clip);
    info.pixelWidth = image->width;
    info.pixelHeight = image->height;
    info.horizontalResolution = std::round(static_cast<double>(info.pixelWidth) * 72 / clip.width());
    info.verticalResolution = std::round(static_cast<double>(info.pixelHeight) * 72 / clip.height());
    info.flipX = info.flipY = false;
    info.rotation = 0;

    auto merged = std::make_shared<KXDocxRunImage>();
    merged->setIsAnnotion(first->isAnnotion());
    const std::uint64_t s = first->pdfScanIndex();
    merged->setPdfScanIndex(s);
    first->setPdfScanIndex(s + 1);
    merged->setPdfScanLength(images.size());
    const std::int64_t z = first->pictZIndex();
    merged->setPictZIndex(z);
    first->setPictZIndex(z + 1);
    merged->setRunImageTitle(info.imageTitle);
    merged->setImagePath(path);
    merged->setPictInfo(info);
    merged->setRProperty(first->sharedRProperty());
    return merged;
}

void KXDocxRunImage::writeWithXMLWriter(XMLFileWriter& writer) {
    writer.writeStartElementWithNamespace(W, "r");
    KXDocxUtilities::WriteRProperty(rProperty(), writer);
    _writeImage2006(writer);
    writer.writeEndElement();
}

void KXDocxRunImage::_writeImage2006(XMLFileWriter& writer) const {
    const KXDocxImageInfo& i = pictInfo_;
    std::string style = kx::format("position:%s;margin-left:%0.2fpt;margin-top:%0.2fpt;width:%0.2fpt;height:%0.2fpt;",
                                   "absolute", kx::finiteOr(i.displayX), kx::finiteOr(i.displayY),
                                   kx::finiteOr(i.displayWidth), kx::finiteOr(i.displayHeight));
    if (i.rotation != 0 && std::isfinite(i.rotation))
        style += kx::format("rotation:%0.0f;", static_cast<double>(i.rotation));
    if (i.flipX && i.flipY) style += "flip:x y;";
    else if (i.flipX) style += "flip:x;";
    else if (i.flipY) style += "flip:y;";
    style += kx::format("z-index:%lld;", static_cast<long long>(pictZIndex()));
    style += kx::format("mso-position-horizontal-relative:%s;", "page");
    style += kx::format("mso-position-vertical-relative:%s", "page");

    writer.writeStartElementWithNamespace(W, "pict");
    // The picture frame's type is defined once in the part, before the first picture: a reader
    // that does not know it draws each picture with a black outline on a white fill.
    const std::string type =
        KXDocxVMLShapeTypes::sharedInstance().writeShapeTypeIfNeed(writer, KXDocxVMLShapeTypes::Kind::PictureFrame);
    writer.writeStartElementWithNamespace(V, "shape");
    writer.writeAttribute("type", type);
    writer.writeAttribute("style", style);
    writer.writeStartElementWithNamespace(V, "imagedata");
    writer.writeAttributeWithNamespace(R, "id", runImageID_);
    writer.writeAttributeWithNamespace(O, "title", runImageTitle_.empty() ? std::string("Untitled") : runImageTitle_);
    writer.writeEndElement();
    if (i.opacity < 1.0f) {
        const float a = std::clamp(std::isnan(i.opacity) ? 1.0f : i.opacity, 0.0f, 1.0f);
        writer.writeStartElementWithNamespace(V, "fill");
        writer.writeAttribute("opacity", kx::format("%0.0ff", static_cast<double>(a * 65792.0f)));
        writer.writeEndElement();
    }
    if (i.wrapType == 1) {
        writer.writeStartElementWithNamespace(W10, "wrap");
        writer.writeAttribute("type", "topAndBottom");
        writer.writeEndElement();
    }
    writer.writeEndElement();  // shape
    writer.writeEndElement();  // pict
}
