#pragma once
// The page-image options of the selected item: the image type, the resolution and the quality. The
// resolution and quality show the segment of their table nearest the value (the default segment
// for a value between the entries); choosing an image type stores it at once as the type new items
// start with.

#include "app/gui/KXPDFConversionSettings.h"

class QComboBox;
class KXSegmentedControl;

class KXImageSettings : public KXPDFConversionSettings {
    Q_OBJECT

public:
    explicit KXImageSettings(QWidget* parent = nullptr);

    void fillWithValues(const std::shared_ptr<KXSourceFileItem>& item) override;

    // Selects the stored image type when it is an image format; otherwise stores the JPEG type and
    // leaves the menu as it is.
    void readSavedOutputFormat();
    // The image-type menu's action: stores the title, then reports the change.
    void menuItemuAction_selectOutputFormats(const QString& title);

    std::string selectedValue_ImageType() const;
    std::int64_t selectedValue_ImageDPI() const;
    double selectedValue_ImageQuality() const;
    static int selectedSegmentFor_ImageDPI(std::int64_t dpi);
    static int selectedSegmentFor_ImageQuality(double quality);
    // Selects the title; false (and the stored type selected) for an empty title or one the menu
    // lacks.
    bool selectedMenuTitleFor_ImageType(const std::string& title);

    KXSegmentedControl* seg_image_dpi() const { return seg_image_dpi_; }
    KXSegmentedControl* seg_image_quality() const { return seg_image_quality_; }
    QComboBox* pub_outputFormat() const { return pub_outputFormat_; }

protected:
    void storeValues() override;

private:
    KXSegmentedControl* seg_image_dpi_ = nullptr;
    KXSegmentedControl* seg_image_quality_ = nullptr;
    QComboBox* pub_outputFormat_ = nullptr;
};
