#include "app/gui/KXNamedImages.h"

#include <QFont>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <map>

namespace {

struct DocumentLook {
    const char* label;
    QColor band;
};

// The document icons: a sheet with a folded corner and a coloured band that names the format.
const std::map<std::string, DocumentLook>& documentLooks() {
    static const std::map<std::string, DocumentLook> looks = {
        {"icon_pdf", {"PDF", QColor(0xd9, 0x3a, 0x2b)}},     {"icon_pdf_pw", {"PDF", QColor(0xd9, 0x3a, 0x2b)}},
        {"icon_unknown", {"?", QColor(0x8a, 0x8f, 0x98)}},   {"icon_docx", {"DOCX", QColor(0x2b, 0x5f, 0xc4)}},
        {"icon_pptx", {"PPTX", QColor(0xd2, 0x5b, 0x1f)}},   {"icon_xlsx", {"XLSX", QColor(0x1f, 0x8a, 0x4c)}},
        {"icon_csv", {"CSV", QColor(0x14, 0x8f, 0x86)}},     {"icon_txt", {"TXT", QColor(0x5d, 0x66, 0x73)}},
        {"icon_rtf", {"RTF", QColor(0x7a, 0x4d, 0xc2)}},     {"icon_html", {"HTML", QColor(0xe0, 0x8e, 0x0b)}},
        {"icon_image", {"IMG", QColor(0xc2, 0x3b, 0x8c)}},   {"icon_jpeg", {"JPEG", QColor(0xc2, 0x3b, 0x8c)}},
        {"icon_png", {"PNG", QColor(0xb0, 0x3f, 0xa6)}},     {"icon_bmp", {"BMP", QColor(0x9c, 0x44, 0xb8)}},
        {"icon_gif", {"GIF", QColor(0xd1, 0x4a, 0x6f)}},     {"icon_tiff", {"TIFF", QColor(0x8e, 0x3f, 0x9e)}},
        {"icon_tga", {"TGA", QColor(0xa8, 0x3e, 0x7e)}},     {"icon_j2k", {"JP2", QColor(0x7f, 0x3a, 0xa8)}},
    };
    return looks;
}

void drawDocument(QPainter& p, const QRectF& box, const DocumentLook& look, bool locked, bool picture) {
    // A sheet of ratio 4:5 centred in the box.
    const qreal h = std::min(box.height(), box.width() * 1.25) * 0.96;
    const qreal w = h * 0.8;
    const QRectF sheet(box.center().x() - w / 2, box.center().y() - h / 2, w, h);
    const qreal fold = w * 0.28;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    p.setPen(QPen(QColor(0, 0, 0, 60), std::max<qreal>(1.0, w / 40)));
    p.setBrush(QColor(0xfb, 0xfb, 0xfc));
    p.drawPath(outline);
    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    corner.closeSubpath();
    p.setBrush(QColor(0xdd, 0xe0, 0xe6));
    p.drawPath(corner);

    // Lines of "text", or a small landscape for the image formats.
    p.setPen(Qt::NoPen);
    const QRectF body(sheet.left() + w * 0.16, sheet.top() + h * 0.2, w * 0.62, h * 0.34);
    if (picture) {
        p.setBrush(look.band.lighter(170));
        p.drawRect(body);
        QPainterPath hill;
        hill.moveTo(body.bottomLeft());
        hill.lineTo(body.left() + body.width() * 0.4, body.top() + body.height() * 0.35);
        hill.lineTo(body.left() + body.width() * 0.65, body.top() + body.height() * 0.7);
        hill.lineTo(body.left() + body.width() * 0.8, body.top() + body.height() * 0.5);
        hill.lineTo(body.bottomRight());
        hill.closeSubpath();
        p.setBrush(look.band);
        p.drawPath(hill);
    } else {
        p.setBrush(QColor(0xc6, 0xcb, 0xd3));
        for (int i = 0; i < 4; ++i) {
            const qreal lw = i == 3 ? body.width() * 0.6 : body.width();
            p.drawRoundedRect(QRectF(body.left(), body.top() + i * body.height() / 4, lw, body.height() / 9), 1, 1);
        }
    }

    // The band with the format's name.
    const QRectF band(sheet.left() - w * 0.06, sheet.top() + h * 0.62, w * 0.86, h * 0.24);
    p.setBrush(look.band);
    p.drawRoundedRect(band, band.height() * 0.18, band.height() * 0.18);
    QFont font;
    font.setBold(true);
    const QString label = QString::fromLatin1(look.label);
    font.setPixelSize(std::max(5, int(band.height() * (label.size() > 3 ? 0.58 : 0.66))));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(band, Qt::AlignCenter, label);

    if (locked) {
        // A padlock over the lower right corner.
        const qreal s = w * 0.46;
        const QRectF lockBody(sheet.right() - s * 0.78, sheet.bottom() - s * 0.62, s * 0.78, s * 0.56);
        p.setPen(QPen(QColor(0x44, 0x48, 0x50), std::max<qreal>(1.2, s / 9)));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(lockBody.left() + s * 0.16, lockBody.top() - s * 0.36, s * 0.46, s * 0.6), 0, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf2, 0xb1, 0x1a));
        p.drawRoundedRect(lockBody, s * 0.08, s * 0.08);
        p.setBrush(QColor(0x44, 0x48, 0x50));
        p.drawEllipse(QPointF(lockBody.center().x(), lockBody.center().y() - s * 0.04), s * 0.07, s * 0.07);
    }
}

// The big Convert and Cancel buttons: a rounded bar with a glyph at its left; pressed is darker,
// hover lighter.
void drawActionButton(QPainter& p, const QRectF& box, QColor base, bool cancel, int state) {
    if (state == 1) base = base.darker(118);
    if (state == 2) base = base.lighter(112);
    const QRectF bar = box.adjusted(1, 1, -1, -1);
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0, base.lighter(115));
    fill.setColorAt(1, base.darker(108));
    p.setPen(QPen(base.darker(130), 1));
    p.setBrush(fill);
    const qreal r = bar.height() * 0.22;
    p.drawRoundedRect(bar, r, r);
    // The glyph: two arrows turning (convert) or a cross (cancel), in a circle at the left.
    const qreal d = bar.height() * 0.56;
    const QRectF circle(bar.left() + bar.height() * 0.26, bar.center().y() - d / 2, d, d);
    p.setPen(QPen(QColor(255, 255, 255, 230), std::max<qreal>(1.5, d / 9), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (cancel) {
        const qreal k = d * 0.24;
        p.drawLine(circle.center() + QPointF(-k, -k), circle.center() + QPointF(k, k));
        p.drawLine(circle.center() + QPointF(-k, k), circle.center() + QPointF(k, -k));
        p.drawEllipse(circle);
    } else {
        const QRectF ring = circle.adjusted(d * 0.12, d * 0.12, -d * 0.12, -d * 0.12);
        p.drawArc(ring, 30 * 16, 150 * 16);
        p.drawArc(ring, 210 * 16, 150 * 16);
        const qreal a = d * 0.16;
        const QPointF tip1(ring.right(), ring.center().y() - ring.height() * 0.05);
        p.drawLine(tip1, tip1 + QPointF(-a, -a));
        p.drawLine(tip1, tip1 + QPointF(a, -a));
        const QPointF tip2(ring.left(), ring.center().y() + ring.height() * 0.05);
        p.drawLine(tip2, tip2 + QPointF(-a, a));
        p.drawLine(tip2, tip2 + QPointF(a, a));
    }
}

void drawStatus(QPainter& p, const QRectF& box, const std::string& name) {
    const qreal d = std::min(box.width(), box.height()) * 0.9;
    const QRectF circle(box.center().x() - d / 2, box.center().y() - d / 2, d, d);
    QColor fill = name == "pwdguard_success_status_icon"  ? QColor(0x2e, 0xa0, 0x4f)
                  : name == "pwdguard_failed_status_icon" ? QColor(0xd6, 0x3b, 0x30)
                                                          : QColor(0x8d, 0x95, 0xa1);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawEllipse(circle);
    p.setPen(QPen(Qt::white, std::max<qreal>(1.4, d / 9), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = circle.center();
    const qreal k = d * 0.22;
    if (name == "pwdguard_success_status_icon") {
        QPainterPath tick;
        tick.moveTo(c + QPointF(-k, 0));
        tick.lineTo(c + QPointF(-k * 0.25, k * 0.8));
        tick.lineTo(c + QPointF(k * 1.1, -k * 0.8));
        p.drawPath(tick);
    } else if (name == "pwdguard_failed_status_icon") {
        p.drawLine(c + QPointF(-k, -k), c + QPointF(k, k));
        p.drawLine(c + QPointF(-k, k), c + QPointF(k, -k));
    } else {
        // A clock: waiting for its turn.
        p.drawLine(c, c + QPointF(0, -k * 1.2));
        p.drawLine(c, c + QPointF(k * 0.9, 0));
    }
}

// The row buttons, drawn in one ink; the cross of the remove button is cut out of its disc, so the
// row shows through it.
void drawSmallButton(QPainter& p, const QRectF& box, const std::string& name, QColor ink) {
    const qreal d = std::min(box.width(), box.height());
    const QRectF r(box.center().x() - d / 2, box.center().y() - d / 2, d, d);
    const QPointF c = r.center();
    if (name == "btn_remove") {
        p.setPen(Qt::NoPen);
        p.setBrush(ink.isValid() ? ink : QColor(0x70, 0x76, 0x80));
        p.drawEllipse(r.adjusted(d * 0.06, d * 0.06, -d * 0.06, -d * 0.06));
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setPen(QPen(Qt::black, std::max<qreal>(1.3, d / 9), Qt::SolidLine, Qt::RoundCap));
        const qreal k = d * 0.2;
        p.drawLine(c + QPointF(-k, -k), c + QPointF(k, k));
        p.drawLine(c + QPointF(-k, k), c + QPointF(k, -k));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    if (!ink.isValid()) ink = QColor(0x4a, 0x55, 0x66);
    p.setPen(QPen(ink, std::max<qreal>(1.2, d / 11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (name == "btn_reveal") {
        // A magnifier.
        const qreal rr = d * 0.26;
        p.drawEllipse(c + QPointF(-d * 0.08, -d * 0.08), rr, rr);
        p.drawLine(c + QPointF(d * 0.1, d * 0.1), c + QPointF(d * 0.34, d * 0.34));
    } else {
        // An arrow out of a box: open.
        const qreal k = d * 0.3;
        p.drawRoundedRect(QRectF(c.x() - k, c.y() - k, 2 * k, 2 * k), d * 0.06, d * 0.06);
        p.drawLine(c, c + QPointF(k * 1.2, -k * 1.2));
        p.drawLine(c + QPointF(k * 1.2, -k * 1.2), c + QPointF(k * 0.45, -k * 1.2));
        p.drawLine(c + QPointF(k * 1.2, -k * 1.2), c + QPointF(k * 1.2, -k * 0.45));
    }
}

// The placeholder of the preview when no file is selected: an eye.
void drawEye(QPainter& p, const QRectF& box) {
    const qreal w = std::min(box.width(), box.height() * 2.0) * 0.5;
    const QPointF c = box.center();
    QPainterPath eye;
    eye.moveTo(c + QPointF(-w / 2, 0));
    eye.quadTo(c + QPointF(0, -w * 0.42), c + QPointF(w / 2, 0));
    eye.quadTo(c + QPointF(0, w * 0.42), c + QPointF(-w / 2, 0));
    p.setPen(QPen(QColor(0xb4, 0xba, 0xc4), std::max<qreal>(1.5, w / 28)));
    p.setBrush(QColor(0xf2, 0xf4, 0xf7));
    p.drawPath(eye);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb4, 0xba, 0xc4));
    p.drawEllipse(c, w * 0.14, w * 0.14);
}

// The application's own mark: a page turning into a coloured sheet.
void drawAppIcon(QPainter& p, const QRectF& box) {
    const qreal d = std::min(box.width(), box.height());
    const QRectF r(box.center().x() - d / 2, box.center().y() - d / 2, d, d);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0xf0, 0xa2, 0x1a));
    g.setColorAt(1, QColor(0xc2, 0x5e, 0x0c));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(d * 0.04, d * 0.04, -d * 0.04, -d * 0.04), d * 0.2, d * 0.2);
    drawDocument(p, r.adjusted(d * 0.16, d * 0.14, -d * 0.16, -d * 0.14), {"DV", QColor(0x2b, 0x5f, 0xc4)}, false, false);
}

bool isActionButton(const std::string& name) { return name.rfind("btn-convert", 0) == 0 || name.rfind("btn-cancel", 0) == 0; }
bool isStatus(const std::string& name) {
    return name == "POI_History" || name == "pwdguard_success_status_icon" || name == "pwdguard_failed_status_icon";
}
bool isSmallButton(const std::string& name) { return name == "btn_remove" || name == "btn_open" || name == "btn_reveal"; }

}  // namespace

bool KXNamedImages::exists(const std::string& name) {
    return documentLooks().count(name) || isActionButton(name) || isStatus(name) || isSmallButton(name) ||
           name == "default-eye" || name == "docuvane";
}

QSize KXNamedImages::naturalSize(const std::string& name) {
    if (isActionButton(name)) return {200, 40};
    if (isStatus(name) || isSmallButton(name)) return {16, 16};
    if (name == "default-eye") return {400, 220};
    return {64, 64};
}

QPixmap KXNamedImages::image(const std::string& name, QSize size, qreal devicePixelRatio) {
    return image(name, size, devicePixelRatio, QColor());
}

QPixmap KXNamedImages::image(const std::string& name, QSize size, qreal devicePixelRatio, const QColor& ink) {
    if (!exists(name) || size.isEmpty()) return {};
    static QHash<QString, QPixmap> cache;
    const QString key = QString::fromStdString(name) +
                        QString("@%1x%2x%3").arg(size.width()).arg(size.height()).arg(devicePixelRatio) +
                        (ink.isValid() && isSmallButton(name) ? ink.name(QColor::HexArgb) : QString());
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;

    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(QPointF(0, 0), QSizeF(size));
    if (auto it = documentLooks().find(name); it != documentLooks().end()) {
        const bool picture = name != "icon_image" && name.rfind("icon_", 0) == 0 &&
                             (name == "icon_jpeg" || name == "icon_png" || name == "icon_bmp" || name == "icon_gif" ||
                              name == "icon_tiff" || name == "icon_tga" || name == "icon_j2k");
        drawDocument(p, box, it->second, name == "icon_pdf_pw", picture || name == "icon_image");
    } else if (isActionButton(name)) {
        const bool cancel = name.rfind("btn-cancel", 0) == 0;
        const int state = name.find("-down") != std::string::npos ? 1 : name.find("-hover") != std::string::npos ? 2 : 0;
        drawActionButton(p, box, cancel ? QColor(0xd4, 0x53, 0x3b) : QColor(0x2f, 0x7b, 0xe0), cancel, state);
    } else if (isStatus(name)) {
        drawStatus(p, box, name);
    } else if (isSmallButton(name)) {
        drawSmallButton(p, box, name, ink);
    } else if (name == "default-eye") {
        drawEye(p, box);
    } else if (name == "docuvane") {
        drawAppIcon(p, box);
    }
    p.end();
    cache.insert(key, pixmap);
    return pixmap;
}

QIcon KXNamedImages::icon(const std::string& name) {
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(image(name, QSize(s, s), 1.0));
        icon.addPixmap(image(name, QSize(s, s), 2.0));
    }
    return icon;
}
