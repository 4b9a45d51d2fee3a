#include "app/gui/KXSourceTableCellView.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/gui/KXAppearance.h"
#include "app/gui/KXHoverTableRowView.h"
#include "app/gui/KXNamedImages.h"
#include "app/gui/KXWorkspace.h"
#include "platform/FileSystem.h"

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

void drawImage(QPainter* painter, const std::string& name, const QRect& box, qreal ratio, qreal opacity = 1.0,
               const QColor& ink = QColor()) {
    const QPixmap image = KXNamedImages::image(name, box.size(), ratio, ink);
    if (image.isNull()) return;
    painter->save();
    painter->setOpacity(opacity);
    painter->drawPixmap(box, image);
    painter->restore();
}

// An indeterminate spinner: twelve spokes, the one at `phase` darkest.
void drawSpinner(QPainter* painter, const QRect& box, int phase, const QColor& ink) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(box).center();
    const double outer = box.width() / 2.0, inner = outer * 0.45;
    for (int i = 0; i < 12; ++i) {
        const double angle = (i * 30.0 - 90.0) * M_PI / 180.0;
        QColor spoke = ink;
        spoke.setAlphaF(0.15f + 0.85f * float(((i - phase + 12) % 12)) / 11.0f);
        painter->setPen(QPen(spoke, std::max(1.5, outer / 4), Qt::SolidLine, Qt::RoundCap));
        const QPointF d(std::cos(angle), std::sin(angle));
        painter->drawLine(centre + d * inner, centre + d * (outer - 1));
    }
    painter->restore();
}

void drawProgress(QPainter* painter, const QRect& box, double percent, bool dark) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF track(box);
    const double radius = track.height() / 2;
    painter->setPen(Qt::NoPen);
    painter->setBrush(dark ? QColor(0x45, 0x48, 0x4f) : QColor(0xdf, 0xe3, 0xea));
    painter->drawRoundedRect(track, radius, radius);
    const double fraction = std::clamp(percent / 100.0, 0.0, 1.0);
    if (fraction > 0) {
        QRectF done = track;
        done.setWidth(std::max(track.height(), track.width() * fraction));
        painter->setBrush(QColor(0x2f, 0x7b, 0xe0));
        painter->drawRoundedRect(done, radius, radius);
    }
    painter->restore();
}

}  // namespace

KXSourceTableCellView::KXSourceTableCellView(QObject* parent) : QStyledItemDelegate(parent) {}

KXSourceTableCellView::Layout KXSourceTableCellView::layoutForRow(const QRect& row) {
    Layout l;
    const int x = row.x(), y = row.y(), right = row.right() + 1;
    l.sourceIcon = QRect(x + 8, y + 8, 36, 36);
    l.btn_remove = QRect(right - 26, y + 18, 16, 16);
    l.outputIcon = QRect(right - 68, y + 10, 32, 32);
    const int block = std::max(120, std::min(220, (row.width() - 140) / 2));
    const int blockLeft = l.outputIcon.left() - 8 - block;
    l.conversionIcon = QRect(blockLeft, y + 9, 16, 16);
    l.conversionInfo = QRect(blockLeft + 22, y + 7, block - 22, 20);
    l.conversionLoading = l.conversionIcon;
    // The output's two buttons stay on the second line; the bar of a running job goes beside them.
    l.btn_openOutputFile = QRect(blockLeft + 22, y + 29, 16, 16);
    l.btn_showOutputFile = QRect(blockLeft + 44, y + 29, 16, 16);
    l.conversionProgress = QRect(blockLeft + 68, y + 34, block - 68, 6);
    const int textLeft = l.sourceIcon.right() + 11;
    const int textWidth = std::max(40, blockLeft - 10 - textLeft);
    l.sourceTitle = QRect(textLeft, y + 7, textWidth, 20);
    l.sourceInfo = QRect(textLeft, y + 27, textWidth, 18);
    return l;
}

KXSourceTableCellView::Contents KXSourceTableCellView::contentsOfItem(KXSourceFileItem& item) {
    Contents c;
    c.sourceIcon = item.sourceFileIcon();
    c.sourceTitle = q(kx::pathFileName(item.sourcePath()));
    c.sourceInfo = q(item.sourceInfo());
    c.outputIcon = item.outputFileIcon();
    c.outputEnabled = item.outputFileIconEnable();
    c.conversionInfo = q(item.conversionOptions());
    const std::string status = item.conversionStatus();
    c.conversionIcon = status == "Ready"     ? "POI_History"
                       : status == "Success" ? "pwdguard_success_status_icon"
                                             : "pwdguard_failed_status_icon";
    return c;
}

void KXSourceTableCellView::setItemData(const std::shared_ptr<KXSourceFileItem>& item) {
    if (item) contents_[item.get()] = contentsOfItem(*item);
}

void KXSourceTableCellView::forgetItem(const KXSourceFileItem* item) { contents_.erase(item); }

const KXSourceTableCellView::Contents& KXSourceTableCellView::contents(const std::shared_ptr<KXSourceFileItem>& item) {
    auto it = contents_.find(item.get());
    if (it == contents_.end()) it = contents_.emplace(item.get(), contentsOfItem(*item)).first;
    return it->second;
}

void KXSourceTableCellView::resetBeforeConversion(const std::shared_ptr<KXSourceFileItem>& item) {
    item->setOutputPath({});
    forgetItem(item.get());
}

QSize KXSourceTableCellView::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(option.rect.width(), rowHeight);
}

void KXSourceTableCellView::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    auto item = itemAtRow ? itemAtRow(index.row()) : nullptr;
    if (!item) return;
    const RowState state = rowState ? rowState(index.row()) : RowState{};
    const Contents& c = const_cast<KXSourceTableCellView*>(this)->contents(item);
    const bool dark = KXAppearance::isDarkMode(option.widget);
    const qreal ratio = painter->device()->devicePixelRatioF();
    const QRect row = option.rect;
    const Layout l = layoutForRow(row);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state & QStyle::State_Selected;
    KXHoverTableRowView::drawBackgroundInRect(*painter, row, state.mouseInside, option.palette);
    if (selected) KXHoverTableRowView::drawSelectionInRect(*painter, row, option.palette);
    KXHoverTableRowView::drawSeparatorInRect(*painter, row);

    const KXHoverTableRowView::Colors colors = KXHoverTableRowView::colorsForRow(option.palette, selected);
    const QColor& text = colors.text;
    const QColor& secondary = colors.secondaryText;

    drawImage(painter, c.sourceIcon, l.sourceIcon, ratio);
    QFont titleFont = option.font;
    titleFont.setPixelSize(13);
    titleFont.setWeight(QFont::DemiBold);
    painter->setFont(titleFont);
    painter->setPen(text);
    painter->drawText(l.sourceTitle, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(titleFont).elidedText(c.sourceTitle, Qt::ElideMiddle, l.sourceTitle.width()));
    QFont smallFont = option.font;
    smallFont.setPixelSize(11);
    painter->setFont(smallFont);
    painter->setPen(secondary);
    painter->drawText(l.sourceInfo, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(smallFont).elidedText(c.sourceInfo, Qt::ElideRight, l.sourceInfo.width()));

    if (state.showsProgress) {
        drawSpinner(painter, l.conversionLoading, state.spinnerPhase, secondary);
        drawProgress(painter, l.conversionProgress, state.progress, dark);
    } else {
        drawImage(painter, c.conversionIcon, l.conversionIcon, ratio);
    }
    drawImage(painter, "btn_open", l.btn_openOutputFile, ratio, 1.0, colors.ink);
    drawImage(painter, "btn_reveal", l.btn_showOutputFile, ratio, 1.0, colors.ink);
    painter->setFont(smallFont);
    painter->setPen(text);
    painter->drawText(l.conversionInfo, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(smallFont).elidedText(c.conversionInfo, Qt::ElideRight, l.conversionInfo.width()));
    drawImage(painter, c.outputIcon, l.outputIcon, ratio, c.outputEnabled ? 1.0 : 0.75);
    if (state.mouseInside) drawImage(painter, "btn_remove", l.btn_remove, ratio, 1.0, colors.ink);
    painter->restore();
}

bool KXSourceTableCellView::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    auto item = itemAtRow ? itemAtRow(index.row()) : nullptr;
    if (!item) return false;
    const RowState state = rowState ? rowState(index.row()) : RowState{};
    const Layout l = layoutForRow(option.rect);
    const QPoint at = mouse->position().toPoint();
    const Contents& c = contents(item);
    if (state.mouseInside && l.btn_remove.contains(at)) {
        emit KXSourceTableCellViewDidPressRemove(item);
        return true;
    }
    if (l.sourceIcon.contains(at)) {
        KXWorkspace::openFile(q(item->sourcePath()));
        return true;
    }
    // The output icon is a button only while a file stands at the output path. The two buttons beside
    // the status are always there and hand the item's output path to the workspace as it stands.
    const bool onOutputIcon = c.outputEnabled && l.outputIcon.contains(at);
    const bool onOpen = l.btn_openOutputFile.contains(at), onShow = l.btn_showOutputFile.contains(at);
    if (!onOutputIcon && !onOpen && !onShow) return false;
    if (onShow) KXWorkspace::selectFile(q(item->outputPath()));
    else KXWorkspace::openFile(q(item->outputPath()));
    return true;
}
