#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <Qt>

#include <initializer_list>

namespace fambridge {

inline const QString kMainFormCaption = QStringLiteral("Famlore Conversion Utility");

// Both windows have a fixed frame with a caption and a close box, and nothing else in it.
inline constexpr Qt::WindowFlags kFixedFrame = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// The design's font: the platform's ordinary sans-serif at 8 points, shared by every control of a window.
inline QFont designFont() {
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Tab leads from each widget to the next, in the design's tab order.
inline void orderTabs(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace fambridge
