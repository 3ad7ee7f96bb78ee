#include "commands/converter_commands.h"

#include <QCoreApplication>

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
    // The install file may be a converted database still waiting for the handheld: it goes only once the
    // converter that makes the next one is known to start.
    const ConverterCommand command = importCommand(state);
    const auto prepared = starter.prepare(command.program, command.arguments);
    if (!prepared)
        return cannotStart(state, kImportConverter, prepared.error());
    const QString stale = installFile(state);
    if (fileSystem.exists(stale, platform::ListMask::Normal)) {
        const Status deleted = fileSystem.deleteFile(stale);
        if (!deleted)
            return Failure{QCoreApplication::translate("ConverterCommands",
                                                       "FLImport was not started, because the database of an "
                                                       "earlier import could not be removed.\n\n%1")
                               .arg(deleted.error())};
    }
    const auto started = starter.start(*prepared);
    if (!started)
        return cannotStart(state, kImportConverter, started.error());
    return {};
}

Status runExport(const AppState& state, platform::ProgramStarter& starter) {
    return start(state, starter, exportCommand(state), kExportConverter);
}

} // namespace fambridge
