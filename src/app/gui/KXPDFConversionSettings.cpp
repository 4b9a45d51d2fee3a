#include "app/gui/KXPDFConversionSettings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXOutputFormats.h"
#include "app/jobs/KXSettingsStore.h"

KXPDFConversionSettings::KXPDFConversionSettings(QWidget* parent) : QWidget(parent) {}

KXPDFConversionSettings::~KXPDFConversionSettings() { delegate_ = nullptr; }

std::map<std::string, std::string> KXPDFConversionSettings::FormatTypeDictionary() {
    return KXOutputFormats::FormatTypeDictionary();
}

std::map<std::string, std::string> KXPDFConversionSettings::FormatIconDictionary() {
    return KXOutputFormats::FormatIconDictionary();
}

bool KXPDFConversionSettings::isOuputFormatImage(const std::string& displayName) {
    return KXOutputFormats::isOuputFormatImage(displayName);
}

void KXPDFConversionSettings::fillWithValues(const std::shared_ptr<KXSourceFileItem>&) {}

void KXPDFConversionSettings::updateValueAction() {
    if (delegate_) delegate_->KXPDFConversionSettingsValueUpdated(*this);
}

void KXPDFConversionSettings::buttonDoneAction() {
    storeValues();
    KXSettingsStore::standardUserDefaults().synchronize();
    if (delegate_) delegate_->KXPDFConversionSettingsButtonDoneAction(*this);
}

QWidget* KXPDFConversionSettings::makeFrame(const QString& title) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 14);
    layout->setSpacing(10);
    auto* heading = new QLabel(title, this);
    QFont font = heading->font();
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    heading->setFont(font);
    layout->addWidget(heading);
    auto* body = new QWidget(this);
    layout->addWidget(body, 1);
    auto* buttons = new QDialogButtonBox(this);
    btn_done_ = buttons->addButton(QString::fromStdString(kx_sharedLocalized("Done")), QDialogButtonBox::AcceptRole);
    btn_done_->setObjectName("btn_done");
    btn_done_->setDefault(true);
    connect(btn_done_, &QPushButton::clicked, this, [this] { buttonDoneAction(); });
    layout->addWidget(buttons);
    return body;
}
