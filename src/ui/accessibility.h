#pragma once

namespace fambridge {

// Makes the windows and drop-down lists known to screen readers as Windows would present them: the main
// window as a frame named by its caption, each drop-down list by what it lists. Once per process; later
// calls do nothing.
void installAccessibleInterfaces();

} // namespace fambridge
