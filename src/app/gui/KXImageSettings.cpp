#include "app/gui/KXImageSettings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include "app/gui/KXAppearance.h"
#include "app/gui/KXNamedImages.h"
#include "app/gui/KXSegmentedControl.h"
#include "app/jobs/KXCUtilities.h"
#include "app/jobs/KXImageTables.h"
#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXOutputFormats.h"
#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"

namespace {

QString localized(const char* text) { return QString::fromStdString(kx_sharedLocalized(text)); }
const char* const kDefaultImageType = kx::format_names::JPEG;

}  // namespace

KXImageSettings::KXImageSettings(QWidget* parent) : KXPDFConversionSettings(parent) {
    setObjectName("KXImageSettings");
    QWidget* body = makeFrame(localized("Image Options"));
    auto* form = new QFormLayout(body);
    form->setContentsMargins(0, 0, 0, 0);
    form->setVerticalSpacing(12);

    pub_outputFormat_ = new QComboBox(body);
    pub_outputFormat_->setObjectName("pub_outputFormat");
    const auto icons = KXOutputFormats::FormatIconDictionary();
    for (const std::string& title : KXOutputFormats::imageTypeMenuTitles())
        pub_outputFormat_->addItem(KXNamedImages::icon(icons.at(title)), QString::fromStdString(title));
    connect(pub_outputFormat_, &QComboBox::activated, this,
            [this](int index) { menuItemuAction_selectOutputFormats(pub_outputFormat_->itemText(index)); });
    form->addRow(localized("Image type:"), pub_outputFormat_);

    QStringList dpis;
    for (std::int64_t dpi : KXDPITable) dpis << QString::number(dpi);
    seg_image_dpi_ = new KXSegmentedControl(dpis, body);
    seg_image_dpi_->setObjectName("seg_image_dpi");
    form->addRow(localized("Resolution (DPI):"), seg_image_dpi_);

    seg_image_quality_ = new KXSegmentedControl(
        {localized("Low"), localized("Medium"), localized("High"), localized("Best"), localized("Maximum")}, body);
    seg_image_quality_->setObjectName("seg_image_quality");
    form->addRow(localized("Quality:"), seg_image_quality_);
    auto* note = new QLabel(localized("The quality applies to the formats that compress with loss (JPEG, JPEG 2000)."), body);
    note->setWordWrap(true);
    KXAppearance::makeSecondary(note, 11);
    form->addRow(QString(), note);

    connect(seg_image_dpi_, &KXSegmentedControl::segmentChosen, this, [this] { updateValueAction(); });
    connect(seg_image_quality_, &KXSegmentedControl::segmentChosen, this, [this] { updateValueAction(); });
    seg_image_dpi_->setSelectedSegment(KXImageTables::defaultDPISegment);
    seg_image_quality_->setSelectedSegment(KXImageTables::defaultQualitySegment);
    readSavedOutputFormat();
    setMinimumWidth(520);
}

void KXImageSettings::readSavedOutputFormat() {
    const std::string stored =
        KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat_ImageType, std::string(kDefaultImageType))
            .value_or(kDefaultImageType);
    if (KXOutputFormats::isOuputFormatImage(stored)) {
        const int index = pub_outputFormat_->findText(QString::fromStdString(stored));
        if (index >= 0) pub_outputFormat_->setCurrentIndex(index);
        return;
    }
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setString(Setting_Key_Docuvane_OutputFormat_ImageType, kDefaultImageType);
    store.synchronize();
}

void KXImageSettings::menuItemuAction_selectOutputFormats(const QString& title) {
    const int index = pub_outputFormat_->findText(title);
    if (index >= 0) pub_outputFormat_->setCurrentIndex(index);
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setString(Setting_Key_Docuvane_OutputFormat_ImageType, title.toStdString());
    store.synchronize();
    updateValueAction();
}

std::string KXImageSettings::selectedValue_ImageType() const {
    const std::string title = pub_outputFormat_->currentText().toStdString();
    return KXOutputFormats::isOuputFormatImage(title) ? title : kDefaultImageType;
}

std::int64_t KXImageSettings::selectedValue_ImageDPI() const {
    return KXImageTables::imageDPIForSegment(seg_image_dpi_->selectedSegment());
}

double KXImageSettings::selectedValue_ImageQuality() const {
    return KXImageTables::imageQualityForSegment(seg_image_quality_->selectedSegment());
}

int KXImageSettings::selectedSegmentFor_ImageDPI(std::int64_t dpi) { return KXImageTables::selectedSegmentFor_ImageDPI(dpi); }

int KXImageSettings::selectedSegmentFor_ImageQuality(double quality) {
    return KXImageTables::selectedSegmentFor_ImageQuality(quality);
}

bool KXImageSettings::selectedMenuTitleFor_ImageType(const std::string& title) {
    if (!title.empty()) {
        const int index = pub_outputFormat_->findText(QString::fromStdString(title));
        if (index >= 0) {
            pub_outputFormat_->setCurrentIndex(index);
            return true;
        }
    }
    readSavedOutputFormat();
    return false;
}

void KXImageSettings::fillWithValues(const std::shared_ptr<KXSourceFileItem>& item) {
    if (!item) return;
    const KXImageOptions& options = item->convertOpts().imageOptions();
    seg_image_dpi_->setSelectedSegment(selectedSegmentFor_ImageDPI(options.dpi()));
    seg_image_quality_->setSelectedSegment(selectedSegmentFor_ImageQuality(options.quality()));
    selectedMenuTitleFor_ImageType(item->settings_outputFormat_imageType());
}

void KXImageSettings::storeValues() {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setInteger(Setting_Key_Docuvane_Image_ImageDPI, selectedValue_ImageDPI());
    store.setFloat(Setting_Key_Docuvane_Image_ImageQuality, static_cast<float>(selectedValue_ImageQuality()));
}
