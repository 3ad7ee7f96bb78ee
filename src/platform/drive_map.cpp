#include "drive_map.h"

#include "dos_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fambridge::platform {

namespace {

// The deepest folder of hostPath that exists, with symbolic links resolved, and the rest appended as given,
// so that a path to a file not yet created still finds its drive.
QString canonicalize(const QString& hostPath) {
    QString existing = QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(hostPath));
    QStringList tail;
    while (true) {
        const QString canonical = QFileInfo(existing).canonicalFilePath();
        if (!canonical.isEmpty()) {
            QString result = canonical;
            for (auto it = tail.crbegin(); it != tail.crend(); ++it)
                result += (result.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + *it;
            return result;
        }
        const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash < 0 || existing == QLatin1String("/"))
            return QDir::cleanPath(hostPath);
        tail.append(existing.mid(slash + 1));
        existing = slash == 0 ? QStringLiteral("/") : existing.left(slash);
    }
}

// Components of `path` below `root`, or nothing when root is not an ancestor of path (or path itself).
std::optional<QStringList> componentsBelow(const QString& root, const QString& path) {
    if (root == QLatin1String("/"))
        return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (path == root)
        return QStringList();
    if (path.startsWith(root) && path.at(root.size()) == QLatin1Char('/'))
        return path.mid(root.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return std::nullopt;
}

} // namespace

QString DriveMap::locatePrefix(const Environment& environment) {
    const QString own = environment("FAMBRIDGE_PREFIX");
    if (!own.isEmpty())
        return own;
    const QString wine = environment("WINEPREFIX");
    if (!wine.isEmpty())
        return wine;
    QString home = environment("HOME");
    if (home.isEmpty())
        home = QDir::homePath();
    const QString dotWine = home + QStringLiteral("/.wine");
    if (QFileInfo(dotWine + QStringLiteral("/dosdevices")).isDir())
        return dotWine;
    QString data = environment("XDG_DATA_HOME");
    if (data.isEmpty())
        data = home + QStringLiteral("/.local/share");
    return data + QStringLiteral("/fambridge");
}

Result<DriveMap> DriveMap::open(const QString& prefix) {
    DriveMap map;
    map.m_prefix = QDir::cleanPath(QDir(QDir::currentPath()).absoluteFilePath(prefix));
    const QString devices = map.m_prefix + QStringLiteral("/dosdevices");

    if (!QFileInfo(devices).isDir()) {
        if (!QDir().mkpath(devices) || !QDir().mkpath(map.m_prefix + QStringLiteral("/drive_c")))
            return Failure{tr("The drive folder %1 could not be created.").arg(devices)};
        const bool linked = QFile::link(QStringLiteral("../drive_c"), devices + QStringLiteral("/c:")) &&
                            QFile::link(QStringLiteral("/"), devices + QStringLiteral("/z:"));
        if (!linked)
            return Failure{tr("The drive links in %1 could not be created.").arg(devices)};
    }

    for (char16_t letter = u'a'; letter <= u'z'; ++letter) {
        const QString link = devices + QLatin1Char('/') + QChar(letter) + QLatin1Char(':');
        const QFileInfo info(link);
        if (!info.isSymLink())
            continue;
        Drive drive;
        drive.letter = QChar(letter).toUpper();
        drive.root = QDir::cleanPath(QDir(devices).absoluteFilePath(info.symLinkTarget()));
        drive.canonicalRoot = info.canonicalFilePath();
        map.m_drives.push_back(drive);
    }
    return map;
}

QList<QChar> DriveMap::drives() const {
    QList<QChar> letters;
    for (const Drive& drive : m_drives)
        letters.append(drive.letter);
    return letters;
}

std::optional<QString> DriveMap::hostRoot(QChar letter) const {
    const QChar upper = letter.toUpper();
    for (const Drive& drive : m_drives)
        if (drive.letter == upper)
            return drive.root;
    return std::nullopt;
}

std::optional<std::pair<QChar, QStringList>> DriveMap::locate(const QString& hostPath) const {
    const QString path = canonicalize(hostPath);
    const Drive* best = nullptr;
    QStringList bestComponents;
    qsizetype bestDepth = -1;
    for (const Drive& drive : m_drives) {
        if (drive.canonicalRoot.isEmpty())
            continue;
        const auto below = componentsBelow(drive.canonicalRoot, path);
        if (!below)
            continue;
        const qsizetype depth =
            drive.canonicalRoot == QLatin1String("/") ? 0 : drive.canonicalRoot.count('/');
        if (depth > bestDepth) {
            best = &drive;
            bestDepth = depth;
            bestComponents = *below;
        }
    }
    if (!best)
        return std::nullopt;
    return std::make_pair(best->letter, bestComponents);
}

Result<QString> DriveMap::toDos(const QString& hostPath) const {
    const auto located = locate(hostPath);
    if (!located)
        return Failure{tr("%1 lies on no drive of the drive map in %2/dosdevices.")
                           .arg(QDir::toNativeSeparators(hostPath), m_prefix)};
    for (const QString& component : located->second) {
        if (!isWindowsName(component))
            return Failure{tr("%1 has a name that Windows cannot hold: \"%2\".").arg(hostPath, component)};
    }
    return DosPath{located->first, located->second}.toString();
}

} // namespace fambridge::platform
