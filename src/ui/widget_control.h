#pragma once

#include "layout/control_model.h"

#include <functional>

class QWidget;

namespace fambridge {

// A widget as the control scaler sees it. It keeps the twips and points handed to it exactly, fractions
// included, and rounds to whole pixels only to show them, so that repeated scaling does not drift.
class WidgetControl : public ScaledControl {
public:
    WidgetControl(QWidget* widget, double twipsPerPixel, bool comboBox = false);

    bool isComboBox() const override { return m_comboBox; }
    std::optional<float> Left() const override { return m_left; }
    std::optional<float> Top() const override { return m_top; }
    std::optional<float> Width() const override { return m_width; }
    std::optional<float> Height() const override { return m_height; }
    std::optional<float> FontSize() const override { return m_fontSize; }

    bool setLeft(float left) override;
    bool setTop(float top) override;
    bool setWidth(float width) override;
    bool setFontSize(float points) override;
    bool Move(float left, float top, float width, float height) override;

    QWidget* widget() const { return m_widget; }

private:
    void applyGeometry();

    QWidget* m_widget;
    double m_twipsPerPixel;
    bool m_comboBox;
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
    float m_fontSize = 0;
    float m_designFontSize = 0;
};

// A separator line: its two end points in twips of the window's client area, and nothing else.
class LineControl : public ScaledControl {
public:
    // The window places the line; it is told of every change the scaler makes.
    explicit LineControl(std::function<void()> changed) : m_changed(std::move(changed)) {}

    bool setX1(float value) override { return set(X1, value); }
    bool setY1(float value) override { return set(Y1, value); }
    bool setX2(float value) override { return set(X2, value); }
    bool setY2(float value) override { return set(Y2, value); }

    float X1 = 0;
    float Y1 = 0;
    float X2 = 0;
    float Y2 = 0;

private:
    bool set(float& end, float value) {
        end = value;
        m_changed();
        return true;
    }

    std::function<void()> m_changed;
};

} // namespace fambridge
