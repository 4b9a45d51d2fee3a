#pragma once
// An image view that answers the pointer like a button: a light wash while the pointer is over it, a
// dark one while pressed, and clicked() when the click is released over it.

#include <QPixmap>
#include <QWidget>

class KXImageViewTap : public QWidget {
    Q_OBJECT

public:
    explicit KXImageViewTap(QWidget* parent = nullptr);

    const QPixmap& image() const { return image_; }
    void setImage(QPixmap image);
    bool mouseInside() const { return mouseInside_; }
    void setMouseInside(bool inside);
    bool mouseDown() const { return mouseDown_; }
    void setMouseDown(bool down);

    // The wash over the image: none, white at 0.25 (hover) or black at 0.25 (pressed).
    QColor highlightColor() const;

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
    QPixmap image_;
    bool mouseInside_ = false;
    bool mouseDown_ = false;
};
