#pragma once

#include "file_system.h"
#include "result.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace fambridge::platform {

// Starts programs the way Windows starts a program named without an extension: a native executable of
// that name if the folder has one, else <name>.exe through wine. Never through a shell: the arguments
// reach the program exactly as given. Started programs outlive FamBridge.
class ProgramLauncher {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::ProgramLauncher)

public:
    explicit ProgramLauncher(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    // Returns the process id of the started program.
    Result<qint64> start(const QString& dosProgram, const QStringList& arguments);

private:
    FileSystem& m_fileSystem;
};

} // namespace fambridge::platform
