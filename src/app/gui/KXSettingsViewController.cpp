#include "app/gui/KXSettingsViewController.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/gui/KXAppearance.h"
#include "app/gui/KXExcelSettings.h"
#include "app/gui/KXFilePanels.h"
#include "app/gui/KXHideView.h"
#include "app/gui/KXImageSettings.h"
#include "app/gui/KXImageUtilities.h"
#include "app/gui/KXImageViewTap.h"
#include "app/gui/KXNamedImages.h"
#include "app/gui/KXThumbnails.h"
#include "app/gui/KXWordSettings.h"
#include "app/gui/KXWorkspace.h"
#include "app/jobs/KXCUtilities.h"
#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXOutputFormats.h"
#include "app/jobs/KXSandBoxUtilities.h"
#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"
#include "platform/FileSystem.h"

namespace {

namespace names = kx::format_names;

QString q(const std::string& s) { return QString::fromStdString(s); }
QString localized(const char* text) { return q(kx_sharedLocalized(text)); }

QLabel* caption(const char* text, QWidget* parent) {
    auto* label = new QLabel(localized(text), parent);
    QFont font = label->font();
    font.setPixelSize(11);
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    KXAppearance::makeSecondary(label);
    return label;
}

QFrame* line(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

constexpr QSize kPreviewSize(400, 220);

}  // namespace

KXSettingsViewController::KXSettingsViewController(QWidget* parent) : QWidget(parent) {
    setObjectName("KXSettingsViewController");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(8);

    layout->addWidget(caption("Preview", this));
    iv_previewIcon_ = new KXImageViewTap(this);
    iv_previewIcon_->setObjectName("iv_previewIcon");
    iv_previewIcon_->setFixedSize(288, 158);
    connect(iv_previewIcon_, &KXImageViewTap::clicked, this, &KXSettingsViewController::previewButtonPressed);
    layout->addWidget(iv_previewIcon_, 0, Qt::AlignHCenter);
    tf_previewTitle_ = new QLabel(this);
    tf_previewTitle_->setObjectName("tf_previewTitle");
    QFont bold = tf_previewTitle_->font();
    bold.setWeight(QFont::DemiBold);
    tf_previewTitle_->setFont(bold);
    tf_previewTitle_->setAlignment(Qt::AlignHCenter);
    tf_previewInfo_ = new QLabel(this);
    tf_previewInfo_->setObjectName("tf_previewInfo");
    tf_previewInfo_->setAlignment(Qt::AlignHCenter);
    KXAppearance::makeSecondary(tf_previewInfo_);
    layout->addWidget(tf_previewTitle_);
    layout->addWidget(tf_previewInfo_);
    layout->addWidget(line(this));

    // What belongs to the shown item; covered while its job runs.
    itemSettings_ = new QWidget(this);
    auto* item = new QVBoxLayout(itemSettings_);
    item->setContentsMargins(0, 0, 0, 0);
    item->setSpacing(8);
    item->addWidget(caption("Options", itemSettings_));
    auto* formatRow = new QHBoxLayout;
    pub_outputFormat_ = new QComboBox(itemSettings_);
    pub_outputFormat_->setObjectName("pub_outputFormat");
    const auto icons = KXOutputFormats::FormatIconDictionary();
    for (const std::string& title : KXOutputFormats::formatMenuTitles())
        pub_outputFormat_->addItem(KXNamedImages::icon(icons.at(title)), q(title));
    pub_outputFormat_->setIconSize(QSize(20, 20));
    connect(pub_outputFormat_, &QComboBox::activated, this, [this] { settingsButtonPressed(); });
    // The menu takes the whole width, so that its longest title ("Image Files(JPEG, PNG, etc.)")
    // shows whole; the sheet button goes on the line below it.
    formatRow->addWidget(pub_outputFormat_, 1);
    item->addLayout(formatRow);
    auto* applyRow = new QHBoxLayout;
    btn_outputApplyToAll_ = new QCheckBox(localized("Apply to All"), itemSettings_);
    btn_outputApplyToAll_->setObjectName("btn_outputApplyToAll");
    connect(btn_outputApplyToAll_, &QCheckBox::clicked, this, [this] { settingsButtonPressed(); });
    applyRow->addWidget(btn_outputApplyToAll_);
    applyRow->addStretch(1);
    btn_moreSettings_ = new QPushButton(localized("More…"), itemSettings_);
    btn_moreSettings_->setObjectName("btn_moreSettings");
    btn_moreSettings_->setToolTip(localized("More settings of this format"));
    connect(btn_moreSettings_, &QPushButton::clicked, this, &KXSettingsViewController::moreSettingsButtonAction);
    applyRow->addWidget(btn_moreSettings_);
    item->addLayout(applyRow);

    item->addSpacing(4);
    item->addWidget(caption("Page Range:", itemSettings_));
    mtx_ouputPageRange_ = new QButtonGroup(this);
    allPagesRow_ = new QRadioButton(localized("All Pages"), itemSettings_);
    customRow_ = new QRadioButton(localized("Custom"), itemSettings_);
    allPagesRow_->setObjectName("mtx_ouputPageRange0");
    customRow_->setObjectName("mtx_ouputPageRange1");
    mtx_ouputPageRange_->addButton(allPagesRow_, 0);
    mtx_ouputPageRange_->addButton(customRow_, 1);
    connect(mtx_ouputPageRange_, &QButtonGroup::idClicked, this, [this](int row) {
        settingsButtonPressed();
        // Custom: what is typed next goes into the field, in place of the text for all pages.
        if (row == 1 && tf_ouputPageRange_->isEnabled()) {
            tf_ouputPageRange_->setFocus(Qt::OtherFocusReason);
            if (tf_ouputPageRange_->text() == localized("All Pages")) tf_ouputPageRange_->selectAll();
        }
    });
    item->addWidget(allPagesRow_);
    auto* customLine = new QHBoxLayout;
    customLine->addWidget(customRow_);
    tf_ouputPageRange_ = new QLineEdit(localized("All Pages"), itemSettings_);
    tf_ouputPageRange_->setObjectName("tf_ouputPageRange");
    tf_ouputPageRange_->setEnabled(false);
    tf_ouputPageRange_->installEventFilter(this);
    connect(tf_ouputPageRange_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (sourceFileItem_) sourceFileItem_->setSettings_customPageRange(text.toStdString());
        updatePageRangeCheck();
    });
    connect(tf_ouputPageRange_, &QLineEdit::editingFinished, this, [this] {
        if (sourceFileItem_ && delegate_) delegate_->KXSettingsViewControllerDidUpdateSettings(*this);
    });
    customLine->addWidget(tf_ouputPageRange_, 1);
    item->addLayout(customLine);
    auto* example = new QLabel(localized("E.g. 1,5,3-12"), itemSettings_);
    KXAppearance::makeSecondary(example, 11);
    example->setIndent(24);
    item->addWidget(example);
    tf_ouputPageRangeWrong_ = new QLabel(itemSettings_);
    tf_ouputPageRangeWrong_->setObjectName("tf_ouputPageRangeWrong");
    tf_ouputPageRangeWrong_->setWordWrap(true);
    tf_ouputPageRangeWrong_->setIndent(24);
    tf_ouputPageRangeWrong_->hide();
    item->addWidget(tf_ouputPageRangeWrong_);
    layout->addWidget(itemSettings_);
    layout->addWidget(line(this));

    layout->addWidget(caption("Output Directory:", this));
    tf_ouputPath_ = new QLineEdit(this);
    tf_ouputPath_->setObjectName("tf_ouputPath");
    tf_ouputPath_->setReadOnly(true);
    layout->addWidget(tf_ouputPath_);
    auto* folderRow = new QHBoxLayout;
    btn_browse_ = new QPushButton(localized("Browse"), this);
    btn_browse_->setObjectName("btn_browse");
    btn_reveal_ = new QPushButton(localized("Reveal"), this);
    btn_reveal_->setObjectName("btn_reveal");
    connect(btn_browse_, &QPushButton::clicked, this, &KXSettingsViewController::browseOutputDirectry);
    connect(btn_reveal_, &QPushButton::clicked, this, &KXSettingsViewController::revealOutputDirectry);
    folderRow->addWidget(btn_browse_);
    folderRow->addWidget(btn_reveal_);
    folderRow->addStretch(1);
    layout->addLayout(folderRow);
    layout->addStretch(1);

    coverView_ = new KXHideView(this);
    coverView_->setObjectName("coverView");
    auto* coverLayout = new QVBoxLayout(coverView_);
    auto* coverText = new QLabel(localized("This file is being converted. Its settings can be changed when it is done."), coverView_);
    coverText->setWordWrap(true);
    coverText->setAlignment(Qt::AlignCenter);
    coverLayout->addWidget(coverText);
    coverView_->hide();

    // The sheets and the panel that shows one of them at a time.
    panel_moreSettings_ = new QDialog(this);
    panel_moreSettings_->setObjectName("panel_moreSettings");
    panel_moreSettings_->setWindowModality(Qt::WindowModal);
    panel_moreSettings_->setWindowTitle(localized("More Settings"));
    auto* panelLayout = new QVBoxLayout(panel_moreSettings_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    settings_Excel_ = new KXExcelSettings(this);
    settings_Word_ = new KXWordSettings(this);
    settings_Image_ = new KXImageSettings(this);
    for (KXPDFConversionSettings* sheet : {static_cast<KXPDFConversionSettings*>(settings_Excel_),
                                           static_cast<KXPDFConversionSettings*>(settings_Word_),
                                           static_cast<KXPDFConversionSettings*>(settings_Image_)}) {
        sheet->setDelegate(this);
        sheet->hide();
    }
    // Closing the panel by its window button ends it like Done, without storing.
    connect(panel_moreSettings_, &QDialog::finished, this, [this] {
        if (!openSheet_) return;
        panel_moreSettings_->layout()->removeWidget(openSheet_);
        openSheet_->setParent(this);
        openSheet_->hide();
        openSheet_ = nullptr;
    });

    // The output folder.
    if (KXSandBoxUtilities::UserSelectedOutputURLBookmarkForKey(KXDefaulExportDirectory_SandBox))
        KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmark();
    showOutputFolder();
    selectStoredFormat(true);
    connect(&KXThumbnails::shared(), &KXThumbnails::thumbnailReady, this, [this](const QString& path) {
        if (sourceFileItem_ && QFileInfo(path) == QFileInfo(q(sourceFileItem_->sourcePath()))) refreshPreview();
    });
    setSourceFileItem(nullptr);
}

KXSettingsViewController::~KXSettingsViewController() {
    KXSandBoxUtilities::stopAccessingUserSelectedOutputURLBookmarkForKey(KXDefaulExportDirectory_SandBox);
}

// A click in the field while it holds the text for all pages selects that text whole, so that typing
// replaces it rather than adding to it.
bool KXSettingsViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tf_ouputPageRange_ && event->type() == QEvent::MouseButtonPress &&
        tf_ouputPageRange_->isEnabled() && tf_ouputPageRange_->text() == localized("All Pages")) {
        tf_ouputPageRange_->setFocus(Qt::MouseFocusReason);
        tf_ouputPageRange_->selectAll();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void KXSettingsViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    coverView_->setGeometry(itemSettings_->geometry());
}

void KXSettingsViewController::selectStoredFormat(bool repair) {
    const std::string stored =
        KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat, std::string(names::Word)).value_or(names::Word);
    const int index = pub_outputFormat_->findText(q(stored));
    if (index >= 0) {
        pub_outputFormat_->setCurrentIndex(index);
        return;
    }
    if (!repair) return;
    pub_outputFormat_->setCurrentIndex(pub_outputFormat_->findText(names::Word));
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setString(Setting_Key_Docuvane_OutputFormat, names::Word);
    store.synchronize();
}

void KXSettingsViewController::setSourceFileItem(std::shared_ptr<KXSourceFileItem> item) {
    sourceFileItem_ = std::move(item);
    const bool shown = sourceFileItem_ != nullptr;
    for (QWidget* control : std::initializer_list<QWidget*>{btn_moreSettings_, btn_outputApplyToAll_, pub_outputFormat_,
                                                            allPagesRow_, customRow_, tf_ouputPageRange_})
        control->setEnabled(shown);
    if (!shown) {
        iv_previewIcon_->setImage(KXNamedImages::image("default-eye", kPreviewSize, devicePixelRatioF()));
        tf_previewTitle_->setText(localized("No File Selected"));
        iv_previewIcon_->setToolTip(localized("No File Selected"));
        tf_previewInfo_->clear();
        updateUI();
        return;
    }
    refreshPreview();
    const QString name = q(kx::pathFileName(sourceFileItem_->sourcePath()));
    tf_previewTitle_->setText(QFontMetrics(tf_previewTitle_->font()).elidedText(name, Qt::ElideMiddle, 288));
    tf_previewTitle_->setToolTip(name);
    iv_previewIcon_->setToolTip(name);
    tf_previewInfo_->setText(q(sourceFileItem_->sourceInfo()));
    pub_outputFormat_->setCurrentIndex(pub_outputFormat_->findText(q(sourceFileItem_->settings_outputFormat())));
    if (QAbstractButton* row = mtx_ouputPageRange_->button(static_cast<int>(sourceFileItem_->settings_pageRangeType())))
        row->setChecked(true);
    else
        allPagesRow_->setChecked(true);
    tf_ouputPageRange_->setText(q(sourceFileItem_->settings_customPageRange()));
    updateUI();
}

void KXSettingsViewController::refreshPreview() {
    if (!sourceFileItem_) return;
    iv_previewIcon_->setImage(KXImageUtilities::imageWithPreviewOfFileAtPath(q(sourceFileItem_->sourcePath()),
                                                                             QSizeF(kPreviewSize), false,
                                                                             devicePixelRatioF()));
}

void KXSettingsViewController::updateUI() {
    if (sourceFileItem_) {
        tf_ouputPageRange_->setEnabled(mtx_ouputPageRange_->checkedId() != 0);
        const std::string& format = sourceFileItem_->settings_outputFormat();
        btn_moreSettings_->setEnabled(format == names::Word || format == names::Excel || format == names::CSV ||
                                      format == names::ImageFamily);
    } else {
        selectStoredFormat(false);
    }
    updatePageRangeCheck();
    updateCover();
}

// A custom range that reads only in part (its job converts nothing), or that selects no page of the
// PDF, is shown as wrong in its field at once, not only when its conversion fails. A PDF whose pages
// cannot be counted says nothing about which pages a range selects.
void KXSettingsViewController::updatePageRangeCheck() {
    const bool custom = sourceFileItem_ && sourceFileItem_->settings_pageRangeType() == 1;
    const bool unreadable = custom && !sourceFileItem_->isPageRangeReadable();
    const bool wrong = unreadable || (custom && sourceFileItem_->sourcePages() > 0 &&
                                      sourceFileItem_->outputPDFPageIndexs().empty());
    if (wrong) {
        tf_ouputPageRangeWrong_->setText(
            unreadable ? localized("This range can't be read: write page numbers and ranges, such as 1,5,3-12.")
                       : localized("This range selects no page of the PDF (%1 pages).").arg(sourceFileItem_->sourcePages()));
        const QColor red = KXAppearance::isDarkMode(this) ? QColor(0xff, 0x7b, 0x72) : QColor(0xc6, 0x28, 0x28);
        for (QWidget* widget : {static_cast<QWidget*>(tf_ouputPageRange_), static_cast<QWidget*>(tf_ouputPageRangeWrong_)}) {
            QPalette palette = widget->palette();
            palette.setColor(QPalette::Text, red);
            palette.setColor(QPalette::WindowText, red);
            widget->setPalette(palette);
        }
    } else {
        tf_ouputPageRange_->setPalette(QPalette());
    }
    tf_ouputPageRangeWrong_->setVisible(wrong);
}

// The chosen folder, or "/Downloads" while none is chosen (Convert asks for one first).
void KXSettingsViewController::showOutputFolder() {
    tf_ouputPath_->setText(q(KXSandBoxUtilities::UserSelectedOutputURLBookmark().value_or("/Downloads")));
}

void KXSettingsViewController::updateCover() {
    const bool running = sourceFileItem_ && isItemConverting && isItemConverting(sourceFileItem_);
    coverView_->setGeometry(itemSettings_->geometry());
    coverView_->setVisible(running);
    if (running) coverView_->raise();
}

void KXSettingsViewController::previewButtonPressed() {
    if (sourceFileItem_) KXWorkspace::openFile(q(sourceFileItem_->sourcePath()));
}

void KXSettingsViewController::settingsButtonPressed() {
    if (!sourceFileItem_) return;
    // A running item's settings are not changed under its job.
    if (isItemConverting && isItemConverting(sourceFileItem_)) return setSourceFileItem(sourceFileItem_);
    sourceFileItem_->setSettings_outputFormat(pub_outputFormat_->currentText().toStdString());
    sourceFileItem_->setSettings_pageRangeType(std::max(0, mtx_ouputPageRange_->checkedId()));
    sourceFileItem_->setSettings_customPageRange(tf_ouputPageRange_->text().toStdString());
    sourceFileItem_->setSettings_outputFormat_imageType(
        KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat_ImageType, std::string(names::JPEG))
            .value_or(names::JPEG));
    updateUI();
    if (delegate_) delegate_->KXSettingsViewControllerDidUpdateSettings(*this);
}

void KXSettingsViewController::moreSettingsButtonAction() {
    if (!sourceFileItem_ || (isItemConverting && isItemConverting(sourceFileItem_))) return;
    const std::string& format = sourceFileItem_->settings_outputFormat();
    KXPDFConversionSettings* sheet = nullptr;
    if (format == names::Excel || format == names::CSV) sheet = settings_Excel_;
    else if (format == names::Word) sheet = settings_Word_;
    else if (format == names::ImageFamily) sheet = settings_Image_;
    if (!sheet) return;
    openSheet_ = sheet;
    panel_moreSettings_->layout()->addWidget(sheet);
    sheet->show();
    sheet->fillWithValues(sourceFileItem_);
    panel_moreSettings_->adjustSize();
    panel_moreSettings_->open();
}

void KXSettingsViewController::KXPDFConversionSettingsValueUpdated(KXPDFConversionSettings& sheet) {
    if (!sourceFileItem_ || (isItemConverting && isItemConverting(sourceFileItem_))) return;
    KXPDFOptions& options = sourceFileItem_->convertOpts();
    if (&sheet == settings_Excel_) {
        KXExcelOptions& excel = options.excelOptions();
        excel.setExcelFormatOption(settings_Excel_->selectedDataStruct());
        excel.setThousandSepartor(settings_Excel_->selectedThousandSepartor());
        excel.setOverlapText(settings_Excel_->selectedOverlapText());
        excel.setAllInOneSheet(settings_Excel_->isAllInOneSheet());
        excel.setAiosAddToRow(settings_Excel_->isAiosAddToRow());
    } else if (&sheet == settings_Word_) {
        KXWordOptions& word = options.wordOptions();
        word.setIsMergeParagraphs(settings_Word_->docx_btn_mergeParagraph()->isChecked());
        word.setIsTrimmingBlankSpaceCharacters(settings_Word_->docx_btn_trimBlankSpace()->isChecked());
        word.setEnableShapToImage(settings_Word_->docx_btn_enableShapToImage()->isChecked());
        word.setEnableMergeIntersectImages(settings_Word_->docx_btn_enableMergeIntersectImages()->isChecked());
    } else if (&sheet == settings_Image_) {
        sourceFileItem_->setSettings_outputFormat_imageType(settings_Image_->selectedValue_ImageType());
        options.imageOptions().setDpi(settings_Image_->selectedValue_ImageDPI());
        options.imageOptions().setQuality(settings_Image_->selectedValue_ImageQuality());
    } else {
        return;
    }
    settingsButtonPressed();
}

void KXSettingsViewController::KXPDFConversionSettingsButtonDoneAction(KXPDFConversionSettings&) {
    panel_moreSettings_->done(0);
}

void KXSettingsViewController::chooseOutputFolder(const QString& startFolder, std::function<void(bool)> then) {
    KXFilePanels::chooseFolder(window(), localized("Choose a output directory to save documents:"), localized("Choose"),
                               startFolder, [this, then = std::move(then)](const std::optional<QString>& folder) {
                                   if (!folder) return then(false);
                                   KXSandBoxUtilities::stopAccessingUserSelectedOutputURLBookmark();
                                   KXSandBoxUtilities::SaveUserSelectedOutputURLBookmark(folder->toStdString());
                                   showOutputFolder();
                                   KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmark();
                                   then(true);
                               });
}

void KXSettingsViewController::browseOutputDirectry() {
    const auto chosen = KXSandBoxUtilities::UserSelectedOutputURLBookmark();
    chooseOutputFolder(q(chosen.value_or(KXSandBoxUtilities::defaultOutputDirectory())), [](bool) {});
}

void KXSettingsViewController::browseOutputDirectryBeforeConversion() {
    KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmark();
    chooseOutputFolder(QDir::homePath() + "/Documents", [this](bool chosen) {
        if (chosen && delegate_) delegate_->KXSettingsViewControllerDidCreationFirstOutputDirectory(*this);
    });
}

void KXSettingsViewController::creatOutputDirectryAtFirst() {
    // The application's name is the folder proposed.
    KXFilePanels::chooseNewFolder(window(), localized("Choose a output directory to save documents:"),
                                  localized("Choose"), "Output directory:", QDir::homePath() + "/Documents",
                                  "Docuvane", [](const std::optional<QString>& folder) {
                                      if (!folder) return;
                                      KXSandBoxUtilities::stopAccessingUserSelectedOutputURLBookmark();
                                      KXSandBoxUtilities::SaveUserSelectedOutputURLBookmark(
                                          QFileInfo(*folder).absoluteFilePath().toStdString());
                                      KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmark();
                                  });
}

void KXSettingsViewController::revealOutputDirectry() {
    const QString folder = tf_ouputPath_->text();
    if (!folder.isEmpty() && QFileInfo::exists(folder)) KXWorkspace::openFile(folder);
}
