#pragma once
// A button made of images: one per state (normal, hover, pressed, disabled), each with a variant for
// the dark appearance, and a title drawn over the image. The click completes on a release over the
// enabled button. The window's Convert button is one.

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

class KXImageButton : public QWidget {
    Q_OBJECT

public:
    explicit KXImageButton(QWidget* parent = nullptr);

    bool mouseInside() const { return mouseInside_; }
    void setMouseInside(bool inside);
    bool mouseDown() const { return mouseDown_; }
    void setMouseDown(bool down);
    bool enable() const { return enable_; }
    void setEnable(bool enable);

    void setNormalImage(QPixmap image) { normalImage_ = std::move(image); }
    void setDisableImage(QPixmap image) { disableImage_ = std::move(image); }
    void setMouseDownImage(QPixmap image) { mouseDownImage_ = std::move(image); }
    void setMouseInImage(QPixmap image) { mouseInImage_ = std::move(image); }
    void setNormalImage_dark(QPixmap image) { normalImage_dark_ = std::move(image); }
    void setDisableImage_dark(QPixmap image) { disableImage_dark_ = std::move(image); }
    void setMouseDownImage_dark(QPixmap image) { mouseDownImage_dark_ = std::move(image); }
    void setMouseInImage_dark(QPixmap image) { mouseInImage_dark_ = std::move(image); }

    const QString& buttonTitle() const { return buttonTitle_; }
    void setButtonTitle(QString title) { buttonTitle_ = std::move(title); }
    // The title colour in the light appearance; invalid means white.
    void setButtonTitleColor(QColor color) { buttonTitleColor_ = color; }
    // How far right of the image's left edge the title starts.
    void setButtonTitleLeftMargin(double margin) { buttonTitleLeftMargin_ = margin; }
    // Draw the image over the whole button (instead of at its own size at the bottom left).
    void setScalesImageToBounds(bool scales) { scalesImageToBounds_ = scales; }

    // The image drawn in the current state and appearance (null when none), and the opacity the
    // button is drawn with.
    const QPixmap* imageForCurrentState(bool dark) const;
    double alphaValue() const { return alphaValue_; }
    // Where the image and the title go (widget coordinates, y down), and the title's font size.
    QRectF imageRect(const QPixmap& image) const;
    static double titleFontSize(const QRectF& imageRect);
    QRectF titleRect(const QRectF& imageRect) const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void drawImage(QPainter& painter, const QPixmap& image, bool isLight);

    bool mouseInside_ = false;
    bool mouseDown_ = false;
    QPixmap normalImage_, disableImage_, mouseDownImage_, mouseInImage_;
    QPixmap normalImage_dark_, disableImage_dark_, mouseDownImage_dark_, mouseInImage_dark_;
    bool enable_ = true;
    QString buttonTitle_;
    QColor buttonTitleColor_;
    double buttonTitleLeftMargin_ = 0.0;
    bool scalesImageToBounds_ = false;
    mutable double alphaValue_ = 1.0;
};
