#include "ui/program.h"

#include "platform/drive_map.h"
#include "startup/start_up.h"
#include "ui/messages.h"

#include <QApplication>

namespace fambridge {

Program::Program(platform::FileSystem& fileSystem, platform::ProgramStarter& starter,
                 std::optional<ScreenMetrics> screen)
    : m_fileSystem(fileSystem), m_mainForm(m_state, fileSystem, starter, screen),
      m_backupDialog(m_state, fileSystem, m_mainForm, &m_mainForm) {
    m_mainForm.setBackupDialog(&m_backupDialog);
}

Status Program::start() {
    return startUp(m_state, m_fileSystem, m_mainForm, m_backupDialog);
}

int Main() {
    auto driveMap = platform::DriveMap::open(
        platform::DriveMap::locatePrefix([](const char* name) { return qEnvironmentVariable(name); }));
    if (!driveMap) {
        MessageBox::critical(nullptr, driveMap.error());
        return 1;
    }
    platform::FileSystem fileSystem(std::move(driveMap).value());
    platform::ProgramLauncher launcher(fileSystem);
    Program program(fileSystem, launcher);

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
