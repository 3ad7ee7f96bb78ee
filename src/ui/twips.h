#pragma once

#include "layout/window_sizing.h"

#include <QRect>

class QWidget;

namespace fambridge {

inline constexpr double kTwipsPerInch = 1440.0;

// Twips per pixel of the screen a widget is on: 15 at 96 DPI.
double twipsPerPixel(const QWidget* widget);
int twipsToPixels(double twips, double twipsPerPixel);
QRect twipsToPixels(double left, double top, double width, double height, double twipsPerPixel);

// The screen a widget is on, as the window sizing measures it; zero sizes when there is no screen.
ScreenMetrics screenMetrics(const QWidget* widget);

} // namespace fambridge
