#pragma once

#include "result.h"

#include <QChar>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace fambridge::platform {

// The drive letters of the emulated Windows machine, laid out as Wine lays them out: each drive is a
// symbolic link <prefix>/dosdevices/c: pointing at a host folder, so that a user's Wine set-up just works.
class DriveMap {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::DriveMap)

public:
    // The value of an environment variable, empty when it is not set.
    using Environment = std::function<QString(const char* name)>;
    // FAMBRIDGE_PREFIX, else WINEPREFIX, else ~/.wine when it has drives, else our own data folder.
    static QString locatePrefix(const Environment& environment);
    // Reads the drive links, first creating C: (-> ../drive_c) and Z: (-> /) when the prefix has none.
    static Result<DriveMap> open(const QString& prefix);

    const QString& prefix() const { return m_prefix; }
    // Upper-case letters, in alphabetical order.
    QList<QChar> drives() const;
    // The host folder a drive's link points at; it may not exist (a dangling link).
    std::optional<QString> hostRoot(QChar drive) const;
    // The DOS path of a host path: the drive whose root is the deepest ancestor wins, on a tie the lowest
    // letter. A host path under no drive is an error.
    Result<QString> toDos(const QString& hostPath) const;
    // The drive and the DOS components of a host path, under the same rule as toDos.
    std::optional<std::pair<QChar, QStringList>> locate(const QString& hostPath) const;

private:
    struct Drive {
        QChar letter;
        QString root;          // as the link names it, made absolute
        QString canonicalRoot; // symbolic links resolved; empty when the target does not exist
    };

    QString m_prefix;
    std::vector<Drive> m_drives;
};

} // namespace fambridge::platform
