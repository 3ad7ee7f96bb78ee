#pragma once

namespace fambridge {

// Sets up the drive map, runs start-up, shows the main window and runs the program until it ends.
// Returns the process's exit code.
int Main();

} // namespace fambridge
