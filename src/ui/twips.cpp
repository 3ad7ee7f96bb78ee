#include "ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace fambridge {

namespace {
constexpr double kUsualDotsPerInch = 96.0;
}

double twipsPerPixel(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : kUsualDotsPerInch;
    return kTwipsPerInch / (dpi > 0 ? dpi : kUsualDotsPerInch);
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

ScreenMetrics screenMetrics(const QWidget* widget) {
    const QScreen* screen = widget->screen();
    ScreenMetrics metrics;
    if (!screen)
        return metrics;
    const double dotsPerInchX = screen->logicalDotsPerInchX();
    const double dotsPerInchY = screen->logicalDotsPerInchY();
    metrics.twipsPerPixelX = float(kTwipsPerInch / dotsPerInchX);
    metrics.twipsPerPixelY = float(kTwipsPerInch / dotsPerInchY);
    metrics.widthTwips = float(screen->size().width() * kTwipsPerInch / dotsPerInchX);
    metrics.heightTwips = float(screen->size().height() * kTwipsPerInch / dotsPerInchY);
    return metrics;
}

} // namespace fambridge
