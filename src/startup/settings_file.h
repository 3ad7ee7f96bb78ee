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

// nullopt: the text is no usable settings file (foreign magic word, or it ends before the records needed).
std::optional<SettingsRecords> parseSettings(const QString& text);
// nullopt when the file is missing, foreign, unreadable, not text, larger than kSettingsSizeLimit or short;
// start-up then takes the defaults.
std::optional<SettingsRecords> readSettingsFile(platform::FileSystem& fileSystem, const QString& iniPath);

// The seven lines, without line ends, that Exit saves. Splitting ImportFile and ExportFile updates
// ImportDir/ImportName and ExportDir/ExportName, which is why the state is not const.
QStringList settingsLines(AppState& state);
// Replaces state.IniPath as a whole, so that a failure leaves the previous file as it was.
Status writeSettingsFile(platform::FileSystem& fileSystem, AppState& state);

// Cuts at the last "\" or "/". Without any separator the whole path is the name and the folder is empty.
void SplitPath(const QString& FullPath, QString& Folder, QString& Name);

} // namespace fambridge
