#pragma once
// The cell of a source-list row: the PDF's icon, name and page count with size; the output format's
// icon; the status icon with the page range, format and status word; while the row's job runs a
// progress bar and a spinner; the open and show buttons of the output; the remove button while the
// pointer is over the row. What the cell shows is filled from its item when the list asks
// (setItemData), not at every repaint.

#include <QStyledItemDelegate>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "app/jobs/KXSourceFileItem.h"

class KXSourceTableCellView : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int rowHeight = 52;

    // What the list knows about a row beyond its item.
    struct RowState {
        bool mouseInside = false;
        bool showsProgress = false;  // the bar and the spinner instead of the status icon
        double progress = 0;         // percent
        int spinnerPhase = 0;        // 0..11
    };

    // Where the parts of a row go.
    struct Layout {
        QRect sourceIcon, sourceTitle, sourceInfo;
        QRect conversionIcon, conversionInfo, conversionProgress, conversionLoading;
        QRect btn_openOutputFile, btn_showOutputFile, outputIcon, btn_remove;
    };
    static Layout layoutForRow(const QRect& row);

    // The filled contents of a cell.
    struct Contents {
        std::string sourceIcon;
        QString sourceTitle;
        QString sourceInfo;
        std::string outputIcon;
        bool outputEnabled = false;
        QString conversionInfo;
        std::string conversionIcon;
    };
    static Contents contentsOfItem(KXSourceFileItem& item);

    explicit KXSourceTableCellView(QObject* parent = nullptr);

    std::function<std::shared_ptr<KXSourceFileItem>(int row)> itemAtRow;
    std::function<RowState(int row)> rowState;

    // Fills the cell of the item again from the item; forgetItem drops what was kept of it, and
    // forgetAll what was kept of every item (each row is filled again when it is next drawn, so a
    // long list reads only the files of the rows in view).
    void setItemData(const std::shared_ptr<KXSourceFileItem>& item);
    void forgetItem(const KXSourceFileItem* item);
    void forgetAll() { contents_.clear(); }
    // The filled contents (filled now when the item has none yet).
    const Contents& contents(const std::shared_ptr<KXSourceFileItem>& item);
    // The item's output path made empty: the row reads Ready when it is drawn next.
    void resetBeforeConversion(const std::shared_ptr<KXSourceFileItem>& item);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void KXSourceTableCellViewDidPressRemove(const std::shared_ptr<KXSourceFileItem>& item);

private:
    std::unordered_map<const KXSourceFileItem*, Contents> contents_;
};
