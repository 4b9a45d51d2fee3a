#include "app/gui/KXAppDelegate.h"

#include <pwd.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/gui/KXAboutWindowController.h"
#include "app/gui/KXAppearance.h"
#include "app/gui/KXColorView.h"
#include "app/gui/KXImageButton.h"
#include "app/gui/KXMainWindow.h"
#include "app/gui/KXNamedImages.h"
#include "app/gui/KXPreferencesWindowController.h"
#include "app/gui/KXWorkspace.h"
#include "app/jobs/KXCUtilities.h"
#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXPreferences.h"
#include "app/jobs/KXSandBoxUtilities.h"
#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"
#include "app/jobs/KXSystemInformation.h"
#include "platform/Resources.h"

namespace {

KXAppDelegate*& sharedDelegate() {
    static KXAppDelegate* delegate = nullptr;
    return delegate;
}

QString localized(const char* text) { return QString::fromStdString(kx_sharedLocalized(text)); }

constexpr int kSettingsWidth = 330;
constexpr int kLeftMinimumWidth = 540;
constexpr int kPaneAnimationMilliseconds = 200;

}  // namespace

KXAppDelegate* KXAppDelegate::sharedInstance() { return sharedDelegate(); }

KXAppDelegate::KXAppDelegate() {
    window_ = new KXMainWindow();
    window_->setObjectName("KXMainWindow");
    window_->setWindowTitle("Docuvane");
    window_->setWindowIcon(KXNamedImages::icon("docuvane"));

    auto* central = new QWidget(window_);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    leftView_ = new QWidget(central);
    leftView_->setObjectName("leftView");
    leftView_->setMinimumWidth(kLeftMinimumWidth);
    auto* left = new QVBoxLayout(leftView_);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    sourceFileViewController_ = new KXSourceFileViewController(leftView_);
    sourceFileViewController_->setDelegate(this);
    sourceFileViewController_->isConverting = [this] { return docuvaneManager_ && docuvaneManager_->isConverting(); };
    left->addWidget(sourceFileViewController_, 1);
    box_Hline_ = new QFrame(leftView_);
    box_Hline_->setObjectName("box_Hline");
    box_Hline_->setFrameShape(QFrame::HLine);
    box_Hline_->setFrameShadow(QFrame::Sunken);
    left->addWidget(box_Hline_);

    // The bar under the list: adding and removing files, and the Convert button.
    auto* bar = bottomBar_ = new KXColorView(leftView_);
    bar->setObjectName("bottomBar");
    bar->setFixedHeight(64);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(14, 10, 14, 10);
    auto* add = new QPushButton(localized("Add Files…"), bar);
    add->setObjectName("btn_addFiles");
    connect(add, &QPushButton::clicked, sourceFileViewController_, &KXSourceFileViewController::sourceFileBrowse);
    auto* remove = new QPushButton(localized("Remove"), bar);
    remove->setObjectName("btn_removeFiles");
    connect(remove, &QPushButton::clicked, sourceFileViewController_,
            &KXSourceFileViewController::sourceFileRemoveItemFromQueue);
    barLayout->addWidget(add);
    barLayout->addWidget(remove);
    // The feedback alert, when the application was built with somewhere to send feedback.
    auto* help = new QPushButton("?", bar);
    help->setObjectName("btn_help");
    help->setToolTip(localized("Technical Support"));
    help->setFixedWidth(help->sizeHint().height());
    help->setVisible(!supportMailAddress().isEmpty() || !reviewPageAddress().isEmpty());
    connect(help, &QPushButton::clicked, sourceFileViewController_, &KXSourceFileViewController::showHelpAction);
    barLayout->addWidget(help);
    barLayout->addStretch(1);
    btn_convert_ = new KXImageButton(bar);
    btn_convert_->setObjectName("btn_convert");
    btn_convert_->setFixedSize(180, 40);
    btn_convert_->setScalesImageToBounds(true);
    connect(btn_convert_, &KXImageButton::clicked, this, &KXAppDelegate::startOrStopConversion);
    barLayout->addWidget(btn_convert_);
    left->addWidget(bar);
    columns->addWidget(leftView_, 1);

    paneLine_ = new QFrame(central);
    paneLine_->setFrameShape(QFrame::VLine);
    paneLine_->setFrameShadow(QFrame::Sunken);
    columns->addWidget(paneLine_);
    rightView_ = new QWidget(central);
    rightView_->setObjectName("rightView");
    rightView_->setFixedWidth(kSettingsWidth);
    auto* right = new QVBoxLayout(rightView_);
    right->setContentsMargins(0, 0, 0, 0);
    settingsViewController_ = new KXSettingsViewController(rightView_);
    settingsViewController_->setDelegate(this);
    settingsViewController_->isItemConverting = [this](const std::shared_ptr<KXSourceFileItem>& item) {
        return docuvaneManager_ && docuvaneManager_->isConvertingItem(item);
    };
    right->addWidget(settingsViewController_);
    columns->addWidget(rightView_);

    window_->setCentralWidget(central);
    window_->resize(kLeftMinimumWidth + 130 + kSettingsWidth, 640);
    connect(sourceFileViewController_, &KXSourceFileViewController::itemCountChanged, this,
            &KXAppDelegate::updateWindowTitle);
    buildMenus();
    setButtonState(false);
    applyAppearance();
    connect(window_, &KXMainWindow::appearanceChanged, this, &KXAppDelegate::applyAppearance);
}

void KXAppDelegate::applyAppearance() {
    const bool dark = KXAppearance::isDarkMode(window_);
    bottomBar_->setStartingColor(dark ? QColor(0x3a, 0x3c, 0x41) : QColor::fromRgbF(0.95f, 0.95f, 0.95f));
    bottomBar_->setEndingColor(dark ? QColor(0x2e, 0x30, 0x34) : QColor::fromRgbF(0.86f, 0.86f, 0.86f));
}

KXAppDelegate::~KXAppDelegate() {
    if (sharedDelegate() == this) sharedDelegate() = nullptr;
    // The engine cancels a running job and waits for its worker.
    if (docuvaneManager_) docuvaneManager_->setDelegate(nullptr);
    docuvaneManager_.reset();
    sourceFileViewController_->setDelegate(nullptr);
    settingsViewController_->setDelegate(nullptr);
    delete window_;
}

void KXAppDelegate::buildMenus() {
    QMenuBar* menus = window_->menuBar();
    QMenu* file = menus->addMenu(localized("&File"));
    file->addAction(localized("Add Files…"), QKeySequence::Open, sourceFileViewController_,
                    &KXSourceFileViewController::sourceFileBrowse);
    file->addAction(localized("Convert"), QKeySequence(Qt::CTRL | Qt::Key_Return), this,
                    &KXAppDelegate::startOrStopConversion);
    file->addSeparator();
    file->addAction(localized("Show in File Manager"), sourceFileViewController_,
                    &KXSourceFileViewController::sourceFileRevealInFinder);
    file->addAction(localized("Show Output in File Manager"), sourceFileViewController_,
                    &KXSourceFileViewController::outputFileRevealInFinder);
    file->addSeparator();
    file->addAction(localized("Remove"), QKeySequence::Delete, sourceFileViewController_,
                    &KXSourceFileViewController::sourceFileRemoveItemFromQueue);
    file->addAction(localized("Remove All"), sourceFileViewController_,
                    &KXSourceFileViewController::sourceFileRemoveAllFromQueue);
    file->addSeparator();
    file->addAction(localized("Quit"), QKeySequence::Quit, window_, &QWidget::close);
    QMenu* edit = menus->addMenu(localized("&Edit"));
    edit->addAction(localized("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), this, &KXAppDelegate::showPreferences);
    QMenu* view = menus->addMenu(localized("&View"));
    settingsToggle_ = view->addAction(localized("Show Settings"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), this,
                                      &KXAppDelegate::showOrHidenSettingView);
    settingsToggle_->setCheckable(true);
    settingsToggle_->setChecked(true);
    QMenu* help = menus->addMenu(localized("&Help"));
    QAction* sample = help->addAction(localized("Add the Sample PDF"), this, &KXAppDelegate::support_copySampleFiles);
    sample->setObjectName("support_copySampleFiles");
    sample->setEnabled(kx::resourcePath("Getting Started", "pdf").has_value());
    if (!supportMailAddress().isEmpty())
        help->addAction(localized("Technical Support…"), this, &KXAppDelegate::support_TechnicalSupport)
            ->setObjectName("support_TechnicalSupport");
    if (!reviewPageAddress().isEmpty())
        help->addAction(localized("Write a Review…"), this, &KXAppDelegate::support_openInAppStore)
            ->setObjectName("support_openInAppStore");
    help->addSeparator();
    help->addAction(localized("About Docuvane"), this, &KXAppDelegate::showAbout);
}

void KXAppDelegate::applicationDidFinishLaunching() {
    sharedDelegate() = this;
    docuvaneManager_ = std::make_unique<KXDocuvaneManager>();
    docuvaneManager_->setDelegate(this);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    connect(window_, &KXMainWindow::closed, this, [this] {
        if (applicationShouldTerminateAfterLastWindowClosed()) QCoreApplication::quit();
    });
    if (KXCUtilities::boolValueForKey(setttings_isHiddenSettings, false)) hidenSettingView();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void KXAppDelegate::applicationOpenFiles(const QStringList& paths) {
    if (!paths.isEmpty()) sourceFileViewController_->addFilesToCheckQueue(paths);
}

void KXAppDelegate::updateWindowTitle(int count) {
    window_->setWindowTitle(count > 0 ? QString("Docuvane (%1)").arg(count) : QString("Docuvane"));
}

void KXAppDelegate::setButtonState(bool cancel) {
    showingCancel_ = cancel;
    const char* look = cancel ? "btn-cancel" : "btn-convert";
    const QSize size = btn_convert_->size();
    const qreal ratio = btn_convert_->devicePixelRatioF();
    btn_convert_->setButtonTitle(localized(cancel ? "Cancel" : "Convert"));
    btn_convert_->setButtonTitleLeftMargin(20.0);
    btn_convert_->setNormalImage(KXNamedImages::image(look, size, ratio));
    btn_convert_->setMouseDownImage(KXNamedImages::image(std::string(look) + "-down", size, ratio));
    btn_convert_->setMouseInImage(KXNamedImages::image(std::string(look) + "-hover", size, ratio));
    btn_convert_->update();
}

void KXAppDelegate::startOrStopConversion() {
    if (sourceFileViewController_->ma_sourceItems().empty()) return sourceFileViewController_->sourceFileBrowse();
    if (KXSandBoxUtilities::isReadAndWritableUserSelectedOutputURLBookmark()) return startOrStopConversionGo();
    // A folder first; once it is chosen, the pane's delegate call goes on as this press would have.
    settingsViewController_->browseOutputDirectryBeforeConversion();
}

void KXAppDelegate::startOrStopConversionGo() {
    if (!docuvaneManager_) return;
    if (!sourceFileViewController_->ma_sourceItems().empty() && !docuvaneManager_->isConverting()) {
        doStartConversion();
        return;
    }
    docuvaneManager_->stopConversion();
    setButtonState(false);
    settingsViewController_->updateUI();
}

void KXAppDelegate::doStartConversion() {
    docuvaneManager_->setMa_sourceItems(sourceFileViewController_->ma_sourceItems());
    docuvaneManager_->startConversion();
    // An empty batch has ended already.
    setButtonState(docuvaneManager_->isConverting());
}

// ---- Job events ----

double KXAppDelegate::pageProgress(std::uint64_t finished, std::size_t pageCount) {
    if (pageCount == 0) return double(0.1f);
    const float share = static_cast<float>(finished) * 100.0f / static_cast<float>(pageCount);
    return std::max(static_cast<double>(0.1f), static_cast<double>(share) * 0.85);
}

void KXAppDelegate::KXDocuvaneManagerWillStartConversion(KXDocuvaneManager&) {
    sourceFileViewController_->resetBeforeConversion();
}

void KXAppDelegate::didStartConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item, const KXError*) {
    sourceFileViewController_->selectTableRowWithItem(item);
    sourceFileViewController_->updateConversion(item, 1.0);
    settingsViewController_->updateUI();
}

void KXAppDelegate::didConversion(KXDocuvaneManager& manager, const std::shared_ptr<KXSourceFileItem>& item,
                                  std::uint64_t, std::uint64_t, std::uint64_t finshedWordPageCount) {
    // Measured against the pages the job started with.
    sourceFileViewController_->updateConversion(item, pageProgress(finshedWordPageCount, manager.currentConvertPageCount()));
}

void KXAppDelegate::didConversionWillSaveDoc(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item) {
    sourceFileViewController_->updateConversion(item, 90.0);
}

void KXAppDelegate::didEndConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>& item,
                                     const KXError* error) {
    sourceFileViewController_->updateConversion(item, 100.0);
    settingsViewController_->updateUI();
    // The error is not looked at: a failed or cancelled job wrote nothing, so its open fails and
    // the file manager, asked to show a path where nothing stands, shows nothing.
    (void)error;
    if (!item || !KXPreferences::sharedInstance().openFileAfterConversion()) return;
    const QString output = QString::fromStdString(item->outputPath());
    if (!KXWorkspace::openFile(output)) KXWorkspace::selectFile(output);
}

void KXAppDelegate::KXDocuvaneManagerDidEndConversion(KXDocuvaneManager&) {
    sourceFileViewController_->updateConversion(nullptr, 0.0);
    setButtonState(false);
    settingsViewController_->updateUI();
    window_->raise();
}

void KXAppDelegate::KXSourceFileViewControllerDidUpdateSelection(KXSourceFileViewController& list) {
    settingsViewController_->setSourceFileItem(list.selectedItem());
}

void KXAppDelegate::KXSourceFileViewControllerWillRemoveItems(KXSourceFileViewController&,
                                                             const KXSourceFileViewController::Items& items) {
    if (docuvaneManager_) docuvaneManager_->cancelConvertItems(items);
}

void KXAppDelegate::KXSettingsViewControllerDidUpdateSettings(KXSettingsViewController& pane) {
    if (pane.btn_outputApplyToAll()->isChecked() && pane.sourceFileItem())
        sourceFileViewController_->applyFormatToAllData(pane.sourceFileItem()->settings_outputFormat(),
                                                        pane.sourceFileItem()->settings_outputFormat_imageType());
    sourceFileViewController_->reloadTableView();
}

void KXAppDelegate::KXSettingsViewControllerDidCreationFirstOutputDirectory(KXSettingsViewController&) {
    startOrStopConversionGo();
}

// ---- The settings pane ----

// At start: the window takes its minimum width, without animation.
void KXAppDelegate::hidenSettingView() {
    rightView_->hide();
    paneLine_->hide();
    window_->resize(kLeftMinimumWidth, window_->height());
    settingsToggle_->setChecked(false);
}

// The window grows or shrinks by the pane's width in an animation; the list keeps its width. Shown,
// the pane stands at the window's right edge at once and the list narrows by the pane's width, then
// widens again as the window grows; hidden, the pane goes at once and the window shrinks to the list.
void KXAppDelegate::showOrHidenSettingView() {
    // A toggle during the last one's animation starts from where that one ends.
    if (paneAnimation_) paneAnimation_->setCurrentTime(paneAnimation_->duration());
    const int pane = kSettingsWidth + paneLine_->sizeHint().width();
    const QSize from = window_->size();
    QSize to = from;
    if (rightView_->isHidden()) {
        to.setWidth(std::min(leftView_->width() + pane, window_->maximumWidth()));
        leftView_->setMinimumWidth(std::max(0, leftView_->width() - pane));
        paneLine_->show();
        rightView_->show();
        settingsToggle_->setChecked(true);
    } else {
        to.setWidth(std::max(leftView_->width(), kLeftMinimumWidth));
        rightView_->hide();
        paneLine_->hide();
        settingsToggle_->setChecked(false);
    }
    auto* animation = new QPropertyAnimation(window_, "size", window_);
    animation->setObjectName("settingsViewAnimation");
    animation->setDuration(kPaneAnimationMilliseconds);
    animation->setStartValue(from);
    animation->setEndValue(to);
    connect(animation, &QPropertyAnimation::finished, leftView_, [list = leftView_] { list->setMinimumWidth(kLeftMinimumWidth); });
    paneAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setBool(setttings_isHiddenSettings, rightView_->isHidden());
    store.synchronize();
}

void KXAppDelegate::showPreferences() { KXPreferencesWindowController::sharedInstance().showWindow(); }

void KXAppDelegate::showAbout() { KXAboutWindowController::sharedInstance().showWindow(); }

void KXAppDelegate::support_copySampleFiles() {
    if (auto sample = kx::resourcePath("Getting Started", "pdf"))
        sourceFileViewController_->addFilesToCheckQueue({QString::fromStdString(*sample)});
}

// ---- Support ----

namespace {

std::optional<QString>& mailOverride() {
    static std::optional<QString> mail;
    return mail;
}

std::optional<QString>& reviewOverride() {
    static std::optional<QString> review;
    return review;
}

// The user's full name from the account database, else the login name.
QString fullUserName() {
    const passwd* account = ::getpwuid(::getuid());
    if (!account) return qEnvironmentVariable("USER");
    const QString name = QString::fromLocal8Bit(account->pw_gecos ? account->pw_gecos : "").section(',', 0, 0).trimmed();
    return name.isEmpty() ? QString::fromLocal8Bit(account->pw_name) : name;
}

}  // namespace

QString KXAppDelegate::supportMailAddress() { return mailOverride().value_or(QString(KX_SUPPORT_MAIL)); }

QString KXAppDelegate::reviewPageAddress() { return reviewOverride().value_or(QString(KX_REVIEW_PAGE)); }

void KXAppDelegate::setSupportAddresses(std::optional<QString> mail, std::optional<QString> reviewPage) {
    mailOverride() = std::move(mail);
    reviewOverride() = std::move(reviewPage);
}

QUrl KXAppDelegate::technicalSupportMail() {
    const QString subject = QString("Docuvane") + QString(" - %1: %2").arg(KX_VERSION, "Technical Support");
    const QLocale locale = QLocale::system();
    QString body = "\n \n \n \n \nMy Device Short Info:\n ";
    body += QString("User Name:%1\n ").arg(fullUserName());
    body += QString("Devie Model:%1\n ").arg(QString::fromStdString(KXHardwareModelString()));
    body += QString("System Version:%1\n ").arg(QString::fromStdString(KXSystemVersionString()));
    body += QString("Country:%1\n ").arg(QLocale::territoryToCode(locale.territory()));
    body += QString("Language:%1\n ").arg(QLocale::languageToCode(locale.language()));
    // Each part escaped whole, so that an "&" or "=" of the text cannot end it.
    const QByteArray address = "mailto:" + QUrl::toPercentEncoding(supportMailAddress(), "@") + "?" +
                               "SUBJECT=" + QUrl::toPercentEncoding(subject) + "&" +
                               "BODY=" + QUrl::toPercentEncoding(body);
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

void KXAppDelegate::support_TechnicalSupport() {
    if (!supportMailAddress().isEmpty()) KXWorkspace::openURL(technicalSupportMail());
}

void KXAppDelegate::support_openInAppStore() {
    if (!reviewPageAddress().isEmpty()) KXWorkspace::openURL(QUrl(reviewPageAddress()));
}
