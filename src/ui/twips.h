#pragma once

#include <QRect>

class QWidget;

namespace fambridge {

// Twips per pixel of the screen a widget is on: 1440 twips make an inch, so 15 at 96 DPI.
double twipsPerPixel(const QWidget* widget);
int twipsToPixels(double twips, double twipsPerPixel);
QRect twipsToPixels(double left, double top, double width, double height, double twipsPerPixel);

} // namespace fambridge
