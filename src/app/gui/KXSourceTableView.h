#pragma once
// The table of the source list: one column of rows, drawn by the cell view. It follows the pointer
// so that the row under it shows its remove button, and it takes drops between rows only.

#include <QListView>

class KXSourceTableView : public QListView {
    Q_OBJECT

public:
    explicit KXSourceTableView(QWidget* parent = nullptr);

    // The row under the pointer, -1 when none.
    int hoveredRow() const { return hoveredRow_; }
    void setHoveredRow(int row);
    // The row the last right click was on, -1 when none.
    int clickedRow() const { return clickedRow_; }

signals:
    void hoveredRowChanged(int row);
    void contextMenuAtRow(int row, const QPoint& globalPosition);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;

private:
    int hoveredRow_ = -1;
    int clickedRow_ = -1;
};
