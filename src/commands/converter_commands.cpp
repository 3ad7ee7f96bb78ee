#include "commands/converter_commands.h"

#include "palm/database_list.h"

#include <QCoreApplication>

#include <optional>

namespace fambridge {

namespace {

const QString kImportConverter = QStringLiteral("FLImport");
const QString kExportConverter = QStringLiteral("FLExport");

QString inApplicationFolder(const AppState& state, const QString& name) {
    return state.AppDir + QLatin1Char('\\') + name;
}

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

} // namespace

ConverterCommand importCommand(const AppState& state) {
    return {inApplicationFolder(state, kImportConverter),
            {state.UserFolder + QStringLiteral("\\INSTALL"), state.ImportFile, state.AppDir}};
}

ConverterCommand exportCommand(const AppState& state) {
    return {inApplicationFolder(state, kExportConverter),
            {state.UserFolder + QStringLiteral("\\BACKUP"), state.ExportFile, state.DatabaseName}};
}

QString installFile(const AppState& state) {
    return state.UserFolder + QStringLiteral("\\INSTALL\\FAMLORIM.PDB");
}

Status runImport(const AppState& state, platform::FileSystem& fileSystem, platform::ProgramStarter& starter) {
    if (state.UserFolder == kSystemDrive)
        return Failure{QCoreApplication::translate(
            "ConverterCommands",
            "FLImport was not started, because no Palm user folder is in use. Choose one "
            "with the Browse... button beside \"Palm User Folder:\".")};
    const QString installFolder = state.UserFolder + QStringLiteral("\\INSTALL");
    if (!fileSystem.exists(installFolder, platform::ListMask::Directory))
        return Failure{QCoreApplication::translate("ConverterCommands",
                                                   "FLImport was not started, because the user folder has no "
                                                   "INSTALL folder: %1 does not exist.")
                           .arg(installFolder)};
    const ConverterCommand command = importCommand(state);
    const auto prepared = starter.prepare(command.program, command.arguments);
    if (!prepared)
        return cannotStart(state, kImportConverter, prepared.error());

    // The install file may be a converted database still waiting for the handheld. The converter must not
    // find it, yet it may go only once the converter that makes the next one has started: until then it
    // waits aside, and comes back if the start fails.
    const QString stale = installFile(state);
    std::optional<platform::AsideFile> aside;
    if (fileSystem.exists(stale, platform::ListMask::Normal)) {
        const auto setAside = fileSystem.setAside(stale);
        if (!setAside)
            return Failure{QCoreApplication::translate("ConverterCommands",
                                                       "FLImport was not started, because the database of an "
                                                       "earlier import could not be removed.\n\n%1")
                               .arg(setAside.error())};
        aside = *setAside;
    }
    const auto started = starter.start(*prepared);
    if (!started) {
        QString failure = cannotStart(state, kImportConverter, started.error()).message;
        if (aside) {
            if (const Status back = platform::FileSystem::putBack(*aside); !back)
                failure += QStringLiteral("\n\n") + back.error();
        }
        return Failure{failure};
    }
    if (aside)
        platform::FileSystem::discardAside(*aside);
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
