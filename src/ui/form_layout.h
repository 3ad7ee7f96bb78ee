#pragma once

#include "layout/control_model.h"
#include "ui/widget_control.h"

#include <QMargins>
#include <QSize>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QWidget;

namespace fambridge {

// The main window in twips, as the control scaler and the window sizing see it. The window itself speaks
// Qt's pixels of its client area; this object speaks the design's twips of the outer frame, so that the
// two never share a method name.
class FormLayout : public MainFormLayout {
public:
    FormLayout(QWidget& window, double twipsPerPixel);

    // Adds a widget at its design geometry; the scaler walks controls in the order they are added.
    WidgetControl* addWidget(QWidget* widget, float left, float top, float width, float height,
                             bool comboBox = false);
    // Adds a control the window keeps itself, such as a line.
    void addControl(ScaledControl& control) { m_controls.push_back(&control); }
    // Names an added widget as a member of a button array, for the separator lines.
    void nameButton(ButtonArray array, int index, const QWidget* widget);
    void nameLine(SeparatorLine line, ScaledControl& control) { m_lines[line] = &control; }

    // The frame the window manager gives the window, or the usual Windows frame before it has one.
    QMargins frameMargins() const;

    int controlCount() const override { return int(m_controls.size()); }
    ScaledControl& control(int index) override { return *m_controls.at(std::size_t(index)); }
    std::optional<float> Left() const override { return m_frame[0]; }
    std::optional<float> Top() const override { return m_frame[1]; }
    std::optional<float> Width() const override;
    std::optional<float> Height() const override;
    bool Move(float left, float top, float width, float height) override;
    ScaledControl* button(ButtonArray array, int index) override;
    ScaledControl* line(SeparatorLine line) override;

private:
    QWidget& m_window;
    double m_twipsPerPixel;
    std::vector<ScaledControl*> m_controls;
    std::vector<std::unique_ptr<WidgetControl>> m_widgetControls;
    std::map<std::pair<ButtonArray, int>, ScaledControl*> m_buttons;
    std::map<SeparatorLine, ScaledControl*> m_lines;
    // The outer frame in twips as last moved, and the client size in pixels that move gave, to tell
    // the window's own size from one that something else has changed since.
    float m_frame[4] = {0, 0, 0, 0};
    QSize m_movedClientSize;
};

} // namespace fambridge
