#pragma once
// The preferences window: the three settings that apply to every job (open the result after a
// conversion, convert the PDF's markups too, the resolution of images of PDF elements). It shows and
// changes the values kept by KXPreferences, which writes each change to the settings store.

#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

class QCheckBox;
class QLabel;
class QToolBar;
class KXSegmentedControl;
class KXPreferences;

class KXPreferencesWindowController : public QWidget {
    Q_OBJECT

public:
    // The one window of the process, made at first use; releaseSharedInstance() destroys it before
    // the application ends.
    static KXPreferencesWindowController& sharedInstance();
    static void releaseSharedInstance();

    explicit KXPreferencesWindowController(KXPreferences& preferences, QWidget* parent = nullptr);

    bool openFileAfterConversion() const;
    bool parserPDFAnnots() const;
    std::int64_t imageDPI() const;

    // Shows the window when it is hidden, closes it when it is shown.
    void showWindow();
    bool visible() const { return visible_; }

    // Puts the values into the controls; the resolution is first brought into 36..1200 (not stored).
    void loadUpdateSettings();
    // Actions of the controls.
    void openFileAfterConversionAction();
    void parserPDFAnnotsAction();
    void imageDPIAction();
    void toolbarItemGeneralAction();

    QCheckBox* btn_openFileAfterConversion() const { return btn_openFileAfterConversion_; }
    QCheckBox* btn_parserPDFAnnots() const { return btn_parserPDFAnnots_; }
    KXSegmentedControl* seg_image_dpi() const { return seg_image_dpi_; }
    QWidget* preView_General() const { return preView_General_; }
    // The animation of the last view switch while it runs (nullptr once it has ended).
    QPropertyAnimation* showViewAnimation() const { return viewAnimation_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showView(QWidget* view);

    KXPreferences& preferences_;
    QToolBar* tb_top_ = nullptr;
    QWidget* contentView_ = nullptr;
    QWidget* preView_General_ = nullptr;
    bool visible_ = false;
    QCheckBox* btn_openFileAfterConversion_ = nullptr;
    QCheckBox* btn_parserPDFAnnots_ = nullptr;
    QLabel* tf_imageDPI_ = nullptr;
    KXSegmentedControl* seg_image_dpi_ = nullptr;
    QPointer<QPropertyAnimation> viewAnimation_;
};
