#pragma once
// Whether the desktop shows the dark appearance: read from the lightness of the application's window
// colour (the desktop's colour scheme reaches Qt through the palette).

class QWidget;

class KXAppearance {
public:
    static bool isDarkMode(const QWidget* widget = nullptr);
};
