#pragma once
// The about window: the application's mark, name, version and licence.

#include <QWidget>

class KXAboutWindowController : public QWidget {
    Q_OBJECT

public:
    static KXAboutWindowController& sharedInstance();
    static void releaseSharedInstance();

    explicit KXAboutWindowController(QWidget* parent = nullptr);
    void showWindow();
};
