#include "app/gui/KXSourceTableView.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QMouseEvent>

KXSourceTableView::KXSourceTableView(QWidget* parent) : QListView(parent) {
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDragDropOverwriteMode(false);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFrameShape(QFrame::NoFrame);
}

void KXSourceTableView::setHoveredRow(int row) {
    if (row == hoveredRow_) return;
    hoveredRow_ = row;
    viewport()->update();
    emit hoveredRowChanged(row);
}

void KXSourceTableView::mouseMoveEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    setHoveredRow(index.isValid() ? index.row() : -1);
    QListView::mouseMoveEvent(event);
}

void KXSourceTableView::leaveEvent(QEvent* event) {
    setHoveredRow(-1);
    QListView::leaveEvent(event);
}

void KXSourceTableView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    clickedRow_ = index.isValid() ? index.row() : -1;
    emit contextMenuAtRow(clickedRow_, event->globalPos());
}

// Drops land between rows: a drag over the middle of a row is refused.
void KXSourceTableView::dragMoveEvent(QDragMoveEvent* event) {
    QListView::dragMoveEvent(event);
    if (dropIndicatorPosition() == QAbstractItemView::OnItem) event->ignore();
}
