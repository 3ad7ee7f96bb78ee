#include "layout/layout_outcome.h"

namespace fambridge {

namespace {

QString stepName(LayoutStep step) {
    switch (step) {
    case LayoutStep::TwipsPerPixelX:
        return QStringLiteral("TwipsPerPixelX");
    case LayoutStep::TwipsPerPixelY:
        return QStringLiteral("TwipsPerPixelY");
    case LayoutStep::ScreenHeightPx:
        return QStringLiteral("ScreenHeightPx");
    case LayoutStep::ScreenWidthPx:
        return QStringLiteral("ScreenWidthPx");
    case LayoutStep::HorizontalFactor:
        return QStringLiteral("horizontal factor");
    case LayoutStep::VerticalFactor:
        return QStringLiteral("vertical factor");
    case LayoutStep::FontFactor:
        return QStringLiteral("font factor");
    case LayoutStep::LastHeight:
        return QStringLiteral("LastHeight");
    case LayoutStep::LastWidth:
        return QStringLiteral("LastWidth");
    }
    return {};
}

QString faultName(LayoutFault fault) {
    switch (fault) {
    case LayoutFault::FloatingPoint:
        return QStringLiteral("floating-point fault");
    case LayoutFault::IntegerOverflow:
        return QStringLiteral("integer overflow");
    case LayoutFault::MissingProperty:
        return QStringLiteral("window size not available");
    }
    return {};
}

} // namespace

QString describe(const LayoutFailure& failure) {
    return stepName(failure.step) + QStringLiteral(": ") + faultName(failure.fault);
}

} // namespace fambridge
