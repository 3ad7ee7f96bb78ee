#pragma once

#include "platform/file_system.h"
#include "state/app_state.h"
#include "ui/file_dialog_runner.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace fambridge {

// The main window's common open/save dialog for GED files, in DOS paths to its callers and to the user.
class CommonDialog {
public:
    // The runner shows the dialog: the program's own DOS-path dialog, or in tests one that answers in place
    // of the user.
    CommonDialog(platform::FileSystem& fileSystem, FileDialogRunner& runner, QWidget* owner);

    QString FileName;
    QString DialogTitle = QStringLiteral("Select GED File to Import");
    QString InitDir = kPalmFolder;
    DialogFlags Flags;
    const QString Filter = QStringLiteral("GED Files (*.ged)|*.ged|All Files|*.*");
    const QString DefaultExt = QStringLiteral("GED");

    // After either, FileName holds the chosen file; a cancel leaves it as it was.
    void ShowOpen();
    void ShowSave();

    // "A|a|B|b" as the dialog lists the types of file: "A (a)", "B (b)"; "*.*" means every file.
    static QStringList nameFilters(const QString& filter);

private:
    void show(bool save);

    platform::FileSystem& m_fileSystem;
    QWidget* m_owner;
    FileDialogRunner& m_runner;
};

} // namespace fambridge
