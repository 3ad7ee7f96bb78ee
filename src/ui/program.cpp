#include "ui/program.h"

#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "startup/start_up.h"
#include "ui/backup_dialog.h"
#include "ui/design.h"
#include "ui/main_form.h"

#include <QApplication>
#include <QMessageBox>

namespace fambridge {

int Main() {
    auto driveMap = platform::DriveMap::open(
        platform::DriveMap::locatePrefix([](const char* name) { return qEnvironmentVariable(name); }));
    if (!driveMap) {
        QMessageBox::critical(nullptr, kMainFormCaption, driveMap.error());
        return 1;
    }
    platform::FileSystem fileSystem(std::move(driveMap).value());
    AppState state;
    MainForm mainForm(state, fileSystem);
    DeferredBackupDialog backupDialog(state, fileSystem, mainForm, &mainForm);
    mainForm.setBackupDialog(&backupDialog);

    const Status started = startUp(state, fileSystem, mainForm, backupDialog);
    if (!started) {
        QMessageBox::critical(nullptr, kMainFormCaption,
                              QCoreApplication::translate(
                                  "Main", "FamBridge cannot start here: %1\n\nStart it from a folder on "
                                          "one of the drives in %2/dosdevices.")
                                  .arg(started.error(), fileSystem.driveMap().prefix()));
        return 1;
    }

    QObject::connect(&mainForm, &MainForm::exitRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    mainForm.show();
    return QApplication::exec();
}

} // namespace fambridge
