#pragma once
// The settings pane: shows and edits the output settings of the item selected in the list (output
// format, page range, the per-format options through a sheet) and the output folder shared by all
// jobs. While the shown item's own job runs, its settings are covered and cannot be changed.

#include <QWidget>
#include <functional>
#include <memory>

#include "app/gui/KXPDFConversionSettings.h"
#include "app/jobs/KXSourceFileItem.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class KXExcelSettings;
class KXHideView;
class KXImageSettings;
class KXImageViewTap;
class KXSettingsViewController;
class KXWordSettings;

class KXSettingsViewControllerDelegate {
public:
    virtual ~KXSettingsViewControllerDelegate() = default;
    // The shown item's settings changed.
    virtual void KXSettingsViewControllerDidUpdateSettings(KXSettingsViewController&) {}
    // A folder was chosen in a panel shown before a conversion.
    virtual void KXSettingsViewControllerDidCreationFirstOutputDirectory(KXSettingsViewController&) {}
};

class KXSettingsViewController : public QWidget, public KXPDFConversionSettingsDelegate {
    Q_OBJECT

public:
    explicit KXSettingsViewController(QWidget* parent = nullptr);
    ~KXSettingsViewController() override;

    KXSettingsViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(KXSettingsViewControllerDelegate* delegate) { delegate_ = delegate; }

    const std::shared_ptr<KXSourceFileItem>& sourceFileItem() const { return sourceFileItem_; }
    void setSourceFileItem(std::shared_ptr<KXSourceFileItem> item);
    void updateUI();

    // Tells whether an item's job is running now (its settings are then covered).
    std::function<bool(const std::shared_ptr<KXSourceFileItem>&)> isItemConverting;

    // Actions.
    void previewButtonPressed();
    void settingsButtonPressed();
    void moreSettingsButtonAction();
    void browseOutputDirectry();
    void browseOutputDirectryBeforeConversion();
    // A panel naming a new output folder in the Documents folder, the application's name proposed.
    // The folder named is kept as the output folder; it is not made here.
    void creatOutputDirectryAtFirst();
    void revealOutputDirectry();

    void KXPDFConversionSettingsValueUpdated(KXPDFConversionSettings& sheet) override;
    void KXPDFConversionSettingsButtonDoneAction(KXPDFConversionSettings& sheet) override;

    // Controls.
    KXImageViewTap* iv_previewIcon() const { return iv_previewIcon_; }
    QLabel* tf_previewTitle() const { return tf_previewTitle_; }
    QLabel* tf_previewInfo() const { return tf_previewInfo_; }
    QCheckBox* btn_outputApplyToAll() const { return btn_outputApplyToAll_; }
    QComboBox* pub_outputFormat() const { return pub_outputFormat_; }
    QButtonGroup* mtx_ouputPageRange() const { return mtx_ouputPageRange_; }
    QLineEdit* tf_ouputPageRange() const { return tf_ouputPageRange_; }
    // Says that the custom range selects no page of the shown PDF; hidden while it selects some.
    QLabel* tf_ouputPageRangeWrong() const { return tf_ouputPageRangeWrong_; }
    QLineEdit* tf_ouputPath() const { return tf_ouputPath_; }
    QPushButton* btn_moreSettings() const { return btn_moreSettings_; }
    QPushButton* btn_browse() const { return btn_browse_; }
    QPushButton* btn_reveal() const { return btn_reveal_; }
    QDialog* panel_moreSettings() const { return panel_moreSettings_; }
    KXExcelSettings* settings_Excel() const { return settings_Excel_; }
    KXWordSettings* settings_Word() const { return settings_Word_; }
    KXImageSettings* settings_Image() const { return settings_Image_; }
    KXHideView* coverView() const { return coverView_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void selectStoredFormat(bool repair);
    void refreshPreview();
    void chooseOutputFolder(const QString& startFolder, std::function<void(bool chosen)> then);
    void updateCover();
    void updatePageRangeCheck();
    void showOutputFolder();

    KXSettingsViewControllerDelegate* delegate_ = nullptr;
    std::shared_ptr<KXSourceFileItem> sourceFileItem_;
    KXImageViewTap* iv_previewIcon_ = nullptr;
    QLabel* tf_previewTitle_ = nullptr;
    QLabel* tf_previewInfo_ = nullptr;
    QCheckBox* btn_outputApplyToAll_ = nullptr;
    QComboBox* pub_outputFormat_ = nullptr;
    QButtonGroup* mtx_ouputPageRange_ = nullptr;
    QRadioButton* allPagesRow_ = nullptr;
    QRadioButton* customRow_ = nullptr;
    QLineEdit* tf_ouputPageRange_ = nullptr;
    QLabel* tf_ouputPageRangeWrong_ = nullptr;
    QLineEdit* tf_ouputPath_ = nullptr;
    QPushButton* btn_moreSettings_ = nullptr;
    QPushButton* btn_browse_ = nullptr;
    QPushButton* btn_reveal_ = nullptr;
    QDialog* panel_moreSettings_ = nullptr;
    KXExcelSettings* settings_Excel_ = nullptr;
    KXWordSettings* settings_Word_ = nullptr;
    KXImageSettings* settings_Image_ = nullptr;
    KXPDFConversionSettings* openSheet_ = nullptr;
    QWidget* itemSettings_ = nullptr;
    KXHideView* coverView_ = nullptr;
};
