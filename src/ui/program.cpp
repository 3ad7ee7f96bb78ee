#include "ui/program.h"

#include "platform/drive_map.h"
#include "startup/start_up.h"
#include "ui/ged_file_dialog.h"
#include "ui/messages.h"

#include "version.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

namespace fambridge {

Program::Program(platform::FileSystem& fileSystem, platform::ProgramStarter& starter,
                 FileDialogRunner& fileDialogs, std::optional<ScreenMetrics> screen)
    : m_fileSystem(fileSystem), m_mainForm(m_state, fileSystem, starter, fileDialogs, screen),
      m_backupDialog(m_state, fileSystem, m_mainForm, m_mainForm) {
    m_mainForm.setBackupDialog(&m_backupDialog);
}

Status Program::start() {
    return startUp(m_state, m_fileSystem, m_mainForm, m_backupDialog);
}

std::optional<int> answerCommandLine(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("FamBridge %s\n", FAMBRIDGE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "Usage: fambridge\n"
                "Moves genealogy data between GEDCOM files and the Famlore databases of a Palm handheld\n"
                "by starting the converters FLImport and FLExport of the folder it is started in, which\n"
                "also keeps its settings, Famlore.ini.\n"
                "\n"
                "  --help     show this text and end\n"
                "  --version  show the version and end\n"
                "\n"
                "Drives are mapped as Wine maps them, through FAMBRIDGE_PREFIX, WINEPREFIX, ~/.wine or\n"
                "~/.local/share/fambridge. See fambridge(1).\n");
            return 0;
        }
    }
    return std::nullopt;
}

int Main() {
    // Taskbars match the window to its menu entry, and so to the entry's icon, by the desktop file name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.fambridge.FamBridge"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("fambridge"), QIcon(QStringLiteral(":/fambridge.png"))));
    auto driveMap = platform::DriveMap::open(
        platform::DriveMap::locatePrefix([](const char* name) { return qEnvironmentVariable(name); }));
    if (!driveMap) {
        MessageBox::critical(nullptr, driveMap.error());
        return 1;
    }
    platform::FileSystem fileSystem(std::move(driveMap).value());
    platform::ProgramLauncher launcher(fileSystem);
    GedFileDialogRunner fileDialogs(fileSystem);
    Program program(fileSystem, launcher, fileDialogs);

    const Status started = program.start();
    if (!started) {
        MessageBox::critical(nullptr,
                             QCoreApplication::translate(
                                 "Main", "FamBridge cannot start here: %1\n\nStart it from a folder on "
                                         "one of the drives in %2/dosdevices.")
                                 .arg(started.error(), fileSystem.driveMap().prefix()));
        return 1;
    }

    QObject::connect(&program.mainForm(), &MainForm::exitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.mainForm().show();
    return QApplication::exec();
}

} // namespace fambridge
