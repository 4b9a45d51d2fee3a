#include "app/gui/KXDragDropView.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QStyleOption>

namespace {

QStringList localPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

}  // namespace

KXDragDropView::KXDragDropView(QWidget* parent) : QWidget(parent) { setAcceptDrops(true); }

void KXDragDropView::setHighlighted(bool highlighted) {
    isHighlighted_ = highlighted;
    update();
}

bool KXDragDropView::acceptsPaths(const QStringList& paths) {
    if (paths.isEmpty()) return false;
    for (const QString& path : paths)
        if (QFileInfo(path).isDir()) return false;
    return true;
}

void KXDragDropView::dragEnterEvent(QDragEnterEvent* event) {
    const bool accepted = acceptsPaths(localPaths(event->mimeData()));
    setHighlighted(accepted);
    if (accepted) event->acceptProposedAction();
    else event->ignore();
}

void KXDragDropView::dragMoveEvent(QDragMoveEvent* event) {
    const bool accepted = (event->possibleActions() & Qt::CopyAction) && acceptsPaths(localPaths(event->mimeData()));
    setHighlighted(accepted);
    if (accepted) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void KXDragDropView::dragLeaveEvent(QDragLeaveEvent*) { setHighlighted(false); }

void KXDragDropView::dropEvent(QDropEvent* event) {
    setHighlighted(false);
    const QStringList paths = localPaths(event->mimeData());
    if (!acceptsPaths(paths)) return event->ignore();
    event->acceptProposedAction();
    if (delegate_) delegate_->KXDragDropViewOpenFiles(*this, paths);
}

void KXDragDropView::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (isHighlighted_) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 6.0));
        painter.drawRect(rect().adjusted(3, 3, -3, -3));
    }
}
