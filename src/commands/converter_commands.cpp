#include "commands/converter_commands.h"

#include <QCoreApplication>

namespace fambridge {

namespace {

const QString kImportConverter = QStringLiteral("FLImport");
const QString kExportConverter = QStringLiteral("FLExport");

QString inApplicationFolder(const AppState& state, const QString& name) {
    return state.AppDir + QLatin1Char('\\') + name;
}

Status start(const AppState& state, platform::ProgramLauncher& launcher, const ConverterCommand& command,
             const QString& name) {
    const auto started = launcher.start(command.program, command.arguments);
    if (!started)
        return Failure{
            QCoreApplication::translate("ConverterCommands",
                                        "%1 could not be started from the application folder %2.\n\n%3")
                .arg(name, state.AppDir, started.error())};
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

Status runImport(const AppState& state, platform::FileSystem& fileSystem,
                 platform::ProgramLauncher& launcher) {
    const QString stale = installFile(state);
    if (fileSystem.exists(stale, platform::ListMask::Normal)) {
        const Status deleted = fileSystem.deleteFile(stale);
        if (!deleted)
            return Failure{QCoreApplication::translate("ConverterCommands",
                                                       "FLImport was not started, because the database of an "
                                                       "earlier import could not be removed.\n\n%1")
                               .arg(deleted.error())};
    }
    return start(state, launcher, importCommand(state), kImportConverter);
}

Status runExport(const AppState& state, platform::ProgramLauncher& launcher) {
    return start(state, launcher, exportCommand(state), kExportConverter);
}

} // namespace fambridge
