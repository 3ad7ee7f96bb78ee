#include "ui/form_layout.h"

#include "ui/twips.h"

#include <QWidget>

namespace fambridge {

FormLayout::FormLayout(QWidget& window, double twipsPerPixel)
    : m_window(window), m_twipsPerPixel(twipsPerPixel) {}

WidgetControl* FormLayout::addWidget(QWidget* widget, float left, float top, float width, float height,
                                     bool comboBox) {
    auto control = std::make_unique<WidgetControl>(widget, m_twipsPerPixel, comboBox);
    control->Move(left, top, width, height);
    m_controls.push_back(control.get());
    m_widgetControls.push_back(std::move(control));
    return m_widgetControls.back().get();
}

void FormLayout::nameButton(ButtonArray array, int index, const QWidget* widget) {
    for (const auto& control : m_widgetControls)
        if (control->widget() == widget)
            m_buttons[{array, index}] = control.get();
}

QMargins FormLayout::frameMargins() const {
    // Until the window manager has framed the window its frame is unknown; the usual fixed dialog frame
    // of Windows stands in for it: 3 pixels of border, and 22 above, caption included.
    const QRect frame = m_window.frameGeometry();
    const QRect client = m_window.geometry();
    if (!m_window.testAttribute(Qt::WA_WState_Created) || !m_window.isVisible() || frame == client)
        return QMargins(3, 22, 3, 3);
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

std::optional<float> FormLayout::Width() const {
    if (m_window.size() == m_movedClientSize)
        return m_frame[2];
    const QMargins frame = frameMargins();
    return float((m_window.width() + frame.left() + frame.right()) * m_twipsPerPixel);
}

std::optional<float> FormLayout::Height() const {
    if (m_window.size() == m_movedClientSize)
        return m_frame[3];
    const QMargins frame = frameMargins();
    return float((m_window.height() + frame.top() + frame.bottom()) * m_twipsPerPixel);
}

bool FormLayout::Move(float left, float top, float width, float height) {
    const QMargins frame = frameMargins();
    const QRect outer = twipsToPixels(left, top, width, height, m_twipsPerPixel);
    const QSize client(outer.width() - frame.left() - frame.right(),
                       outer.height() - frame.top() - frame.bottom());
    if (client.width() <= 0 || client.height() <= 0 || client.width() > QWIDGETSIZE_MAX ||
        client.height() > QWIDGETSIZE_MAX)
        return false;
    m_frame[0] = left;
    m_frame[1] = top;
    m_frame[2] = width;
    m_frame[3] = height;
    m_movedClientSize = client;
    m_window.move(outer.topLeft());
    // The user cannot drag the frame; only the program sizes the window.
    m_window.setFixedSize(client);
    return true;
}

ScaledControl* FormLayout::button(ButtonArray array, int index) {
    const auto found = m_buttons.find({array, index});
    return found == m_buttons.end() ? nullptr : found->second;
}

ScaledControl* FormLayout::line(SeparatorLine which) {
    const auto found = m_lines.find(which);
    return found == m_lines.end() ? nullptr : found->second;
}

} // namespace fambridge
