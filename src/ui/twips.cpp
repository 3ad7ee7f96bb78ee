#include "ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace fambridge {

double twipsPerPixel(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

int twipsToPixels(double twips, double twipsPerPixel) {
    return int(std::lround(twips / twipsPerPixel));
}

QRect twipsToPixels(double left, double top, double width, double height, double twipsPerPixel) {
    const int x = twipsToPixels(left, twipsPerPixel);
    const int y = twipsToPixels(top, twipsPerPixel);
    // Right and bottom edges are rounded on their own, so that neighbouring controls never overlap or gap.
    return QRect(x, y, twipsToPixels(left + width, twipsPerPixel) - x,
                 twipsToPixels(top + height, twipsPerPixel) - y);
}

} // namespace fambridge
