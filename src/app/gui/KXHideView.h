#pragma once
// A translucent cover that washes out the views beneath it and swallows left-button clicks, so that
// what it covers cannot be changed.

#include <QWidget>

class KXHideView : public QWidget {
    Q_OBJECT

public:
    explicit KXHideView(QWidget* parent = nullptr);

    // White at 0.9, or black at 0.82 in the dark appearance.
    QColor coverColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
