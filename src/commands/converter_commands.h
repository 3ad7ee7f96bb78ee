#pragma once

#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "platform/result.h"
#include "state/app_state.h"

#include <QString>
#include <QStringList>

namespace fambridge {

// A converter as the main window's commands start it: the program in the application folder, named
// without an extension, and its three arguments exactly as they stand in the AppState.
struct ConverterCommand {
    QString program;
    QStringList arguments;

    bool operator==(const ConverterCommand&) const = default;
};

ConverterCommand importCommand(const AppState& state);
ConverterCommand exportCommand(const AppState& state);

// UserFolder\INSTALL\FAMLORIM.PDB, where the import converter writes the database it makes.
QString installFile(const AppState& state);

// Starts FLImport once the database an earlier import left in the install folder is out of its way. When
// FLImport cannot be started that file is there as before; when it cannot be removed nothing starts, since
// the converter's fresh database could not be told from the stale one. Nothing starts without a user
// folder and its INSTALL folder.
Status runImport(const AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter);
// Starts FLExport on the chosen database, only when both its backup files are in the user folder.
Status runExport(const AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter);

} // namespace fambridge
