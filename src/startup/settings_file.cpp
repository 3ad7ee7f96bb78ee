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

QStringList readFields(const QString& text) {
    QStringList fields;
    for (const QString& line : platform::splitLines(text))
        appendLineFields(line, fields);
    return fields;
}

QString quoted(const QString& value) {
    return kQuote + value + kQuote;
}

} // namespace

std::optional<SettingsRecords> parseSettings(const QString& text) {
    const QStringList fields = readFields(text);
    if (fields.isEmpty() || fields[0] != kMagicWord)
        return std::nullopt;
    const bool currentFormat = fields.size() > 1 && fields[1] == kFormatVersion;
    if (fields.size() < (currentFormat ? 8 : 7))
        return std::nullopt;

    SettingsRecords records;
    records.UserFolder = fields[2];
    records.ImportDir = fields[3];
    records.ImportName = fields[4];
    records.ExportDir = fields[5];
    records.ExportName = fields[6];
    records.DatabaseName = currentFormat ? fields[7] : kOlderFormatDatabase;
    return records;
}

std::optional<SettingsRecords> readSettingsFile(platform::FileSystem& fileSystem, const QString& iniPath) {
    if (!fileSystem.exists(iniPath, platform::ListMask::Normal))
        return std::nullopt;
    const auto bytes = fileSystem.readFile(iniPath, kSettingsSizeLimit);
    if (!bytes)
        return std::nullopt;
    const auto text = platform::decodeText(*bytes);
    if (!text)
        return std::nullopt;
    return parseSettings(*text);
}

QStringList settingsLines(AppState& state) {
    QStringList lines;
    lines << quoted(kMagicWord) + kComma + quoted(kFormatVersion);
    lines << quoted(state.UserFolder);
    if (!state.ImportFile.isEmpty()) {
        SplitPath(state.ImportFile, state.ImportDir, state.ImportName);
        lines << quoted(state.ImportDir) << quoted(state.ImportName);
    } else {
        lines << QString() << QString();
    }
    // The database belongs to the export: without an export file it is not remembered.
    if (!state.ExportFile.isEmpty()) {
        SplitPath(state.ExportFile, state.ExportDir, state.ExportName);
        lines << quoted(state.ExportDir) << quoted(state.ExportName) << quoted(state.DatabaseName);
    } else {
        lines << QString() << QString() << QString();
    }
    return lines;
}

Status writeSettingsFile(platform::FileSystem& fileSystem, AppState& state) {
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
