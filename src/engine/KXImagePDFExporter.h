#pragma once
// Writes each converted page as one image file in the destination folder: the whole page drawn at
// the image options' resolution, named "<imageName>_<position>.<key>" by its position in the page
// list (IMG_00001.png, IMG_00002.png, ...), so that a page that failed leaves its number unused and
// the n-th requested page is always the n-th file. A name already taken in the folder gives the
// next free one (IMG_000012.png), claimed in one step: runs writing into the same folder at the
// same time never share a file. A cancelled or failed conversion takes back the files it wrote.

#include <string>
#include <vector>

#include "engine/KXPDFExporter.h"

class KXImagePDFExporter : public KXPDFExporter {
public:
    void begainConvertPDF(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document) override;
    // False when the page could not be drawn or its file not written.
    bool convertPDFPage(const kx::PDFPage& page) override;
    void endConvertPDF(const std::shared_ptr<kx::PDFDocument>& document) override;
    void cleanConvertPDF() override;

    // True for the image keys, in any letter case: jpg, jpeg, png, bmp, gif, tiff, tga, jp2.
    static bool supportType(const std::string& key);

private:
    std::vector<std::string> written_;  // the files of this conversion
    std::string createdFolder_;        // the destination folder, when this conversion made it
};
