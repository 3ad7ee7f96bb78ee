#include "ui/widget_control.h"

#include "ui/twips.h"

#include <QWidget>

namespace fambridge {

WidgetControl::WidgetControl(QWidget* widget, double twipsPerPixel, bool comboBox)
    : m_widget(widget), m_twipsPerPixel(twipsPerPixel), m_comboBox(comboBox),
      m_fontSize(float(widget->font().pointSizeF())), m_designFontSize(m_fontSize) {}

bool WidgetControl::setLeft(float left) {
    m_left = left;
    applyGeometry();
    return true;
}

bool WidgetControl::setTop(float top) {
    m_top = top;
    applyGeometry();
    return true;
}

bool WidgetControl::setWidth(float width) {
    m_width = width;
    applyGeometry();
    return true;
}

bool WidgetControl::Move(float left, float top, float width, float height) {
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
    return true;
}

bool WidgetControl::setFontSize(float points) {
    // Qt refuses sizes that are not positive; so does the scaler's unit, which then leaves the font alone.
    if (!(points > 0))
        return false;
    QFont font = m_widget->font();
    font.setPointSizeF(points);
    m_widget->setFont(font);
    m_fontSize = points;
    if (m_comboBox)
        applyGeometry();
    return true;
}

void WidgetControl::applyGeometry() {
    // A drop-down list is as tall as its font makes it: its Height is never scaled, yet it grows with
    // the font as Windows' combo box did.
    const float height =
        m_comboBox && m_designFontSize > 0 ? m_height * m_fontSize / m_designFontSize : m_height;
    m_widget->setGeometry(twipsToPixels(m_left, m_top, m_width, height, m_twipsPerPixel));
}

} // namespace fambridge
