#include "commands/converter_commands.h"

#include "palm/database_list.h"
#include "platform/dos_path.h"

#include <QCoreApplication>

#include <optional>

namespace fambridge {

namespace {

const QString kImportConverter = QStringLiteral("FLImport");
const QString kExportConverter = QStringLiteral("FLExport");
const QString kInstallFolder = QStringLiteral("INSTALL");
const QString kInstallDatabase = QStringLiteral("FAMLORIM.PDB");

Failure cannotStart(const AppState& state, const QString& name, const QString& reason) {
    return Failure{QCoreApplication::translate(
                       "ConverterCommands", "%1 could not be started from the application folder %2.\n\n%3")
                       .arg(name, state.AppDir, reason)};
}

Status start(const AppState& state, platform::ProgramStarter& starter, const ConverterCommand& command,
             const QString& name) {
    const auto prepared = starter.prepare(command.program, command.arguments);
    if (!prepared)
        return cannotStart(state, name, prepared.error());
    const auto started = starter.start(*prepared);
    if (!started)
        return cannotStart(state, name, started.error());
    return {};
}

// FLImport writes into the user folder's INSTALL folder, so it needs a user folder that has one.
Status checkInstallFolder(const AppState& state, platform::FileSystem& fileSystem) {
    if (state.UserFolder == kSystemDrive)
        return Failure{QCoreApplication::translate(
            "ConverterCommands",
            "FLImport was not started, because no Palm user folder is in use. Choose one "
            "with the Browse... button beside \"Palm User Folder:\".")};
    const QString installFolder = platform::childPath(state.UserFolder, kInstallFolder);
    if (!fileSystem.exists(installFolder, platform::ListMask::Directory))
        return Failure{QCoreApplication::translate("ConverterCommands",
                                                   "FLImport was not started, because the user folder has no "
                                                   "INSTALL folder: %1 does not exist.")
                           .arg(installFolder)};
    return {};
}

// The install file may be a converted database still waiting for the handheld. The converter must not
// find it, yet it may go only once the converter that makes the next one has started: until then it
// waits aside. Nothing when there is no such file.
Result<std::optional<platform::AsideFile>> setAsideInstallFile(const AppState& state,
                                                               platform::FileSystem& fileSystem) {
    const QString stale = installFile(state);
    if (!fileSystem.exists(stale, platform::ListMask::Normal))
        return std::optional<platform::AsideFile>();
    const auto aside = fileSystem.setAside(stale);
    if (!aside)
        return Failure{QCoreApplication::translate("ConverterCommands",
                                                   "FLImport was not started, because the database of an "
                                                   "earlier import could not be removed.\n\n%1")
                           .arg(aside.error())};
    return std::optional<platform::AsideFile>(*aside);
}

} // namespace

// The command lines are the converters' interface, and a converter may rely on them byte for byte as the
// design builds them: each folder and fixed name joined as they stand, so that an application folder at the
// root gives the program field "C:\\FLImport". Here, and for the saved files that go into these lines, the
// program joins paths so on purpose; every other path is joined by childPath.
ConverterCommand importCommand(const AppState& state) {
    using platform::joinedAsTheyStand;
    return {joinedAsTheyStand(state.AppDir, kImportConverter),
            {joinedAsTheyStand(state.UserFolder, kInstallFolder), state.ImportFile, state.AppDir}};
}

ConverterCommand exportCommand(const AppState& state) {
    using platform::joinedAsTheyStand;
    return {joinedAsTheyStand(state.AppDir, kExportConverter),
            {joinedAsTheyStand(state.UserFolder, kBackupFolder), state.ExportFile, state.DatabaseName}};
}

QString installFile(const AppState& state) {
    return platform::childPath(platform::childPath(state.UserFolder, kInstallFolder), kInstallDatabase);
}

Status runImport(const AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter) {
    if (const Status ready = checkInstallFolder(state, fileSystem); !ready)
        return ready;
    const ConverterCommand command = importCommand(state);
    const auto prepared = starter.prepare(command.program, command.arguments);
    if (!prepared)
        return cannotStart(state, kImportConverter, prepared.error());
    const auto aside = setAsideInstallFile(state, fileSystem);
    if (!aside)
        return aside.failure();
    // A failed start brings the install file back; a good one lets it go.
    const auto started = starter.start(*prepared);
    if (!started) {
        QString failure = cannotStart(state, kImportConverter, started.error()).message;
        if (*aside) {
            if (const Status back = platform::FileSystem::putBack(**aside); !back)
                failure += QStringLiteral("\n\n") + back.error();
        }
        return Failure{failure};
    }
    if (*aside)
        platform::FileSystem::discardAside(**aside);
    return {};
}

Status runExport(const AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter) {
    if (state.DatabaseName.isEmpty())
        return Failure{QCoreApplication::translate(
            "ConverterCommands", "FLExport was not started, because no database is chosen. Pick one in the "
                                 "list beside \"From Database:\".")};
    for (const QString& file : databaseFiles(state.UserFolder, state.DatabaseName)) {
        if (!fileSystem.exists(file, platform::ListMask::Normal))
            return Failure{QCoreApplication::translate("ConverterCommands",
                                                       "FLExport was not started, because the database %1 is "
                                                       "not in the user folder %2: %3 does not exist.")
                               .arg(state.DatabaseName, state.UserFolder, file)};
    }
    return start(state, starter, exportCommand(state), kExportConverter);
}

} // namespace fambridge
