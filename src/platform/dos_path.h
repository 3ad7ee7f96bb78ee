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

bool isSeparator(QChar c);
bool hasWildcard(const QString& name);

} // namespace fambridge::platform
