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

// Removes a database an earlier import left in the install folder, then starts FLImport. When FLImport
// cannot be started the file stays; when it cannot be removed nothing starts, since the converter's fresh
// database could not be told from the stale one.
Status runImport(const AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter);
Status runExport(const AppState& state, platform::ProgramStarter& starter);

} // namespace fambridge
