#pragma once
// Whether the desktop shows the dark appearance: read from the lightness of the application's window
// colour (the desktop's colour scheme reaches Qt through the palette).

class QWidget;

class KXAppearance {
public:
    static bool isDarkMode(const QWidget* widget = nullptr);
    // Shows the widget's text as secondary text (captions, hints): the text colour part way to the
    // window colour, readable in both appearances; a pixel size above 0 sets the font size too.
    static void makeSecondary(QWidget* widget, int pixelSize = 0);
};
