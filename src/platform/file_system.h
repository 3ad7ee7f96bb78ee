#pragma once

#include "dos_path.h"
#include "drive_map.h"
#include "host_folder.h"
#include "result.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFlags>
#include <QString>

#include <optional>
#include <vector>

namespace fambridge::platform {

// Attribute masks of a directory listing, with Windows' values.
enum class ListMask {
    Normal = 0,    // ordinary files only
    Directory = 16 // folders and ordinary files
};

// Attribute bits of one path, with Windows' values.
enum class Attribute {
    ReadOnly = 0x1,
    Hidden = 0x2,
    System = 0x4,
    Directory = 0x10,
    Archive = 0x20,
    ReparsePoint = 0x400 // a folder reached through a symbolic link, as Wine marks it
};
Q_DECLARE_FLAGS(Attributes, Attribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(Attributes)

struct FolderEntry {
    QString name;
    bool isFolder = false;
};

// A file set out of the way: its host path, and the one it waits under.
struct AsideFile {
    QString original;
    QString aside;
};

// The Windows file system as the program sees it: DOS paths, names found without regard to letter case,
// hidden and system files as Wine marks them, and listings that match wildcards the way Windows matches
// them.
class FileSystem {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::FileSystem)

public:
    explicit FileSystem(DriveMap driveMap);

    const DriveMap& driveMap() const { return m_driveMap; }

    // The process's current folder as a DOS path, as Windows would report it.
    Result<QString> currentDirectory() const;
    // The host path a DOS path stands for. Each existing component takes its spelling on disk; from the
    // first one that does not exist the rest is kept as given, so a file about to be created has a path.
    Result<QString> toHost(const QString& dosPath);
    Result<QString> toDos(const QString& hostPath) const { return m_driveMap.toDos(hostPath); }
    Result<DosPath> parse(const QString& dosPath) const;

    // A directory listing: the names a path or pattern matches, none when nothing does. A path that ends
    // in a separator lists the folder's contents; one that names an entry gives its name as spelled on disk.
    // Hidden and system entries are never given, folders only for ListMask::Directory, and nothing from a
    // folder this process may not both read and enter.
    std::vector<QString> list(const QString& dosPattern, ListMask mask);
    bool exists(const QString& dosPath, ListMask mask) { return !list(dosPath, mask).empty(); }

    // Windows' attributes, as Wine gives them: read-only when nobody may write, hidden for a dot file,
    // hidden and system as marked. A path that ends in a separator must name a folder.
    Result<Attributes> attributes(const QString& dosPath);
    // A drive's volume label; empty when it has none.
    QString volumeLabel(QChar drive) const;
    // Whether this process may create files in an existing folder.
    bool isWritableFolder(const QString& dosFolder);
    // The visible folders and ordinary files of a folder, for a folder browser that must say why it
    // cannot show one.
    Result<std::vector<FolderEntry>> readFolder(const QString& dosFolder);

    Result<QByteArray> readFile(const QString& dosPath, qint64 maxBytes);
    // Writes to a temporary file beside the target and renames it over the target, so that the old
    // content survives any failure on the way.
    Status replaceFile(const QString& dosPath, const QByteArray& content);
    Status deleteFile(const QString& dosPath);
    // Takes a file out of the way without losing it: it goes under a hidden name of the program's own
    // beside it, refused where deleting it would be. putBack undoes that; discardAside deletes it.
    Result<AsideFile> setAside(const QString& dosPath);
    static Status putBack(const AsideFile& file);
    static void discardAside(const AsideFile& file);

    // While the returned scope lives each folder is read once; see FolderCache.
    FolderCache::Scope snapshotScope() { return FolderCache::Scope(m_cache); }

private:
    struct Resolved {
        QString host;
        bool exists = false;
        EntryKind kind = EntryKind::Other;
        QString name;        // spelling on disk of the last component
        bool isRoot = false; // the path names a drive itself, not an entry in a folder
    };

    CurrentFolders currentFolders() const;
    Result<Resolved> resolve(const DosPath& path);
    Result<Resolved> resolvePath(const QString& dosPath);
    std::optional<HostEntry> findEntry(const QString& hostFolder, const QString& name);
    // The three kinds of listing, as Windows tells them apart: a bare drive, one exact name, a wildcard.
    std::vector<QString> listBareDrive(const QString& drive, ListMask mask);
    std::vector<QString> listExact(const QString& hostFolder, const QString& name, ListMask mask);
    std::vector<QString> listMatches(const QString& hostFolder, const QString& pattern, ListMask mask,
                                     bool atRoot);
    bool listable(const QString& hostFolder);

    DriveMap m_driveMap;
    FolderCache m_cache;
};

} // namespace fambridge::platform
