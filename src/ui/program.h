#pragma once

#include "layout/window_sizing.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "platform/result.h"
#include "state/app_state.h"
#include "ui/backup_dialog.h"
#include "ui/main_form.h"

#include <optional>

namespace fambridge {

// The program as it runs: the state, the main window that shows it and the user folder dialog that the
// window opens, over one drive map and one starter of converters. The program and its tests build it the
// same way; only what they hand in differs.
class Program {
public:
    // The main window loads, and fits itself to the screen, as it is made; a test may name the screen. The
    // converters are started, and the file dialog shown, through what is handed in.
    Program(platform::FileSystem& fileSystem, platform::ProgramStarter& starter,
            FileDialogRunner& fileDialogs, std::optional<ScreenMetrics> screen = std::nullopt);

    // Start-up: takes the saved choices or finds the user folder, and fills both windows.
    Status start();

    AppState& state() { return m_state; }
    MainForm& mainForm() { return m_mainForm; }
    DeferredBackupDialog& backupDialog() { return m_backupDialog; }

private:
    platform::FileSystem& m_fileSystem;
    AppState m_state;
    MainForm m_mainForm;
    DeferredBackupDialog m_backupDialog;
};

// --help and --version answer on the terminal and end the program, as packagers' tools and users expect;
// every other argument is ignored. Nothing when the program is to start.
std::optional<int> answerCommandLine(int argc, char* argv[]);

// Sets up the drive map, runs start-up, shows the main window and runs the program until it ends.
// Returns the process's exit code.
int Main();

} // namespace fambridge
