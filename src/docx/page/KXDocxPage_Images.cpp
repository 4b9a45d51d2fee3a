// Images of the page: overlapping images merged into one picture, groups of shapes drawn into
// pictures, and the registration of the pictures the page writes.
//
// A crowded page (more than 500 images, more than 1000 paths) becomes one picture of its images,
// or of its paths, whatever the options say; its originals go only once that picture exists.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <unordered_set>

#include "docx/model/KXDocxManager.h"
#include "docx/page/KXDocxPage.h"
#include "docx/page/KXDocxWriter.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "util/KXConverterUtilities.h"

namespace {

constexpr size_t kMaxImagesGrouped = 500;
constexpr size_t kMaxPathsGrouped = 1000;
constexpr size_t kCrowdedPaths = 30;
constexpr std::int64_t kManyPathPoints = 151;

// The first item and every item connected to it through `joins` (the remaining item, the group);
// the scan starts again after each item that joins.
template <class Run, class Joins>
std::vector<std::shared_ptr<Run>> growGroup(const std::vector<std::shared_ptr<Run>>& items, Joins joins) {
    std::vector<std::shared_ptr<Run>> group;
    if (items.empty()) return group;
    group.push_back(items.front());
    std::vector<std::shared_ptr<Run>> rest(items.begin() + 1, items.end());
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = rest.begin(); it != rest.end(); ++it) {
            if (!joins(**it, group)) continue;
            group.push_back(*it);
            rest.erase(it);
            grew = true;
            break;
        }
    }
    return group;
}

// The items cut into connected groups, in the order of their first items.
template <class Run, class Grow>
std::vector<std::vector<std::shared_ptr<Run>>> partition(const std::vector<std::shared_ptr<Run>>& items, Grow grow) {
    std::vector<std::vector<std::shared_ptr<Run>>> groups;
    std::vector<std::shared_ptr<Run>> rest = items;
    while (!rest.empty()) {
        std::vector<std::shared_ptr<Run>> group = grow(rest);
        std::unordered_set<const Run*> taken;
        for (const auto& r : group) taken.insert(r.get());
        std::erase_if(rest, [&](const auto& r) { return taken.count(r.get()) > 0; });
        groups.push_back(std::move(group));
    }
    return groups;
}

}  // namespace

KXDocxRunImageArray KXDocxPage::findIntersectImages(const KXDocxRunImageArray& images) {
    return growGroup(images, [](const KXDocxRunImage& image, const KXDocxRunImageArray& group) {
        return image.isIntersectImages(group) != nullptr;
    });
}

std::vector<KXDocxRunImageArray> KXDocxPage::findIntersectImagesGroups(const KXDocxRunImageArray& images) {
    return partition(images, [](const KXDocxRunImageArray& rest) { return findIntersectImages(rest); });
}

void KXDocxPage::convertImages2ImageIfNeed() {
    if (allRunImageArray_.empty()) return;
    updateAllPDFScanIndex();
    const kx::Size size{sectProperty_.pgSz.w, sectProperty_.pgSz.h};
    const KXPDFOptions& options = KXDocxManager::sharedInstance().moreOptions();
    const int dpi = options.imageDPI();
    if (allRunImageArray_.size() > kMaxImagesGrouped) {
        std::shared_ptr<KXDocxRunImage> merged = KXDocxRunImage::MergeRunImageArray(allRunImageArray_, size, dpi);
        // Without the merged picture the page keeps its images.
        if (!merged) return;
        if (docxWriter_)
            for (const auto& image : allRunImageArray_) docxWriter_->removeCollectedImageWithPath(image->imagePath());
        if (docxWriter_) merged->setRunImageID(docxWriter_->collectImageWithPath(merged->imagePath()));
        allRunImageArray_ = {merged};
        updateAllPDFScanIndex();
        return;
    }
    if (!options.wordOptions().enableMergeIntersectImages()) return;
    KXDocxRunImageArray kept;
    for (const auto& group : findIntersectImagesGroups(allRunImageArray_)) {
        std::shared_ptr<KXDocxRunImage> merged;
        if (group.size() >= 2) merged = KXDocxRunImage::MergeRunImageArray(group, size, dpi);
        if (merged) {
            if (docxWriter_) merged->setRunImageID(docxWriter_->collectImageWithPath(merged->imagePath()));
            kept.push_back(merged);
        } else {
            kept.insert(kept.end(), group.begin(), group.end());
        }
    }
    allRunImageArray_ = std::move(kept);
    updateAllPDFScanIndex();
}

KXDocxRunPathArray KXDocxPage::findIntersectRunPaths(const KXDocxRunPathArray& paths) {
    return growGroup(paths, [](const KXDocxRunPath& path, const KXDocxRunPathArray& group) {
        return path.isIntersectRunPaths(group, kx::Size{-78.0, -26.0});
    });
}

std::vector<KXDocxRunPathArray> KXDocxPage::findIntersectRunPathsGroups(const KXDocxRunPathArray& paths) {
    std::vector<KXDocxRunPathArray> groups =
        partition(paths, [](const KXDocxRunPathArray& rest) { return findIntersectRunPaths(rest); });
    std::erase_if(groups, [](const KXDocxRunPathArray& g) { return !KXDocxRunPath::IsVaildImageRunPaths(g); });
    return groups;
}

std::shared_ptr<KXDocxRunImage> KXDocxPage::_convertRunPathsToRunImage(const KXDocxRunPathArray& paths, int imageDPI) {
    if (paths.empty()) return nullptr;
    kx::Rect clip(0, 0, sectProperty_.pgSz.w, sectProperty_.pgSz.h);
    std::optional<std::string> file = KXDocxRunPath::CreateImageFromRunPaths(
        paths, kx::Size{sectProperty_.pgSz.w, sectProperty_.pgSz.h}, currentPageTransform_, imageDPI, true, &clip);
    if (!file || file->empty()) return nullptr;
    KXDocxImageInfo info;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    info.imageID = kx::format("Path-%0.0f-%s", static_cast<double>(seconds), KXConverterUtilities::Random4BigLetter().c_str());
    info.imageTitle = kx::pathFileName(*file);
    info.opacity = 1.0f;
    info.setDisplayFrame(clip);
    info.pixelWidth = static_cast<int>(clip.width());
    info.pixelHeight = static_cast<int>(clip.height());
    info.horizontalResolution = info.verticalResolution = 72;
    info.vertices = {kx::Point{clip.minX(), clip.minY()}, kx::Point{clip.maxX(), clip.minY()},
                     kx::Point{clip.maxX(), clip.maxY()}, kx::Point{clip.minX(), clip.maxY()}};
    auto image = std::make_shared<KXDocxRunImage>();
    const KXDocxRunPath& first = *paths.front();
    image->setIsAnnotion(first.isAnnotion());
    image->setPdfScanIndex(first.pdfScanIndex());
    image->setPictZIndex(first.pictZIndex());
    image->setRProperty(first.sharedRProperty());
    image->setImagePath(*file);
    image->setRunImageTitle(info.imageTitle);
    image->setPictInfo(info);
    if (docxWriter_) image->setRunImageID(docxWriter_->collectImageWithPath(*file));
    return image;
}

void KXDocxPage::convertShapes2ImageIfNeed() {
    const KXPDFOptions& options = KXDocxManager::sharedInstance().moreOptions();
    if (allRunPathArray_.size() <= kCrowdedPaths && !options.wordOptions().enableShapToImage() &&
        KXDocxRunPath::CountOfPoints(allRunPathArray_) < kManyPathPoints)
        return;
    if (allRunPathArray_.empty()) return;
    const int dpi = std::clamp(options.imageDPI(), 72, 600);
    std::stable_sort(allRunPathArray_.begin(), allRunPathArray_.end(),
                     [](const auto& a, const auto& b) { return a->pdfScanIndex() < b->pdfScanIndex(); });
    if (allRunPathArray_.size() > kMaxPathsGrouped) {
        std::shared_ptr<KXDocxRunImage> image = _convertRunPathsToRunImage(allRunPathArray_, dpi);
        // Without the picture the page keeps its paths.
        if (!image) return;
        allRunPathArray_.clear();
        allRunImageArray_.push_back(image);
        updateAllPDFScanIndex();
        return;
    }
    std::unordered_set<const KXDocxRunPath*> drawn;
    for (const auto& group : findIntersectRunPathsGroups(allRunPathArray_)) {
        std::shared_ptr<KXDocxRunImage> image = _convertRunPathsToRunImage(group, dpi);
        if (!image) continue;
        for (const auto& path : group) drawn.insert(path.get());
        allRunImageArray_.push_back(image);
    }
    if (drawn.empty()) return;
    std::erase_if(allRunPathArray_, [&](const auto& path) { return drawn.count(path.get()) > 0; });
    updateAllPDFScanIndex();
}

void KXDocxPage::registerImagesForWriting() {
    std::erase_if(allRunImageArray_, [&](const std::shared_ptr<KXDocxRunImage>& image) {
        if (!docxWriter_) return false;
        std::string id = docxWriter_->useCollectedImageWithPath(image->imagePath());
        if (id.empty()) return true;
        image->setRunImageID(std::move(id));
        return false;
    });
}
