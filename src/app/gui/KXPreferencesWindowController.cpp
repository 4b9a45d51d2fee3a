#include "app/gui/KXPreferencesWindowController.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/gui/KXSegmentedControl.h"
#include "app/jobs/KXImageTables.h"
#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXPreferences.h"

namespace {

QString localized(const char* text) { return QString::fromStdString(kx_sharedLocalized(text)); }

KXPreferencesWindowController*& sharedWindow() {
    static KXPreferencesWindowController* window = nullptr;
    return window;
}

}  // namespace

KXPreferencesWindowController& KXPreferencesWindowController::sharedInstance() {
    if (!sharedWindow()) sharedWindow() = new KXPreferencesWindowController(KXPreferences::sharedInstance());
    return *sharedWindow();
}

void KXPreferencesWindowController::releaseSharedInstance() {
    delete sharedWindow();
    sharedWindow() = nullptr;
}

KXPreferencesWindowController::KXPreferencesWindowController(KXPreferences& preferences, QWidget* parent)
    : QWidget(parent, Qt::Window), preferences_(preferences) {
    setObjectName("KXPreferencesWindowController");
    setWindowTitle(localized("Preferences"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tb_top_ = new QToolBar(this);
    tb_top_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QAction* general = tb_top_->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), localized("General"));
    general->setObjectName("KXToolbarItem_General");
    general->setCheckable(true);
    general->setChecked(true);
    connect(general, &QAction::triggered, this, &KXPreferencesWindowController::toolbarItemGeneralAction);
    layout->addWidget(tb_top_);
    contentView_ = new QWidget(this);
    auto* contentLayout = new QVBoxLayout(contentView_);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(contentView_, 1);

    preView_General_ = new QWidget(contentView_);
    auto* general_ = new QVBoxLayout(preView_General_);
    general_->setContentsMargins(24, 18, 24, 22);
    general_->setSpacing(10);
    btn_openFileAfterConversion_ = new QCheckBox(localized("Open file after conversion"), preView_General_);
    btn_openFileAfterConversion_->setObjectName("btn_openFileAfterConversion");
    btn_parserPDFAnnots_ = new QCheckBox(localized("Convert PDF Markups too"), preView_General_);
    btn_parserPDFAnnots_->setObjectName("btn_parserPDFAnnots");
    tf_imageDPI_ = new QLabel(localized("The DPI of images When export PDF elements"), preView_General_);
    QStringList dpis;
    for (std::int64_t dpi : KXDPITable) dpis << QString::number(dpi);
    seg_image_dpi_ = new KXSegmentedControl(dpis, preView_General_);
    seg_image_dpi_->setObjectName("seg_image_dpi");
    general_->addWidget(btn_openFileAfterConversion_);
    general_->addWidget(btn_parserPDFAnnots_);
    general_->addSpacing(6);
    general_->addWidget(tf_imageDPI_);
    general_->addWidget(seg_image_dpi_);
    general_->addStretch(1);
    contentLayout->addWidget(preView_General_);
    connect(btn_openFileAfterConversion_, &QCheckBox::clicked, this, &KXPreferencesWindowController::openFileAfterConversionAction);
    connect(btn_parserPDFAnnots_, &QCheckBox::clicked, this, &KXPreferencesWindowController::parserPDFAnnotsAction);
    connect(seg_image_dpi_, &KXSegmentedControl::segmentChosen, this, &KXPreferencesWindowController::imageDPIAction);
    loadUpdateSettings();
    setMinimumWidth(480);
}

bool KXPreferencesWindowController::openFileAfterConversion() const { return preferences_.openFileAfterConversion(); }
bool KXPreferencesWindowController::parserPDFAnnots() const { return preferences_.parserPDFAnnots(); }
std::int64_t KXPreferencesWindowController::imageDPI() const { return preferences_.imageDPI(); }

void KXPreferencesWindowController::loadUpdateSettings() {
    btn_openFileAfterConversion_->setChecked(preferences_.openFileAfterConversion());
    btn_parserPDFAnnots_->setChecked(preferences_.parserPDFAnnots());
    preferences_.clampImageDPI();
    seg_image_dpi_->setSelectedSegment(KXImageTables::defaultDPISegment);
    for (int i = 0; i < seg_image_dpi_->segmentCount(); ++i)
        if (KXImageTables::imageDPIForSegment(i) == preferences_.imageDPI()) seg_image_dpi_->setSelectedSegment(i);
}

void KXPreferencesWindowController::showWindow() {
    if (!visible_) {
        show();
        raise();
        activateWindow();
        visible_ = true;
    } else {
        close();
        visible_ = false;
    }
}

void KXPreferencesWindowController::closeEvent(QCloseEvent* event) {
    visible_ = false;
    event->accept();
}

void KXPreferencesWindowController::openFileAfterConversionAction() {
    preferences_.setOpenFileAfterConversion(btn_openFileAfterConversion_->isChecked());
}

void KXPreferencesWindowController::parserPDFAnnotsAction() {
    preferences_.setParserPDFAnnots(btn_parserPDFAnnots_->isChecked());
}

void KXPreferencesWindowController::imageDPIAction() {
    preferences_.setImageDPI(KXImageTables::imageDPIForSegment(seg_image_dpi_->selectedSegment()));
}

void KXPreferencesWindowController::toolbarItemGeneralAction() { showView(preView_General_); }

// One view at a time: every view is hidden, the window takes the view's size in an animation of 0.15 s,
// keeping its top edge and its horizontal centre, and the view shows when the animation ends.
void KXPreferencesWindowController::showView(QWidget* view) {
    if (viewAnimation_) viewAnimation_->setCurrentTime(viewAnimation_->duration());
    for (QWidget* child : contentView_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) child->hide();
    const QSize viewSize = view->sizeHint().expandedTo(view->minimumSizeHint());
    const QRect from = geometry();
    const QSize around(width() - contentView_->width(), height() - contentView_->height());
    const QSize size(std::max(minimumWidth(), viewSize.width() + around.width()), viewSize.height() + around.height());
    const QRect to(from.x() + (from.width() - size.width()) / 2, from.y(), size.width(), size.height());
    auto* animation = new QPropertyAnimation(this, "geometry", this);
    animation->setObjectName("showViewAnimation");
    animation->setDuration(150);
    animation->setStartValue(from);
    animation->setEndValue(to);
    connect(animation, &QPropertyAnimation::finished, view, [view] { view->show(); });
    viewAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
