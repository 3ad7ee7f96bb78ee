#include "startup/settings_file.h"

#include "platform/dos_path.h"
#include "platform/text_file.h"

namespace fambridge {

namespace {

const QString kMagicWord = QStringLiteral("FAMBRIDGE");
const QString kFormatVersion = QStringLiteral("1.40");
// Files of an older format carry no database record; this is the name those versions worked on.
const QString kOlderFormatDatabase = QStringLiteral("Famlore");

constexpr QChar kQuote = QLatin1Char('"');
constexpr QChar kComma = QLatin1Char(',');

// Where each value stands among the file's fields: the two of the first line, then one a line.
enum Field : qsizetype {
    kMagicWordField,
    kVersionField,
    kUserFolderField,
    kImportDirField,
    kImportNameField,
    kExportDirField,
    kExportNameField,
    kDatabaseNameField, // not in files of an older format, which end before it
    kFieldCount,
};

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(QStringView text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isBlank(text[first]))
        ++first;
    while (end > first && isBlank(text[end - 1]))
        --end;
    return text.mid(first, end - first).toString();
}

// The fields of one line: a line without a comma is one field, an empty line included. A quote that is
// never closed runs to the line end, since no value of ours spans lines.
void appendLineFields(QStringView line, QStringList& fields) {
    qsizetype pos = 0;
    for (;;) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        qsizetype delimiter = -1;
        if (pos < line.size() && line[pos] == kQuote) {
            const qsizetype close = line.indexOf(kQuote, pos + 1);
            const qsizetype valueEnd = close < 0 ? line.size() : close;
            fields.append(line.mid(pos + 1, valueEnd - pos - 1).toString());
            if (close >= 0)
                delimiter = line.indexOf(kComma, close + 1);
        } else {
            delimiter = line.indexOf(kComma, pos);
            fields.append(trimBlanks(line.mid(pos, (delimiter < 0 ? line.size() : delimiter) - pos)));
        }
        if (delimiter < 0)
            return;
        pos = delimiter + 1;
    }
}

QStringList readFields(const QStringList& lines) {
    QStringList fields;
    for (const QString& line : lines)
        appendLineFields(line, fields);
    return fields;
}

QString quoted(const QString& value) {
    return kQuote + value + kQuote;
}

// A chosen file as the settings file keeps it, its folder and its name; two empty lines for none.
QStringList fileLines(const QString& file) {
    if (file.isEmpty())
        return {QString(), QString()};
    QString folder;
    QString name;
    SplitPath(file, folder, name);
    return {quoted(folder), quoted(name)};
}

} // namespace

std::optional<SettingsRecords> parseSettings(const QStringList& lines) {
    const QStringList fields = readFields(lines);
    if (fields.isEmpty() || fields[kMagicWordField] != kMagicWord)
        return std::nullopt;
    const bool currentFormat = fields.size() > kVersionField && fields[kVersionField] == kFormatVersion;
    if (fields.size() < (currentFormat ? kFieldCount : kDatabaseNameField))
        return std::nullopt;

    SettingsRecords records;
    records.UserFolder = fields[kUserFolderField];
    records.ImportDir = fields[kImportDirField];
    records.ImportName = fields[kImportNameField];
    records.ExportDir = fields[kExportDirField];
    records.ExportName = fields[kExportNameField];
    records.DatabaseName = currentFormat ? fields[kDatabaseNameField] : kOlderFormatDatabase;
    return records;
}

std::optional<SettingsRecords> readSettingsFile(platform::FileSystem& fileSystem, const QString& iniPath) {
    // Only an ordinary visible file counts, as a listing of exactly this name finds it.
    if (!fileSystem.exists(iniPath, platform::ListMask::Normal))
        return std::nullopt;
    const auto lines = platform::readTextLines(fileSystem, iniPath, kSettingsSizeLimit);
    if (!lines)
        return std::nullopt;
    return parseSettings(*lines);
}

QStringList settingsLines(const AppState& state) {
    QStringList lines{quoted(kMagicWord) + kComma + quoted(kFormatVersion), quoted(state.UserFolder)};
    lines << fileLines(state.ImportFile) << fileLines(state.ExportFile);
    // The database belongs to the export: without an export file it is not remembered.
    lines << (state.ExportFile.isEmpty() ? QString() : quoted(state.DatabaseName));
    return lines;
}

void rememberChoices(AppState& state) {
    if (!state.ImportFile.isEmpty())
        SplitPath(state.ImportFile, state.ImportDir, state.ImportName);
    if (!state.ExportFile.isEmpty())
        SplitPath(state.ExportFile, state.ExportDir, state.ExportName);
}

Status writeSettingsFile(platform::FileSystem& fileSystem, AppState& state) {
    rememberChoices(state);
    return platform::writeTextLines(fileSystem, state.IniPath, settingsLines(state));
}

void SplitPath(const QString& FullPath, QString& Folder, QString& Name) {
    qsizetype i = FullPath.size();
    while (i >= 1 && !platform::isSeparator(FullPath[i - 1]))
        --i;
    // Both pieces are taken before either is stored, in case a caller passes FullPath as Folder or Name.
    QString folder = i >= 1 ? FullPath.left(i - 1) : QString();
    QString name = FullPath.mid(i);
    Folder = std::move(folder);
    Name = std::move(name);
}

} // namespace fambridge
