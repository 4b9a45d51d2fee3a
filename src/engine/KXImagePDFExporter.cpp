#include "engine/KXImagePDFExporter.h"

#include <algorithm>
#include <array>

#include "util/KXPDFPathUtilities.h"
#include "util/KXWriteCGImageToURL.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Unicode.h"

namespace {

// Characters that cannot stand in a file name on the platforms the files travel to.
std::string withoutReservedCharacters(std::string name) {
    std::erase_if(name, [](char c) { return std::string_view("/\\?%*|\"<>").find(c) != std::string_view::npos; });
    return name;
}

// The file type written for a (lower-cased) key; JPEG for a key it does not know.
kx::ImageFileType imageTypeForKey(const std::string& lower) {
    if (lower == "png") return kx::ImageFileType::PNG;
    if (lower == "bmp") return kx::ImageFileType::BMP;
    if (lower == "tiff") return kx::ImageFileType::TIFF;
    if (lower == "gif") return kx::ImageFileType::GIF;
    if (lower == "jp2") return kx::ImageFileType::JPEG2000;
    if (lower == "tga") return kx::ImageFileType::TGA;
    return kx::ImageFileType::JPEG;
}

}  // namespace

bool KXImagePDFExporter::supportType(const std::string& key) {
    static const std::array<std::string_view, 8> keys = {"jpg", "jpeg", "png", "bmp", "gif", "tiff", "tga", "jp2"};
    std::string lower = kx::asciiLower(key);
    return std::find(keys.begin(), keys.end(), lower) != keys.end();
}

void KXImagePDFExporter::begainConvertPDF(const std::string&, const std::shared_ptr<kx::PDFDocument>&) {
    setIsShouldCancel(false);
    written_.clear();
    createdFolder_.clear();
}

bool KXImagePDFExporter::convertPDFPage(const kx::PDFPage& page) {
    const KXPDFOptions defaults;
    const KXImageOptions& options = moreOptions() ? moreOptions()->imageOptions() : defaults.imageOptions();
    const auto dpi = static_cast<double>(options.dpi());

    // A page that could not be drawn or written is a failed page, not a converted one.
    kx::ImageRef image = CapturePDFPage(page, KXPDFPageGeometry::ofPage(page), {dpi, dpi});
    if (!image) return false;

    const std::string extension = kx::asciiLower(destDocType());
    const std::string name = withoutReservedCharacters(kx::format(
        "%s_%.5llu.%s", options.imageName().c_str(), static_cast<unsigned long long>(requestIndex() + 1),
        extension.c_str()));
    const std::string& folder = destDocPath();
    if (!folder.empty() && !kx::fileExists(folder)) {
        if (!KXPDFPathUtilities::createFolderIfNeed(folder)) return false;
        createdFolder_ = folder;
    }
    const std::optional<std::string> path = KXPDFPathUtilities::reserveNewPathBy(kx::pathJoin(folder, name));
    if (!path) return false;
    if (!KXWriteCGImageToURL(image, *path, imageTypeForKey(extension), dpi, dpi, static_cast<float>(options.quality()))) {
        kx::removeFile(*path);
        return false;
    }
    written_.push_back(*path);
    return true;
}

void KXImagePDFExporter::endConvertPDF(const std::shared_ptr<kx::PDFDocument>&) {}

void KXImagePDFExporter::cleanConvertPDF() {
    for (const std::string& path : written_) kx::removeFile(path);
    written_.clear();
    // The folder goes only when this conversion made it and nothing else has been put in it.
    if (!createdFolder_.empty() && kx::listDirectory(createdFolder_).empty()) kx::removeAll(createdFolder_);
    createdFolder_.clear();
}
