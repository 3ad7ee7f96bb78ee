#pragma once

#include "layout/control_model.h"
#include "layout/layout_outcome.h"

#include <QtGlobal>

namespace fambridge {

// The screen the main window is laid out for, in pixels.
inline constexpr qint16 kDesignScreenWidthPx = 800;
inline constexpr qint16 kDesignScreenHeightPx = 600;

// The screen as the platform reports it. Twips per pixel is twips per inch / logical DPI and may have a
// fraction.
struct ScreenMetrics {
    float twipsPerPixelX = 15;
    float twipsPerPixelY = 15;
    float widthTwips = 0;
    float heightTwips = 0;
};

// The layout module's public variables. Only the window sizing writes them and only the sizing and the
// control scaler read them, so they live here rather than in the AppState.
struct ResizeState {
    qint16 TwipsPerPixelX = 0;
    qint16 TwipsPerPixelY = 0;
    qint16 ScreenWidthPx = 0;
    qint16 ScreenHeightPx = 0;
    bool FirstLayout = false;
    bool ResizeArmed = false;
};

// MainForm's own sizing variables, in declaration order.
struct MainFormSizes {
    qint32 LastHeight = 0;
    qint32 LastWidth = 0;
    qint16 DesignWidth = 0;
    qint16 DesignHeight = 0;
};

// The main window's load and size-change handlers: scale the window from the 800 x 600 pixel design
// screen to the actual screen once, then keep the controls in proportion to the window's size.
class WindowSizing {
public:
    // Stops at the first step that faults and says which; the steps before it keep their effect.
    LayoutOutcome Form_Load(const ScreenMetrics& screen, MainFormLayout& window);
    // For every size-change notification. The first one after Form_Load only arms the handler, since
    // Form_Load's own window move may deliver it before the window's size has been stored.
    LayoutOutcome Form_Resize(MainFormLayout& window);

    const MainFormSizes& sizes() const { return m_sizes; }
    const ResizeState& resizeState() const { return m_state; }

private:
    LayoutOutcome storeLastSizes(const MainFormLayout& window);

    ResizeState m_state;
    MainFormSizes m_sizes;
};

} // namespace fambridge
