#pragma once

#include "layout/control_model.h"
#include "layout/layout_outcome.h"

namespace fambridge {

// Scales every control of the main window by kx horizontally and ky vertically and its font by their
// mean kf; while FirstLayout is true it also moves and sizes the window itself; then it lays the three
// separator lines across the window between the button rows.
//
// Only computing kf can fail (factors near the single-precision limit): then nothing is changed and the
// outcome names LayoutStep::FontFactor. After that every failing unit (a missing property, a refused value,
// an overflow) is skipped and the rest goes on, and the outcome is ok.
LayoutOutcome ResizeControls(float kx, float ky, MainFormLayout& window, bool FirstLayout);

} // namespace fambridge
