#pragma once
// Writes each converted page as one image file in the destination folder: the whole page drawn at
// the image options' resolution, named "<imageName>_<position>.<key>" by its output position
// (IMG_00001.png, IMG_00002.png, ...).

#include <string>

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
};
