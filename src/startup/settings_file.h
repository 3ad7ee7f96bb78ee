#pragma once

#include "platform/file_system.h"
#include "platform/result.h"
#include "state/app_state.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace fambridge {

// The settings file's name, in the application folder.
inline constexpr QLatin1String kSettingsFileName("Famlore.ini");

// Seven lines of paths need a few kilobytes at most; anything much larger is not our file, and reading it
// whole would only cost memory.
inline constexpr qint64 kSettingsSizeLimit = 64 * 1024;

// What Famlore.ini remembers, as start-up takes it over into the AppState.
struct SettingsRecords {
    QString UserFolder;
    QString ImportDir;
    QString ImportName;
    QString ExportDir;
    QString ExportName;
    QString DatabaseName;
};

// The file's lines, as platform::readTextLines gives them; nullopt when they are no usable settings file
// (foreign magic word, or they end before the records needed).
std::optional<SettingsRecords> parseSettings(const QStringList& lines);
// nullopt when the file is missing, foreign, unreadable, not text, larger than kSettingsSizeLimit or short;
// start-up then takes the defaults.
std::optional<SettingsRecords> readSettingsFile(platform::FileSystem& fileSystem, const QString& iniPath);

// The seven lines, without line ends, that Exit saves: each chosen file as its folder and name (SplitPath).
QStringList settingsLines(const AppState& state);
// What Exit leaves in the state: ImportDir/ImportName and ExportDir/ExportName cut from the chosen files.
// The pieces of a file that is not chosen stay for the next choice.
void rememberChoices(AppState& state);
// Remembers the choices, then replaces state.IniPath as a whole, so that a failure leaves the previous file
// as it was.
Status writeSettingsFile(platform::FileSystem& fileSystem, AppState& state);

// Cuts at the last "\" or "/". Without any separator the whole path is the name and the folder is empty.
void SplitPath(const QString& FullPath, QString& Folder, QString& Name);

} // namespace fambridge
