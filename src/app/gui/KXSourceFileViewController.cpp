#include "app/gui/KXSourceFileViewController.h"

#include <QAbstractListModel>
#include <QDataStream>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/gui/KXAppDelegate.h"
#include "app/gui/KXAppearance.h"
#include "app/gui/KXFilePanels.h"
#include "app/gui/KXNamedImages.h"
#include "app/gui/KXSourceTableCellView.h"
#include "app/gui/KXSourceTableView.h"
#include "app/gui/KXWorkspace.h"
#include "app/jobs/KXLocalized.h"
#include "pdf/KXCPDFUtilities.h"
#include "platform/FileSystem.h"

namespace kx::detail {

// The table's data source: one row per item of the list; drops and drags go to the controller.
class SourceListModel : public QAbstractListModel {
public:
    explicit SourceListModel(KXSourceFileViewController* controller) : QAbstractListModel(controller), controller_(controller) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(controller_->ma_sourceItems().size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount({})) return {};
        const auto& item = controller_->ma_sourceItems()[static_cast<size_t>(index.row())];
        // The file's name is also the row's tool tip.
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return QString::fromStdString(pathFileName(item->sourcePath()));
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::ItemIsDropEnabled;
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
    }
    QStringList mimeTypes() const override { return {KXSourceFileViewController::movedRowsType, "text/uri-list"}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override {
        std::vector<int> rows;
        for (const QModelIndex& index : indexes) rows.push_back(index.row());
        return controller_->mimeDataForRows(rows);
    }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex& parent) const override {
        if (parent.isValid() || !data) return false;  // onto a row: refused
        return data->hasFormat(KXSourceFileViewController::movedRowsType) || data->hasUrls();
    }
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override {
        if (!canDropMimeData(data, action, row, column, parent)) return false;
        return controller_->acceptDrop(data, row);
    }
    void reload() {
        beginResetModel();
        endResetModel();
    }

private:
    KXSourceFileViewController* controller_;
};

}  // namespace kx::detail

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
QString localized(const char* text) { return q(kx_sharedLocalized(text)); }

}  // namespace

KXSourceFileViewController::KXSourceFileViewController(QWidget* parent) : QWidget(parent) {
    model_ = new kx::detail::SourceListModel(this);
    tv_sourceFileList_ = new KXSourceTableView(this);
    cellView_ = new KXSourceTableCellView(this);
    tv_sourceFileList_->setModel(model_);
    tv_sourceFileList_->setItemDelegate(cellView_);
    cellView_->itemAtRow = [this](int row) -> std::shared_ptr<KXSourceFileItem> {
        if (row < 0 || row >= static_cast<int>(ma_sourceItems_.size())) return nullptr;
        return ma_sourceItems_[static_cast<size_t>(row)];
    };
    cellView_->rowState = [this](int row) {
        KXSourceTableCellView::RowState state;
        state.mouseInside = row == tv_sourceFileList_->hoveredRow();
        if (progressItem_ && row >= 0 && row < static_cast<int>(ma_sourceItems_.size()) &&
            ma_sourceItems_[static_cast<size_t>(row)] == progressItem_) {
            state.showsProgress = true;
            state.progress = progressValue_;
            state.spinnerPhase = spinnerPhase_;
        }
        return state;
    };
    connect(cellView_, &KXSourceTableCellView::KXSourceTableCellViewDidPressRemove, this,
            [this](const std::shared_ptr<KXSourceFileItem>& item) { removeItemsFromTable({item}); });
    connect(tv_sourceFileList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { reportSelectionIfChanged(); });
    connect(tv_sourceFileList_, &KXSourceTableView::contextMenuAtRow, this, &KXSourceFileViewController::showContextMenu);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tv_sourceFileList_);

    // The message over the empty list; files dropped on it are added like files dropped on the list.
    nv_emptyMsg_ = new KXDragDropView(this);
    nv_emptyMsg_->setObjectName("nv_emptyMsg");
    nv_emptyMsg_->setDelegate(this);
    nv_emptyMsg_->setAttribute(Qt::WA_StyledBackground);
    auto* emptyLayout = new QVBoxLayout(nv_emptyMsg_);
    emptyLayout->addStretch(1);
    auto* icon = new QLabel(nv_emptyMsg_);
    icon->setPixmap(KXNamedImages::image("icon_pdf", QSize(72, 72), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);
    emptyLayout->addWidget(icon);
    auto* message = emptyTitle_ = new QLabel(localized("Drop PDF files here"), nv_emptyMsg_);
    message->setAlignment(Qt::AlignCenter);
    QFont big = message->font();
    big.setPixelSize(18);
    big.setWeight(QFont::DemiBold);
    message->setFont(big);
    emptyLayout->addWidget(message);
    auto* hint = emptyHint_ =
        new QLabel(localized("or add them with the button below. Locked PDFs ask for their password."), nv_emptyMsg_);
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    emptyLayout->addWidget(hint);
    auto* add = new QPushButton(localized("Add Files…"), nv_emptyMsg_);
    add->setObjectName("btn_emptyAddFiles");
    connect(add, &QPushButton::clicked, this, &KXSourceFileViewController::sourceFileBrowse);
    auto* addRow = new QHBoxLayout;
    addRow->addStretch(1);
    addRow->addWidget(add);
    addRow->addStretch(1);
    emptyLayout->addLayout(addRow);
    emptyLayout->addStretch(1);

    spinnerTimer_ = new QTimer(this);
    spinnerTimer_->setInterval(90);
    connect(spinnerTimer_, &QTimer::timeout, this, [this] {
        spinnerPhase_ = (spinnerPhase_ + 1) % 12;
        tv_sourceFileList_->viewport()->update();
    });

    contextMenu_ = new QMenu(this);
    applyAppearance();
    updateEmptyMessage();
}

void KXSourceFileViewController::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyAppearance();
}

void KXSourceFileViewController::applyAppearance() {
    // A pale yellow, or in the dark appearance a dark amber, that does not glare beside the rows.
    const bool dark = KXAppearance::isDarkMode(this);
    nv_emptyMsg_->setStyleSheet(dark ? "#nv_emptyMsg { background: #3a3322; }" : "#nv_emptyMsg { background: #fff8dc; }");
    emptyTitle_->setStyleSheet(dark ? "color: #f1e2b3;" : "color: #5b4a16;");
    emptyHint_->setStyleSheet(dark ? "color: #cfbf90;" : "color: #7a6a3a;");
}

KXSourceFileViewController::~KXSourceFileViewController() = default;

void KXSourceFileViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    nv_emptyMsg_->setGeometry(tv_sourceFileList_->geometry());
}

KXSourceFileViewController::Items KXSourceFileViewController::selectedItems() const {
    Items items;
    QModelIndexList rows = tv_sourceFileList_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        if (index.row() < static_cast<int>(ma_sourceItems_.size()))
            items.push_back(ma_sourceItems_[static_cast<size_t>(index.row())]);
    return items;
}

std::shared_ptr<KXSourceFileItem> KXSourceFileViewController::selectedItem() const {
    Items items = selectedItems();
    return items.empty() ? nullptr : items.back();
}

std::shared_ptr<KXSourceFileItem> KXSourceFileViewController::clickedItem() const {
    const int row = tv_sourceFileList_->clickedRow();
    if (row < 0 || row >= static_cast<int>(ma_sourceItems_.size())) return nullptr;
    return ma_sourceItems_[static_cast<size_t>(row)];
}

// ---- Adding files ----

void KXSourceFileViewController::addFilesToCheckQueue(const QStringList& paths) {
    AddRequest request;
    for (const QString& path : paths)
        for (auto& item : KXSourceFileItem::CreateSourceItemsOfFileOrDirectoryAtPath(path.toStdString()))
            request.items.push_back(std::move(item));
    enqueue(std::move(request));
}

void KXSourceFileViewController::sourceFileBrowse() {
    KXFilePanels::chooseFiles(window(), localized("Select PDF files for conversion:"), localized("Select"),
                              [this](const QStringList& paths) {
                                  if (paths.isEmpty()) return;
                                  AddRequest request;
                                  for (const QString& path : paths)
                                      if (auto item = KXSourceFileItem::initWithPath(path.toStdString()))
                                          request.items.push_back(std::move(item));
                                  // Checked half a second after the panel has gone.
                                  ++panelRequestsWaiting_;
                                  QTimer::singleShot(500, this, [this, request = std::move(request)]() mutable {
                                      --panelRequestsWaiting_;
                                      enqueue(std::move(request));
                                  });
                              });
}

void KXSourceFileViewController::KXDragDropViewOpenFiles(KXDragDropView&, const QStringList& paths) {
    AddRequest request;
    request.row = 0;
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        if (auto item = KXSourceFileItem::initWithPath(it->toStdString())) request.items.push_back(std::move(item));
    enqueue(std::move(request));
}

bool KXSourceFileViewController::acceptDrop(const QMimeData* data, int row) {
    if (!data) return false;
    if (data->hasFormat(movedRowsType)) {
        QByteArray bytes = data->data(movedRowsType);
        QDataStream stream(&bytes, QIODevice::ReadOnly);
        QList<int> rows;
        stream >> rows;
        moveRows(std::vector<int>(rows.begin(), rows.end()), row);
        return true;
    }
    if (data->hasUrls()) {
        // Items are made from the last name to the first and each is inserted at the drop row, so
        // the files land in the order they were dropped.
        QStringList paths;
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
        if (paths.isEmpty()) return true;
        AddRequest request;
        request.row = row < 0 ? static_cast<int>(ma_sourceItems_.size()) : row;
        for (auto it = paths.rbegin(); it != paths.rend(); ++it)
            if (auto item = KXSourceFileItem::initWithPath(it->toStdString())) request.items.push_back(std::move(item));
        enqueue(std::move(request));
        return true;
    }
    return false;
}

QMimeData* KXSourceFileViewController::mimeDataForRows(const std::vector<int>& rows) const {
    auto* data = new QMimeData;
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << QList<int>(rows.begin(), rows.end());
    data->setData(movedRowsType, bytes);
    return data;
}

bool KXSourceFileViewController::isAddingFiles() const {
    return sheetOpen_ || checkScheduled_ || panelRequestsWaiting_ > 0 || !ma_readyToAddSourceItems_.empty() ||
           !ma_checkedSourceItems_.empty() || !pendingRequests_.empty();
}

void KXSourceFileViewController::enqueue(AddRequest request) {
    if (request.items.empty()) return;
    pendingRequests_.push_back(std::move(request));
    startNextRequest();
}

void KXSourceFileViewController::startNextRequest() {
    // A request waits while another one is being checked or its sheet is open.
    if (sheetOpen_ || !ma_readyToAddSourceItems_.empty() || pendingRequests_.empty()) return;
    AddRequest request = std::move(pendingRequests_.front());
    pendingRequests_.pop_front();
    ma_readyToAddSourceItems_ = std::move(request.items);
    ma_checkedSourceItems_.clear();
    readyToAddIndex_ = request.row < 0 ? static_cast<int>(ma_sourceItems_.size()) : request.row;
    continueCheckPDFPassword();
}

void KXSourceFileViewController::continueCheckPDFPassword() {
    while (!ma_readyToAddSourceItems_.empty()) {
        const std::shared_ptr<KXSourceFileItem> item = ma_readyToAddSourceItems_.front();
        const std::string& path = item->sourcePath();
        if (!KXCPDFUtilities::isPDFDocumentValidAtPath(path)) {
            // One alert names every file of the request that is no PDF, rather than one alert each.
            Items unsupported;
            for (const auto& waiting : ma_readyToAddSourceItems_)
                if (waiting == item || !KXCPDFUtilities::isPDFDocumentValidAtPath(waiting->sourcePath()))
                    unsupported.push_back(waiting);
            return showUnsupportedSheet(unsupported);
        }
        if (KXCPDFUtilities::isPDFDocumentLockPritingAtPath(path)) return showPasswordSheet(item);
        ma_checkedSourceItems_.push_back(item);
        ma_readyToAddSourceItems_.erase(ma_readyToAddSourceItems_.begin());
    }
    if (!ma_checkedSourceItems_.empty()) {
        // Rows removed meanwhile may have moved the end of the list above the insertion row.
        readyToAddIndex_ = std::min(readyToAddIndex_, static_cast<int>(ma_sourceItems_.size()));
        Items checked = std::move(ma_checkedSourceItems_);
        ma_checkedSourceItems_.clear();
        addSourceItemsToTable(checked, readyToAddIndex_);
    }
    startNextRequest();
}

void KXSourceFileViewController::buildSheets() {
    if (win_unsupported_) return;
    auto makeSheet = [this](const QString& name) {
        auto* sheet = new QDialog(window());
        sheet->setObjectName(name);
        sheet->setWindowModality(Qt::WindowModal);
        sheet->setWindowTitle("Docuvane");
        sheet->setMinimumWidth(440);
        return sheet;
    };
    auto header = [](QDialog* sheet, QLabel*& icon, QLabel*& title, QLabel*& info, QLabel*& text, const QString& message) {
        auto* layout = new QVBoxLayout(sheet);
        auto* top = new QHBoxLayout;
        icon = new QLabel(sheet);
        icon->setFixedSize(64, 64);
        top->addWidget(icon, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        title = new QLabel(sheet);
        QFont bold = title->font();
        bold.setWeight(QFont::DemiBold);
        title->setFont(bold);
        info = new QLabel(sheet);
        KXAppearance::makeSecondary(info);
        text = new QLabel(message, sheet);
        text->setWordWrap(true);
        texts->addWidget(title);
        texts->addWidget(info);
        texts->addSpacing(6);
        texts->addWidget(text);
        top->addLayout(texts, 1);
        layout->addLayout(top);
        return layout;
    };

    win_unsupported_ = makeSheet("win_unsupported");
    QVBoxLayout* unsupported = header(win_unsupported_, btn_unsupported_sourceIcon_, tf_unsupported_sourceTitle_,
                                      tf_unsupported_sourceInfo_, tf_unsupported_message_,
                                      localized("This file is not a PDF document that can be read, so it can't be converted."));
    auto* unsupportedButtons = new QDialogButtonBox(win_unsupported_);
    QPushButton* open = unsupportedButtons->addButton(localized("Open"), QDialogButtonBox::ActionRole);
    QPushButton* discard = unsupportedButtons->addButton(localized("Discard"), QDialogButtonBox::AcceptRole);
    open->setObjectName("btn_unsupported_open");
    discard->setObjectName("btn_unsupported_discard");
    discard->setDefault(true);
    connect(open, &QPushButton::clicked, this, &KXSourceFileViewController::openCheckSourceItem);
    connect(discard, &QPushButton::clicked, this, &KXSourceFileViewController::discardUnsupportedFile);
    lv_unsupported_files_ = new QListWidget(win_unsupported_);
    lv_unsupported_files_->setObjectName("lv_unsupported_files");
    lv_unsupported_files_->setSelectionMode(QAbstractItemView::NoSelection);
    lv_unsupported_files_->setFocusPolicy(Qt::NoFocus);
    lv_unsupported_files_->hide();
    unsupported->addWidget(lv_unsupported_files_);
    btn_unsupported_open_ = open;
    unsupported->addWidget(unsupportedButtons);
    connect(win_unsupported_, &QDialog::finished, this, [this] { sheetEnded(); });

    win_inputPassword_ = makeSheet("win_inputPassword");
    QVBoxLayout* password = header(win_inputPassword_, btn_inputPassword_sourceIcon_, tf_inputPassword_sourceTitle_,
                                   tf_inputPassword_sourceInfo_, tf_inputPassword_message_,
                                   localized("This PDF is protected. Enter its password to add it to the list:"));
    tf_inputPassword_inputPassowrd_ = new QLineEdit(win_inputPassword_);
    tf_inputPassword_inputPassowrd_->setEchoMode(QLineEdit::Password);
    tf_inputPassword_inputPassowrd_->setObjectName("tf_inputPassword_inputPassowrd");
    password->addWidget(tf_inputPassword_inputPassowrd_);
    tf_inputPassword_passwordInfo_ = new QLabel(localized("The password is wrong, or the PDF may not be printed."), win_inputPassword_);
    tf_inputPassword_passwordInfo_->setObjectName("tf_inputPassword_passwordInfo");
    tf_inputPassword_passwordInfo_->setWordWrap(true);
    tf_inputPassword_passwordInfo_->setStyleSheet("color: #c62828;");
    tf_inputPassword_passwordInfo_->hide();
    password->addWidget(tf_inputPassword_passwordInfo_);
    auto* passwordButtons = new QDialogButtonBox(win_inputPassword_);
    QPushButton* cancel = passwordButtons->addButton(localized("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* ok = passwordButtons->addButton(localized("OK"), QDialogButtonBox::AcceptRole);
    cancel->setObjectName("btn_inputPassword_cancel");
    ok->setObjectName("btn_inputPassword_ok");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &KXSourceFileViewController::finishInputPassword);
    connect(cancel, &QPushButton::clicked, this, &KXSourceFileViewController::cancelInputPassword);
    connect(tf_inputPassword_inputPassowrd_, &QLineEdit::textEdited, this, [this] {
        tf_inputPassword_passwordInfo_->hide();
        fitSheetToItsTexts(win_inputPassword_);
    });
    password->addWidget(passwordButtons);
    connect(win_inputPassword_, &QDialog::finished, this, [this] { sheetEnded(); });
}

void KXSourceFileViewController::showUnsupportedSheet(const Items& items) {
    buildSheets();
    unsupportedItems_ = items;
    readyToCheckItem_ = items.front();
    btn_unsupported_sourceIcon_->setPixmap(KXNamedImages::image("icon_unknown", QSize(64, 64), devicePixelRatioF()));
    lv_unsupported_files_->clear();
    if (items.size() == 1) {
        tf_unsupported_sourceTitle_->setText(q(kx::pathFileName(items.front()->sourcePath())));
        tf_unsupported_sourceInfo_->setText(q(items.front()->fileSizeString()));
        tf_unsupported_message_->setText(
            localized("This file is not a PDF document that can be read, so it can't be converted."));
    } else {
        tf_unsupported_sourceTitle_->setText(localized("%1 files").arg(items.size()));
        std::uint64_t size = 0;
        for (const auto& item : items) {
            lv_unsupported_files_->addItem(q(kx::pathFileName(item->sourcePath())));
            size += item->fileSize();
        }
        tf_unsupported_sourceInfo_->setText(q(KXSourceFileItem::fileSizeStringForSize(size)));
        tf_unsupported_message_->setText(
            localized("These files are not PDF documents that can be read, so they can't be converted."));
        const int rows = std::min<int>(static_cast<int>(items.size()), 8);
        lv_unsupported_files_->setFixedHeight(lv_unsupported_files_->sizeHintForRow(0) * rows +
                                              2 * lv_unsupported_files_->frameWidth() + 4);
    }
    lv_unsupported_files_->setVisible(items.size() > 1);
    btn_unsupported_open_->setVisible(items.size() == 1);
    sheetOpen_ = true;
    sheetHandled_ = false;
    fitSheetToItsTexts(win_unsupported_);
    win_unsupported_->open();
}

// A sheet takes the height its texts need at its width: word-wrapped texts report that height only
// for a given width, which a window's own sizing does not ask for, so they would be cut.
void KXSourceFileViewController::fitSheetToItsTexts(QDialog* sheet) {
    QLayout* layout = sheet->layout();
    layout->activate();
    const int width = std::max(sheet->width(), sheet->minimumWidth());
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                   : layout->totalSizeHint().height();
    sheet->setMinimumHeight(height);
    sheet->resize(width, height);
}

void KXSourceFileViewController::showPasswordSheet(const std::shared_ptr<KXSourceFileItem>& item) {
    buildSheets();
    readyToCheckItem_ = item;
    btn_inputPassword_sourceIcon_->setPixmap(KXNamedImages::image(item->sourceFileIcon(), QSize(64, 64), devicePixelRatioF()));
    tf_inputPassword_sourceTitle_->setText(q(kx::pathFileName(item->sourcePath())));
    tf_inputPassword_sourceInfo_->setText(q(item->fileSizeString()));
    tf_inputPassword_inputPassowrd_->clear();
    tf_inputPassword_passwordInfo_->hide();
    sheetOpen_ = true;
    sheetHandled_ = false;
    fitSheetToItsTexts(win_inputPassword_);
    win_inputPassword_->open();
    tf_inputPassword_inputPassowrd_->setFocus();
}

void KXSourceFileViewController::finishInputPassword() {
    if (!readyToCheckItem_ || !sheetOpen_) return;
    const std::string password = tf_inputPassword_inputPassowrd_->text().toStdString();
    if (!KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(readyToCheckItem_->sourcePath(), password)) {
        tf_inputPassword_passwordInfo_->show();
        fitSheetToItsTexts(win_inputPassword_);
        return;
    }
    readyToCheckItem_->setSourcePassword(password);
    ma_checkedSourceItems_.push_back(readyToCheckItem_);
    if (!ma_readyToAddSourceItems_.empty()) ma_readyToAddSourceItems_.erase(ma_readyToAddSourceItems_.begin());
    sheetHandled_ = true;
    win_inputPassword_->done(0);
}

void KXSourceFileViewController::cancelInputPassword() {
    if (!sheetOpen_) return;
    if (!ma_readyToAddSourceItems_.empty()) ma_readyToAddSourceItems_.erase(ma_readyToAddSourceItems_.begin());
    sheetHandled_ = true;
    win_inputPassword_->done(0);
}

void KXSourceFileViewController::discardUnsupportedFile() {
    if (!sheetOpen_) return;
    dropUnsupportedItems();
    sheetHandled_ = true;
    win_unsupported_->done(0);
}

void KXSourceFileViewController::dropUnsupportedItems() {
    std::erase_if(ma_readyToAddSourceItems_, [&](const std::shared_ptr<KXSourceFileItem>& item) {
        return std::find(unsupportedItems_.begin(), unsupportedItems_.end(), item) != unsupportedItems_.end();
    });
    unsupportedItems_.clear();
}

void KXSourceFileViewController::openCheckSourceItem() {
    if (readyToCheckItem_) KXWorkspace::openFile(q(readyToCheckItem_->sourcePath()));
}

void KXSourceFileViewController::sheetEnded() {
    // A sheet closed with Escape or its close button drops its files, as Cancel and Discard do.
    if (!sheetHandled_) {
        if (!unsupportedItems_.empty()) dropUnsupportedItems();
        else if (!ma_readyToAddSourceItems_.empty()) ma_readyToAddSourceItems_.erase(ma_readyToAddSourceItems_.begin());
    }
    unsupportedItems_.clear();
    sheetOpen_ = false;
    sheetHandled_ = false;
    readyToCheckItem_.reset();
    checkScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        checkScheduled_ = false;
        continueCheckPDFPassword();
    });
}

// ---- Rows ----

void KXSourceFileViewController::addSourceItemsToTable(const Items& items, int row) {
    const QModelIndexList selected = tv_sourceFileList_->selectionModel()->selectedRows();
    const int selectedRow = selected.isEmpty() ? -1 : selected.last().row();
    row = std::clamp(row, 0, static_cast<int>(ma_sourceItems_.size()));
    for (const auto& item : items) {
        ma_sourceItems_.insert(ma_sourceItems_.begin() + row, item);
    }
    model_->reload();
    if (selectedRow >= 0) tv_sourceFileList_->setCurrentIndex(model_->index(selectedRow, 0));
    updateEmptyMessage();
    reportSelectionIfChanged();
    emit itemCountChanged(static_cast<int>(ma_sourceItems_.size()));
}

void KXSourceFileViewController::moveRows(const std::vector<int>& rows, int row) {
    const int count = static_cast<int>(ma_sourceItems_.size());
    std::vector<int> sorted;
    for (int r : rows)
        if (r >= 0 && r < count) sorted.push_back(r);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (sorted.empty()) return;
    const Items selected = selectedItems();
    if (row < 0) row = count;
    // Rows taken out above the drop row move it up: the items land where they were dropped.
    const int above = static_cast<int>(std::count_if(sorted.begin(), sorted.end(), [&](int r) { return r < row; }));
    Items moved;
    for (int r : sorted) moved.push_back(ma_sourceItems_[static_cast<size_t>(r)]);
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it) ma_sourceItems_.erase(ma_sourceItems_.begin() + *it);
    const int target = std::clamp(row - above, 0, static_cast<int>(ma_sourceItems_.size()));
    ma_sourceItems_.insert(ma_sourceItems_.begin() + target, moved.begin(), moved.end());
    reloadKeepingSelection(selected);
}

void KXSourceFileViewController::removeItemsFromTable(const Items& items) {
    // A removed item's job must not run on unseen: the application cancels it first.
    if (delegate_ && !items.empty()) delegate_->KXSourceFileViewControllerWillRemoveItems(*this, items);
    std::shared_ptr<KXSourceFileItem> selected = selectedItem();
    int rememberedRow = -1;
    if (selected) {
        auto it = std::find(ma_sourceItems_.begin(), ma_sourceItems_.end(), selected);
        if (it != ma_sourceItems_.end()) rememberedRow = static_cast<int>(it - ma_sourceItems_.begin());
    }
    for (const auto& item : items) {
        auto it = std::find(ma_sourceItems_.begin(), ma_sourceItems_.end(), item);
        if (it == ma_sourceItems_.end()) continue;
        cellView_->forgetItem(it->get());
        if (progressItem_ == item) progressItem_.reset();
        ma_sourceItems_.erase(it);
    }
    if (rememberedRow >= 0 && !ma_sourceItems_.empty())
        rememberedRow = std::min(rememberedRow, static_cast<int>(ma_sourceItems_.size()) - 1);
    else
        rememberedRow = -1;
    model_->reload();
    if (rememberedRow >= 0) {
        const QModelIndex index = model_->index(rememberedRow, 0);
        tv_sourceFileList_->setCurrentIndex(index);
        tv_sourceFileList_->scrollTo(index);
    }
    updateEmptyMessage();
    reportSelectionIfChanged();
    emit itemCountChanged(static_cast<int>(ma_sourceItems_.size()));
}

void KXSourceFileViewController::reloadKeepingSelection(const Items& selected) {
    model_->reload();
    QItemSelection selection;
    QModelIndex last;
    for (const auto& item : selected) {
        auto it = std::find(ma_sourceItems_.begin(), ma_sourceItems_.end(), item);
        if (it == ma_sourceItems_.end()) continue;
        last = model_->index(static_cast<int>(it - ma_sourceItems_.begin()), 0);
        selection.select(last, last);
    }
    if (last.isValid()) {
        tv_sourceFileList_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        tv_sourceFileList_->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
        tv_sourceFileList_->scrollTo(last);
    }
    reportSelectionIfChanged();
}

void KXSourceFileViewController::reloadTableView() {
    cellView_->forgetAll();
    reloadKeepingSelection(selectedItem() ? Items{selectedItem()} : Items{});
}

void KXSourceFileViewController::applyFormatToAllData(const std::string& format, const std::string& imageType) {
    for (const auto& item : ma_sourceItems_) {
        item->setSettings_outputFormat(format);
        item->setSettings_outputFormat_imageType(imageType);
    }
}

void KXSourceFileViewController::selectTableRowWithItem(const std::shared_ptr<KXSourceFileItem>& item) {
    auto it = std::find(ma_sourceItems_.begin(), ma_sourceItems_.end(), item);
    if (it == ma_sourceItems_.end()) return;
    const QModelIndex index = model_->index(static_cast<int>(it - ma_sourceItems_.begin()), 0);
    tv_sourceFileList_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    tv_sourceFileList_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    tv_sourceFileList_->scrollTo(index);
}

void KXSourceFileViewController::resetBeforeConversion() {
    for (const auto& item : ma_sourceItems_) cellView_->resetBeforeConversion(item);
    tv_sourceFileList_->viewport()->update();
}

void KXSourceFileViewController::updateConversion(const std::shared_ptr<KXSourceFileItem>& item, double progress) {
    const bool converting = isConverting && isConverting();
    const bool listed = item && std::find(ma_sourceItems_.begin(), ma_sourceItems_.end(), item) != ma_sourceItems_.end();
    // The end of the item's job: the row's final status and icons appear, also after a cancel (the
    // row would otherwise go on reading Ready).
    if (item && listed && progress > 99.0) cellView_->setItemData(item);
    if (item && listed && converting) {
        progressItem_ = item;
        progressValue_ = progress;
        emit progressUpdated(progress);
    } else {
        progressItem_.reset();
        progressValue_ = 0;
    }
    if (progressItem_ && !spinnerTimer_->isActive()) spinnerTimer_->start();
    if (!progressItem_) spinnerTimer_->stop();
    tv_sourceFileList_->viewport()->update();
}

void KXSourceFileViewController::updateEmptyMessage() {
    nv_emptyMsg_->setGeometry(tv_sourceFileList_->geometry());
    nv_emptyMsg_->setVisible(ma_sourceItems_.empty());
    if (ma_sourceItems_.empty()) nv_emptyMsg_->raise();
}

void KXSourceFileViewController::reportSelectionIfChanged() {
    const KXSourceFileItem* now = selectedItem().get();
    if (selectionReported_ && now == lastReportedSelection_) return;
    selectionReported_ = true;
    lastReportedSelection_ = now;
    if (delegate_) delegate_->KXSourceFileViewControllerDidUpdateSelection(*this);
}

// ---- Actions ----

void KXSourceFileViewController::sourceFileRemoveItemFromQueue() { removeItemsFromTable(selectedItems()); }

void KXSourceFileViewController::sourceFileRemoveItemFromQueue_Clicked() {
    if (auto item = clickedItem()) removeItemsFromTable({item});
}

void KXSourceFileViewController::sourceFileRemoveAllFromQueue() { removeItemsFromTable(Items(ma_sourceItems_)); }

void KXSourceFileViewController::sourceFileRevealInFinder() {
    if (auto item = selectedItem()) KXWorkspace::selectFile(q(item->sourcePath()));
}

void KXSourceFileViewController::sourceFileRevealInFinder_Clicked() {
    if (auto item = clickedItem()) KXWorkspace::selectFile(q(item->sourcePath()));
}

namespace {
// The output variants act only on a file that stands at the item's output path, whatever its run
// made of it (one whose pages partly failed is there to be shown too).
bool hasOutputFile(const std::shared_ptr<KXSourceFileItem>& item) {
    return item && !item->outputPath().empty() && kx::fileExists(item->outputPath());
}
}  // namespace

void KXSourceFileViewController::outputFileRevealInFinder() {
    auto item = selectedItem();
    if (hasOutputFile(item)) KXWorkspace::selectFile(q(item->outputPath()));
}

void KXSourceFileViewController::outputFileClickedRevealInFinder_Clicked() {
    auto item = clickedItem();
    if (hasOutputFile(item)) KXWorkspace::selectFile(q(item->outputPath()));
}

void KXSourceFileViewController::showContextMenu(int row, const QPoint& globalPosition) {
    contextMenu_->clear();
    auto clicked = clickedItem();
    QAction* showSource = contextMenu_->addAction(localized("Show in File Manager"), this,
                                                  &KXSourceFileViewController::sourceFileRevealInFinder_Clicked);
    QAction* showOutput = contextMenu_->addAction(localized("Show Output in File Manager"), this,
                                                  &KXSourceFileViewController::outputFileClickedRevealInFinder_Clicked);
    contextMenu_->addSeparator();
    QAction* remove = contextMenu_->addAction(localized("Remove"), this,
                                              &KXSourceFileViewController::sourceFileRemoveItemFromQueue_Clicked);
    QAction* removeAll = contextMenu_->addAction(localized("Remove All"), this,
                                                 &KXSourceFileViewController::sourceFileRemoveAllFromQueue);
    showSource->setObjectName("mi_showSourceFileInFinder");
    showOutput->setObjectName("mi_showOutputFileInFinder");
    remove->setObjectName("mi_remove");
    removeAll->setObjectName("mi_removeAll");
    showSource->setEnabled(clicked != nullptr);
    showOutput->setEnabled(hasOutputFile(clicked));
    remove->setEnabled(clicked != nullptr);
    removeAll->setEnabled(!ma_sourceItems_.empty());
    (void)row;
    contextMenu_->popup(globalPosition);
}

// ---- Feedback ----

void KXSourceFileViewController::showHelpAction() {
    auto* alert = new QMessageBox(window());
    alert->setObjectName("alert_technicalSupport");
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Information);
    alert->setWindowTitle(localized("Technical Support"));
    alert->setText(localized("Technical Support"));
    alert->setInformativeText(
        localized("We'd love to hear your feedback! If you have ideas or feature requests for future versions of the app, "
                  "feel free to let us know. You can contact us using the in-app Help button on top menu bar.\n\n If "
                  "you enjoy the app, please write us a review and help spread the word! Thanks!"));
    // A button whose address the application was not built with is left out.
    QPushButton* contact = nullptr;
    QPushButton* review = nullptr;
    if (!KXAppDelegate::supportMailAddress().isEmpty()) {
        contact = alert->addButton(QString("✉️ %1").arg(localized("Contact us")), QMessageBox::ActionRole);
        contact->setObjectName("btn_contactUs");
    }
    if (!KXAppDelegate::reviewPageAddress().isEmpty()) {
        review = alert->addButton(QString("❤️ %1").arg(localized("Write a Review")), QMessageBox::ActionRole);
        review->setObjectName("btn_writeAReview");
    }
    QPushButton* cancel = alert->addButton(localized("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName("btn_cancel");
    alert->setDefaultButton(contact ? contact : review ? review : cancel);
    // The alert has gone before its button's address is opened.
    connect(alert, &QDialog::finished, this, [alert, contact, review] {
        QAbstractButton* clicked = alert->clickedButton();
        KXAppDelegate* application = KXAppDelegate::sharedInstance();
        if (!application || !clicked) return;
        if (clicked == contact) application->support_TechnicalSupport();
        else if (clicked == review) application->support_openInAppStore();
    });
    alert->open();
}
