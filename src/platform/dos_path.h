#pragma once

#include "result.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>

namespace fambridge::platform {

// A Windows path taken apart: the drive, the folders and name from its root, and whether it ended in a
// separator ("C:\PALM\" asks for the folder's contents, "C:\PALM" names the folder itself).
struct DosPath {
    QChar drive;
    QStringList components;
    bool trailingSeparator = false;

    bool isRoot() const { return components.isEmpty(); }
    QString driveSpec() const { return QString(drive) + QLatin1Char(':'); }
    // "C:\" for a root, else "C:\PALM\User1", the way Windows spells a full path.
    QString toString() const;
    DosPath parent() const;
    DosPath child(const QString& name) const;
};

// Asked only for paths that are not absolute, since finding the current folder costs system calls.
struct CurrentFolders {
    std::function<QChar()> currentDrive;
    // The folder a bare "D:" stands for: the process's current folder when it lies on D:, else D:'s root.
    std::function<DosPath(QChar drive)> folderOf;
};

// Accepts "C:\a\b", "c:/a/b", "C:" and "C:a" (relative to C:'s current folder), "\a" (the current drive's
// root) and "a\b" (relative to the current folder). Repeated separators count as one; "." and ".." are
// resolved by name, never climbing above the root.
Result<DosPath> parseDosPath(const QString& path, const CurrentFolders& current);

// The separator the program writes; it reads "/" as well (isSeparator).
inline constexpr QChar kDosSeparator = u'\\';

bool isSeparator(QChar c);
bool hasWildcard(const QString& name);

// A name in a DOS folder, joined with exactly one backslash, as PathCchAppend joins them: "C:\PALM" and
// "User1" give "C:\PALM\User1", and a folder that already ends in a separator, a drive root above all,
// gets none more ("C:\" and "Famlore.ini" give "C:\Famlore.ini"). A bare drive stands for its root: "C:"
// and "BACKUP" give "C:\BACKUP", where the program has always looked for the user folder "C:". Windows
// would read "C:BACKUP" against the drive's current folder, which no path of the program means.
QString childPath(const QString& folder, const QString& name);
// The design's own join: the folder, a backslash and the name as they stand, even after a separator ("C:\"
// and "FLImport" give "C:\\FLImport"). The converters' command lines are built so, with the saved import and
// export files that go into them; converters may rely on those lines byte for byte. Every other path is
// joined by childPath.
QString joinedAsTheyStand(const QString& folder, const QString& name);

// Whether Windows could hold this name: none of \ / : * ? " < > | nor a control character, and no dot or
// blank at its end, which Windows would drop. Other names do not exist for the program; they would break
// its paths, wildcards and the quoted settings file, or lead to another file.
bool isWindowsName(const QString& name);

// Windows' rule for whether the last name of a typed path has an extension: a dot, and no blank after the
// last one. It looks at the name as typed, since a parsed path has lost its trailing dots: "notes." has an
// empty extension and gets no default one.
bool hasExtension(const QString& typed);

} // namespace fambridge::platform
