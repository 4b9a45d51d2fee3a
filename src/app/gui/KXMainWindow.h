#pragma once
// The main window. Closing it ends the application (there is no dock to bring it back from).

#include <QMainWindow>

class KXMainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit KXMainWindow(QWidget* parent = nullptr);

signals:
    void closed();
    // The palette changed, and with it possibly the appearance (light or dark).
    void appearanceChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
};
