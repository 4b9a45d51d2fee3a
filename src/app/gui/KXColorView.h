#pragma once
// A view filled with a linear gradient between two colours at an angle (degrees, 0 from left to
// right, 270 from top to bottom), or flat with the starting colour when the two are equal or there is
// no ending colour.

#include <QColor>
#include <QWidget>

class KXColorView : public QWidget {
    Q_OBJECT

public:
    explicit KXColorView(QWidget* parent = nullptr);

    const QColor& startingColor() const { return startingColor_; }
    void setStartingColor(QColor color);
    const QColor& endingColor() const { return endingColor_; }
    void setEndingColor(QColor color);
    int angle() const { return angle_; }
    void setAngle(int degrees) { angle_ = degrees; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor startingColor_ = QColor::fromRgbF(0.95f, 0.95f, 0.95f);
    QColor endingColor_ = QColor::fromRgbF(0.86f, 0.86f, 0.86f);
    int angle_ = 270;
};
