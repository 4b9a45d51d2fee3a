#pragma once
// The application: owns the main window with the source list on the left and the settings pane on
// the right, the Convert/Cancel button and the job manager. It starts and stops batches, turns job
// events into row progress, opens results, and shows or hides the settings pane (remembered between
// runs).

#include <QObject>
#include <QPointer>
#include <QPropertyAnimation>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <optional>

#include "app/gui/KXSettingsViewController.h"
#include "app/gui/KXSourceFileViewController.h"
#include "app/jobs/KXDocuvaneManager.h"

class QAction;
class QFrame;
class QWidget;
class KXColorView;
class KXImageButton;
class KXMainWindow;

class KXAppDelegate : public QObject,
                      public KXDocuvaneManagerDelegate,
                      public KXSourceFileViewControllerDelegate,
                      public KXSettingsViewControllerDelegate {
    Q_OBJECT

public:
    // The application's delegate once launching has finished (nullptr before and after).
    static KXAppDelegate* sharedInstance();

    // Lays the window out (not shown yet).
    KXAppDelegate();
    // A running job is cancelled and its worker waited for before this returns.
    ~KXAppDelegate() override;

    // Creates the job manager, restores the settings pane's visibility and shows the window. From then
    // on, closing the window ends the application when applicationShouldTerminateAfterLastWindowClosed
    // says so.
    void applicationDidFinishLaunching();
    // Always: closing the window ends the application, unconverted files in the list or not. Where the
    // desktop has no dock, an application left running without its window has nothing on the screen
    // that shows it or quits it.
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }
    // Files and folders opened with the application.
    void applicationOpenFiles(const QStringList& paths);

    // Convert pressed: the open panel for an empty list, a folder panel when there is no usable
    // output folder yet, else start or stop.
    void startOrStopConversion();
    void startOrStopConversionGo();
    // Shows or hides the settings pane, the window's width animated; remembered for the next start.
    void showOrHidenSettingView();
    // Hides the pane at start, not animated.
    void hidenSettingView();
    // The animation of the last show or hide while it runs (nullptr once it has ended).
    QPropertyAnimation* settingsViewAnimation() const { return paneAnimation_; }
    void showPreferences();
    void showAbout();
    // Adds the sample document that ships with the application ("Getting Started.pdf") to the list.
    void support_copySampleFiles();
    // A new e-mail to the support address, its body telling the machine, the system and the locale.
    void support_TechnicalSupport();
    // The page where the application is reviewed.
    void support_openInAppStore();

    // The support mail address and the review page the application was built with (the build options
    // KX_SUPPORT_MAIL and KX_REVIEW_PAGE); empty when it was built without.
    static QString supportMailAddress();
    static QString reviewPageAddress();
    // Replaces both (the tests); nullopt goes back to those of the build.
    static void setSupportAddresses(std::optional<QString> mail, std::optional<QString> reviewPage);
    // The address support_TechnicalSupport opens: "mailto:" with the subject and the body.
    static QUrl technicalSupportMail();

    KXMainWindow* window() const { return window_; }
    QWidget* leftView() const { return leftView_; }
    QWidget* rightView() const { return rightView_; }
    QFrame* box_Hline() const { return box_Hline_; }
    KXSourceFileViewController* sourceFileViewController() const { return sourceFileViewController_; }
    KXSettingsViewController* settingsViewController() const { return settingsViewController_; }
    KXImageButton* btn_convert() const { return btn_convert_; }
    KXDocuvaneManager* docuvaneManager() const { return docuvaneManager_.get(); }
    // Whether the button shows Cancel.
    bool isShowingCancel() const { return showingCancel_; }

    // KXDocuvaneManagerDelegate
    void KXDocuvaneManagerWillStartConversion(KXDocuvaneManager& manager) override;
    void KXDocuvaneManagerDidEndConversion(KXDocuvaneManager& manager) override;
    void didStartConversion(KXDocuvaneManager& manager, const std::shared_ptr<KXSourceFileItem>& item,
                            const KXError* error) override;
    void didEndConversion(KXDocuvaneManager& manager, const std::shared_ptr<KXSourceFileItem>& item,
                          const KXError* error) override;
    void didConversion(KXDocuvaneManager& manager, const std::shared_ptr<KXSourceFileItem>& item,
                       std::uint64_t pdfPageIndex, std::uint64_t writeWordPageIndex,
                       std::uint64_t finshedWordPageCount) override;
    void didConversionWillSaveDoc(KXDocuvaneManager& manager, const std::shared_ptr<KXSourceFileItem>& item) override;

    // KXSourceFileViewControllerDelegate
    void KXSourceFileViewControllerDidUpdateSelection(KXSourceFileViewController& list) override;
    void KXSourceFileViewControllerWillRemoveItems(KXSourceFileViewController& list,
                                                   const KXSourceFileViewController::Items& items) override;
    // KXSettingsViewControllerDelegate
    void KXSettingsViewControllerDidUpdateSettings(KXSettingsViewController& pane) override;
    void KXSettingsViewControllerDidCreationFirstOutputDirectory(KXSettingsViewController& pane) override;

    // The progress of a job of `pageCount` pages after a page, `finished` pages having been converted
    // before it.
    static double pageProgress(std::uint64_t finished, std::size_t pageCount);

private:
    void doStartConversion();
    void setButtonState(bool cancel);
    void updateWindowTitle(int count);
    void buildMenus();
    // The colours of what is drawn with fixed colours, for the light or the dark appearance.
    void applyAppearance();

    KXMainWindow* window_ = nullptr;
    QWidget* leftView_ = nullptr;
    QWidget* rightView_ = nullptr;
    QFrame* paneLine_ = nullptr;
    KXColorView* bottomBar_ = nullptr;
    QFrame* box_Hline_ = nullptr;
    KXSourceFileViewController* sourceFileViewController_ = nullptr;
    KXSettingsViewController* settingsViewController_ = nullptr;
    KXImageButton* btn_convert_ = nullptr;
    QAction* settingsToggle_ = nullptr;
    std::unique_ptr<KXDocuvaneManager> docuvaneManager_;
    QPointer<QPropertyAnimation> paneAnimation_;
    bool showingCancel_ = false;
};
