#include "app/gui/KXExcelSettings.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"

namespace {

QString localized(const char* text) { return QString::fromStdString(kx_sharedLocalized(text)); }

// Checks the button of the id; an id the group does not have checks the first.
void checkId(QButtonGroup* group, int id) {
    QAbstractButton* button = group->button(id);
    if (!button) button = group->button(0);
    if (button) button->setChecked(true);
}

void selectIndex(QComboBox* box, int index) { box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0); }

}  // namespace

KXExcelSettings::KXExcelSettings(QWidget* parent) : KXPDFConversionSettings(parent) {
    setObjectName("KXExcelSettings");
    QWidget* body = makeFrame(localized("Microsoft Excel and CSV Options"));
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* styleBox = new QGroupBox(localized("Cells"), body);
    auto* styleLayout = new QVBoxLayout(styleBox);
    mtx_dataStruct_ = new QButtonGroup(this);
    const char* styles[] = {"Keep the page's look: merged cells, wrapped text, real sizes",
                            "Plain cells: default font size and row height",
                            "Plain text cells: default font, numbers kept as text"};
    for (int row = 0; row < 3; ++row) {
        auto* radio = new QRadioButton(localized(styles[row]), styleBox);
        radio->setObjectName(QString("mtx_dataStruct%1").arg(row));
        mtx_dataStruct_->addButton(radio, row);
        styleLayout->addWidget(radio);
    }
    layout->addWidget(styleBox);

    auto* form = new QFormLayout;
    pub_thousandSepartor_ = new QComboBox(body);
    pub_thousandSepartor_->setObjectName("pub_thousandSepartor");
    pub_thousandSepartor_->addItems({localized("1,234.56 (comma groups thousands)"), localized("1.234,56 (dot groups thousands)")});
    form->addRow(localized("Numbers:"), pub_thousandSepartor_);
    pub_overlapText_ = new QComboBox(body);
    pub_overlapText_->setObjectName("pub_overlapText");
    pub_overlapText_->addItems({localized("Strict"), localized("Normal"), localized("Loose")});
    form->addRow(localized("Joining text on a line:"), pub_overlapText_);
    layout->addLayout(form);

    auto* sheetsBox = new QGroupBox(localized("Sheets"), body);
    auto* sheetsLayout = new QVBoxLayout(sheetsBox);
    mtx_eachPageSheet_ = new QButtonGroup(this);
    auto* eachPage = new QRadioButton(localized("One sheet per page"), sheetsBox);
    auto* allInOne = new QRadioButton(localized("All pages in one sheet"), sheetsBox);
    eachPage->setObjectName("mtx_eachPageSheet0");
    allInOne->setObjectName("mtx_eachPageSheet1");
    mtx_eachPageSheet_->addButton(eachPage, 0);
    mtx_eachPageSheet_->addButton(allInOne, 1);
    sheetsLayout->addWidget(eachPage);
    sheetsLayout->addWidget(allInOne);
    aiosAddToRowBox_ = new QWidget(sheetsBox);
    auto* stacking = new QHBoxLayout(aiosAddToRowBox_);
    stacking->setContentsMargins(22, 0, 0, 0);
    mtx_aiosAddToRow_ = new QButtonGroup(this);
    auto* below = new QRadioButton(localized("Pages below each other"), aiosAddToRowBox_);
    auto* beside = new QRadioButton(localized("Pages side by side"), aiosAddToRowBox_);
    below->setObjectName("mtx_aiosAddToRow0");
    beside->setObjectName("mtx_aiosAddToRow1");
    mtx_aiosAddToRow_->addButton(below, 0);
    mtx_aiosAddToRow_->addButton(beside, 1);
    stacking->addWidget(below);
    stacking->addWidget(beside);
    stacking->addStretch(1);
    sheetsLayout->addWidget(aiosAddToRowBox_);
    layout->addWidget(sheetsBox);
    layout->addStretch(1);

    for (QButtonGroup* group : {mtx_dataStruct_, mtx_eachPageSheet_, mtx_aiosAddToRow_})
        connect(group, &QButtonGroup::idClicked, this, [this] { updateValueAction(); });
    for (QComboBox* box : {pub_thousandSepartor_, pub_overlapText_})
        connect(box, &QComboBox::activated, this, [this] { updateValueAction(); });
    checkId(mtx_dataStruct_, 0);
    checkId(mtx_eachPageSheet_, 0);
    checkId(mtx_aiosAddToRow_, 0);
    updateEnabling();
    setMinimumWidth(440);
}

int KXExcelSettings::selectedDataStruct() const { return std::max(0, mtx_dataStruct_->checkedId()); }
int KXExcelSettings::selectedThousandSepartor() const { return std::max(0, pub_thousandSepartor_->currentIndex()); }
int KXExcelSettings::selectedOverlapText() const { return std::max(0, pub_overlapText_->currentIndex()); }
bool KXExcelSettings::isAllInOneSheet() const { return mtx_eachPageSheet_->checkedId() > 0; }
bool KXExcelSettings::isAiosAddToRow() const { return mtx_aiosAddToRow_->checkedId() <= 0; }
bool KXExcelSettings::isAiosAddToRowEnabled() const { return aiosAddToRowBox_->isEnabled(); }

void KXExcelSettings::updateEnabling() { aiosAddToRowBox_->setEnabled(mtx_eachPageSheet_->checkedId() == 1); }

void KXExcelSettings::fillWithValues(const std::shared_ptr<KXSourceFileItem>& item) {
    if (!item) return;
    const KXExcelOptions& options = item->convertOpts().excelOptions();
    checkId(mtx_dataStruct_, options.excelFormatOption());
    selectIndex(pub_thousandSepartor_, options.thousandSepartor());
    selectIndex(pub_overlapText_, options.overlapText());
    checkId(mtx_eachPageSheet_, options.allInOneSheet() ? 1 : 0);
    checkId(mtx_aiosAddToRow_, options.aiosAddToRow() ? 0 : 1);
    updateEnabling();
}

void KXExcelSettings::updateValueAction() {
    updateEnabling();
    KXPDFConversionSettings::updateValueAction();
}

void KXExcelSettings::storeValues() {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setInteger(Setting_Key_Docuvane_Excel_FormatStyle, selectedDataStruct());
    store.setInteger(Setting_Key_Docuvane_Excel_ThousandSepartor, selectedThousandSepartor());
    store.setInteger(Setting_Key_Docuvane_Excel_OverlapText, selectedOverlapText());
    store.setBool(Setting_Key_Docuvane_Excel_IsEachPageSheet, isAllInOneSheet());
    store.setBool(Setting_Key_Docuvane_Excel_IsAiosAddToRow, isAiosAddToRow());
}
