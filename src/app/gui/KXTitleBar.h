#pragma once
// A strip with an orange gradient and the application's name, painted across the top of the view
// as high as its window's title bar (nothing when the window has none).

#include <QWidget>

class KXTitleBar : public QWidget {
    Q_OBJECT

public:
    explicit KXTitleBar(QWidget* parent = nullptr);

    // The height of the window's title bar: the frame's height less the window's own.
    int titleHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
