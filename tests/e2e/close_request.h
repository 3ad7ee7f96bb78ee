#pragma once

#include <string>

namespace fambridge::e2e {

// Asks a top-level window to close as a window manager does when the user presses the window's close
// box: with a WM_DELETE_WINDOW message, and only if the window says that it takes one (a manager would
// otherwise kill the whole client). Returns an error text, empty when the request was sent.
// Kept apart from Qt: the X headers define names (Status, None, Bool) that clash with it.
std::string requestWindowClose(const std::string& display, unsigned long window);

} // namespace fambridge::e2e
