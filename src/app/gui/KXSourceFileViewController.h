#pragma once
// The source-file list: the PDFs waiting for conversion, one source item per row. It adds files
// from the open panel, from drops on the list and from the application (files opened with it), checks
// each new file before it enters the list (not a PDF: the unsupported sheet; locked or not printable:
// the password sheet), removes rows, reorders them by dragging, reports the selection and shows each
// job's progress in its row.
//
// Adding is a small state machine: a request (the files of one panel, drop or open) is checked file
// by file, waiting at a sheet where one is needed, and its checked files are inserted together. A
// request that comes while another is being checked waits for its turn.

#include <QStringList>
#include <QWidget>
#include <deque>
#include <memory>
#include <vector>

#include "app/gui/KXDragDropView.h"
#include "app/jobs/KXSourceFileItem.h"

class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QMenu;
class QMimeData;
class QTimer;
class KXSourceFileViewController;
class KXSourceTableCellView;
class KXSourceTableView;

namespace kx::detail {
class SourceListModel;
}

class KXSourceFileViewControllerDelegate {
public:
    virtual ~KXSourceFileViewControllerDelegate() = default;
    virtual void KXSourceFileViewControllerDidUpdateSelection(KXSourceFileViewController&) {}
    // Items are about to be taken out of the list.
    virtual void KXSourceFileViewControllerWillRemoveItems(KXSourceFileViewController&,
                                                           const std::vector<std::shared_ptr<KXSourceFileItem>>&) {}
};

class KXSourceFileViewController : public QWidget, public KXDragDropViewDelegate {
    Q_OBJECT

public:
    using Items = std::vector<std::shared_ptr<KXSourceFileItem>>;

    // The drag type of rows moved inside the list; its data is the list of the dragged rows.
    static constexpr const char* movedRowsType = "MOVED_ROWS_TYPE";

    explicit KXSourceFileViewController(QWidget* parent = nullptr);
    ~KXSourceFileViewController() override;

    KXSourceFileViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(KXSourceFileViewControllerDelegate* delegate) { delegate_ = delegate; }

    // The list, in row order.
    const Items& ma_sourceItems() const { return ma_sourceItems_; }
    // The items of the selected rows in row order, and the last of them (nullptr when none).
    Items selectedItems() const;
    std::shared_ptr<KXSourceFileItem> selectedItem() const;

    // Adds files and folders opened with the application (a folder adds the files directly in it).
    void addFilesToCheckQueue(const QStringList& paths);
    // Shows the open panel; the chosen files are checked and added.
    void sourceFileBrowse();
    // The drop of the table: moved rows, or files (each file one item, folders not expanded).
    bool acceptDrop(const QMimeData* data, int row);
    // The drag data of rows.
    QMimeData* mimeDataForRows(const std::vector<int>& rows) const;
    // Whether a check or a sheet is in progress, or requests wait.
    bool isAddingFiles() const;

    // Fills every row again from its item and keeps the selected item selected.
    void reloadTableView();
    // Sets the output format and image type of every item.
    void applyFormatToAllData(const std::string& format, const std::string& imageType);
    // Every row drops its output path: the rows read Ready.
    void resetBeforeConversion();
    // Selects the item's row alone (nothing when it is not in the list).
    void selectTableRowWithItem(const std::shared_ptr<KXSourceFileItem>& item);
    // Shows the percentage in the running item's row (only while a batch runs); nullptr: no row
    // shows progress.
    void updateConversion(const std::shared_ptr<KXSourceFileItem>& item, double progress);
    // The row that shows progress (nullptr when none) and its value.
    const std::shared_ptr<KXSourceFileItem>& progressItem() const { return progressItem_; }
    double progressValue() const { return progressValue_; }

    // Actions of the window's menus and the rows' context menu.
    void sourceFileRemoveItemFromQueue();
    void sourceFileRemoveItemFromQueue_Clicked();
    void sourceFileRemoveAllFromQueue();
    void sourceFileRevealInFinder();
    void sourceFileRevealInFinder_Clicked();
    void outputFileRevealInFinder();
    void outputFileClickedRevealInFinder_Clicked();
    void removeItemsFromTable(const Items& items);

    // The sheets.
    void finishInputPassword();
    void cancelInputPassword();
    void discardUnsupportedFile();
    void openCheckSourceItem();
    // The feedback alert: "Technical Support", with a button for each support address the
    // application was built with.
    void showHelpAction();
    QDialog* win_unsupported() const { return win_unsupported_; }
    QDialog* win_inputPassword() const { return win_inputPassword_; }
    QLineEdit* tf_inputPassword_inputPassowrd() const { return tf_inputPassword_inputPassowrd_; }
    QLabel* tf_inputPassword_passwordInfo() const { return tf_inputPassword_passwordInfo_; }
    QLabel* tf_unsupported_sourceTitle() const { return tf_unsupported_sourceTitle_; }
    // The names of the files when the unsupported sheet shows several.
    QListWidget* lv_unsupported_files() const { return lv_unsupported_files_; }
    const std::shared_ptr<KXSourceFileItem>& readyToCheckItem() const { return readyToCheckItem_; }

    KXSourceTableView* tv_sourceFileList() const { return tv_sourceFileList_; }
    KXSourceTableCellView* cellView() const { return cellView_; }
    QWidget* nv_emptyMsg() const { return nv_emptyMsg_; }
    // The item of the row the context menu was opened on (nullptr when none).
    std::shared_ptr<KXSourceFileItem> clickedItem() const;

    // Files dropped on the empty list's message.
    void KXDragDropViewOpenFiles(KXDragDropView& view, const QStringList& paths) override;

    // Tells whether the application's job manager runs a batch (progress is shown only then).
    std::function<bool()> isConverting;

signals:
    void itemCountChanged(int count);
    // A percentage reached the running item's row.
    void progressUpdated(double percent);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct AddRequest {
        Items items;
        int row = -1;  // -1: at the end of the list as it is when the request's turn comes
    };

    void enqueue(AddRequest request);
    void startNextRequest();
    void continueCheckPDFPassword();
    void showUnsupportedSheet(const Items& items);
    void dropUnsupportedItems();
    static void fitSheetToItsTexts(QDialog* sheet);
    void showPasswordSheet(const std::shared_ptr<KXSourceFileItem>& item);
    void sheetEnded();
    void addSourceItemsToTable(const Items& items, int row);
    void moveRows(const std::vector<int>& rows, int row);
    void reloadKeepingSelection(const Items& selected);
    void updateEmptyMessage();
    void reportSelectionIfChanged();
    void buildSheets();
    void showContextMenu(int row, const QPoint& globalPosition);

    KXSourceFileViewControllerDelegate* delegate_ = nullptr;
    Items ma_sourceItems_;
    kx::detail::SourceListModel* model_ = nullptr;
    KXSourceTableView* tv_sourceFileList_ = nullptr;
    KXSourceTableCellView* cellView_ = nullptr;
    KXDragDropView* nv_emptyMsg_ = nullptr;
    QLabel* emptyTitle_ = nullptr;
    QLabel* emptyHint_ = nullptr;
    // The empty message's colours for the light or the dark appearance.
    void applyAppearance();
    QMenu* contextMenu_ = nullptr;

    // Adding.
    std::deque<AddRequest> pendingRequests_;
    int readyToAddIndex_ = 0;
    Items ma_readyToAddSourceItems_;
    Items ma_checkedSourceItems_;
    std::shared_ptr<KXSourceFileItem> readyToCheckItem_;
    bool sheetOpen_ = false;
    bool sheetHandled_ = false;
    bool checkScheduled_ = false;
    QDialog* win_unsupported_ = nullptr;
    QLabel* btn_unsupported_sourceIcon_ = nullptr;
    QLabel* tf_unsupported_sourceTitle_ = nullptr;
    QLabel* tf_unsupported_sourceInfo_ = nullptr;
    QLabel* tf_unsupported_message_ = nullptr;
    QListWidget* lv_unsupported_files_ = nullptr;
    QPushButton* btn_unsupported_open_ = nullptr;
    // The files the unsupported sheet shows.
    Items unsupportedItems_;
    // Open-panel answers waiting their half second before they are checked.
    int panelRequestsWaiting_ = 0;
    QDialog* win_inputPassword_ = nullptr;
    QLabel* btn_inputPassword_sourceIcon_ = nullptr;
    QLabel* tf_inputPassword_sourceTitle_ = nullptr;
    QLabel* tf_inputPassword_sourceInfo_ = nullptr;
    QLabel* tf_inputPassword_message_ = nullptr;
    QLineEdit* tf_inputPassword_inputPassowrd_ = nullptr;
    QLabel* tf_inputPassword_passwordInfo_ = nullptr;

    // Progress.
    std::shared_ptr<KXSourceFileItem> progressItem_;
    double progressValue_ = 0;
    int spinnerPhase_ = 0;
    QTimer* spinnerTimer_ = nullptr;
    const KXSourceFileItem* lastReportedSelection_ = nullptr;
    bool selectionReported_ = false;
};
