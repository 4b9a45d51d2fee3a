#include "app/gui/KXWordSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/gui/KXAppearance.h"
#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"

namespace {

QString localized(const char* text) { return QString::fromStdString(kx_sharedLocalized(text)); }

}  // namespace

KXWordSettings::KXWordSettings(QWidget* parent) : KXPDFConversionSettings(parent) {
    setObjectName("KXWordSettings");
    QWidget* body = makeFrame(localized("Microsoft Word Options"));
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    auto add = [&](QCheckBox*& box, const char* name, const char* title, const char* hint) {
        box = new QCheckBox(localized(title), body);
        box->setObjectName(name);
        layout->addWidget(box);
        auto* note = new QLabel(localized(hint), body);
        note->setWordWrap(true);
        note->setIndent(22);
        KXAppearance::makeSecondary(note, 11);
        layout->addWidget(note);
        connect(box, &QCheckBox::clicked, this, [this] { updateValueAction(); });
    };
    add(docx_btn_trimBlankSpace_, "docx_btn_trimBlankSpace", "Trim blank characters",
        "Runs of blanks used to place text are left out.");
    add(docx_btn_mergeParagraph_, "docx_btn_mergeParagraph", "Merge lines into paragraphs",
        "Lines that belong together become one paragraph that rewraps when edited.");
    add(docx_btn_enableShapToImage_, "docx_btn_enableShapToImage", "Keep shapes as pictures",
        "Drawings of the page are put in as pictures instead of editable shapes.");
    add(docx_btn_enableMergeIntersectImages_, "docx_btn_enableMergeIntersectImages", "Merge overlapping pictures",
        "Pictures that overlap are joined into one.");
    layout->addStretch(1);
    setMinimumWidth(400);
}

void KXWordSettings::fillWithValues(const std::shared_ptr<KXSourceFileItem>& item) {
    if (!item) return;
    const KXWordOptions& options = item->convertOpts().wordOptions();
    docx_btn_trimBlankSpace_->setChecked(options.isTrimmingBlankSpaceCharacters());
    docx_btn_mergeParagraph_->setChecked(options.isMergeParagraphs());
    docx_btn_enableShapToImage_->setChecked(options.enableShapToImage());
    docx_btn_enableMergeIntersectImages_->setChecked(options.enableMergeIntersectImages());
}

void KXWordSettings::storeValues() {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setBool(Setting_Key_Docuvane_Word_isMergeParagraphs, docx_btn_mergeParagraph_->isChecked());
    store.setBool(Setting_Key_Docuvane_Word_isTrimmingBlankSpaceCharacters, docx_btn_trimBlankSpace_->isChecked());
    store.setBool(Setting_Key_Docuvane_Word_enableShapToImage, docx_btn_enableShapToImage_->isChecked());
    store.setBool(Setting_Key_Docuvane_Word_enableMergeIntersectImages, docx_btn_enableMergeIntersectImages_->isChecked());
}
