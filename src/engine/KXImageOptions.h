#pragma once
// The page-image options of a conversion.

#include <cstdint>
#include <string>

class KXImageOptions {
public:
    KXImageOptions();

    // Resolution of the page images in dots per inch, 12 to 2400.
    std::int64_t dpi() const { return dpi_; }
    void setDpi(std::int64_t dpi);
    // Compression quality, 0.1 to 1.
    double quality() const { return quality_; }
    void setQuality(double quality);
    // Base name of the image files.
    const std::string& imageName() const { return imageName_; }
    void setImageName(std::string name) { imageName_ = std::move(name); }

private:
    std::int64_t dpi_ = 144;
    double quality_ = 0;
    std::string imageName_;
};
