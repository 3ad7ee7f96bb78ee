#include "file_system.h"

#include "platform/wildcard.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace fambridge::platform {

namespace {

QString joinHost(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// Windows' read-only attribute, as Wine derives it: nobody may write the entry.
bool isReadOnly(const struct stat& info) {
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Windows refuses to replace or delete a read-only file whoever asks; here the folder's permissions
// alone would decide, and root may do anything.
bool isReadOnlyFile(const QString& hostPath) {
    struct stat info {};
    return ::stat(QFile::encodeName(hostPath).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           isReadOnly(info);
}

bool maskAccepts(ListMask mask, EntryKind kind) {
    if (kind == EntryKind::File)
        return true;
    return kind == EntryKind::Folder && mask == ListMask::Directory;
}

} // namespace

FileSystem::FileSystem(DriveMap driveMap) : m_driveMap(std::move(driveMap)) {}

CurrentFolders FileSystem::currentFolders() const {
    CurrentFolders current;
    current.currentDrive = [this] {
        const auto here = m_driveMap.locate(QDir::currentPath());
        return here ? here->first : QLatin1Char('C');
    };
    current.folderOf = [this](QChar drive) {
        DosPath folder;
        folder.drive = drive.toUpper();
        const auto root = m_driveMap.hostRoot(drive);
        if (!root)
            return folder;
        const QString canonicalRoot = QDir(*root).canonicalPath();
        const QString cwd = QDir::currentPath();
        if (canonicalRoot.isEmpty())
            return folder;
        if (canonicalRoot == QLatin1String("/"))
            folder.components = cwd.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        else if (cwd.startsWith(canonicalRoot + QLatin1Char('/')))
            folder.components = cwd.mid(canonicalRoot.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        return folder;
    };
    return current;
}

Result<DosPath> FileSystem::parse(const QString& dosPath) const {
    return parseDosPath(dosPath, currentFolders());
}

Result<QString> FileSystem::currentDirectory() const {
    const QString current = QDir::currentPath();
    // A folder whose name is no text in the host's encoding decodes to another name, which leads to
    // another folder or none: its settings file would be passed over and saved elsewhere.
    const std::unique_ptr<char, decltype(&std::free)> raw(::getcwd(nullptr, 0), &std::free);
    if (raw && QFile::encodeName(current) != QByteArray(raw.get()))
        return Failure{tr("The folder %1 has a name that is not valid text on this system.")
                           .arg(QString::fromLocal8Bit(raw.get()))};
    return m_driveMap.toDos(current);
}

std::optional<HostEntry> FileSystem::findEntry(const QString& hostFolder, const QString& name) {
    if (!isWindowsName(name))
        return std::nullopt;
    if (!m_cache.active()) {
        // Outside a snapshot scope an exact name costs one stat() instead of a folder reading.
        if (const auto kind = hostKind(joinHost(hostFolder, name))) {
            HostEntry entry;
            entry.name = name;
            entry.kind = *kind;
            return entry;
        }
    }
    const auto snapshot = m_cache.read(hostFolder);
    if (!snapshot)
        return std::nullopt;
    // Copied out, since outside a scope nothing keeps the snapshot alive once this returns; the names are
    // shared, not duplicated.
    if (const HostEntry* entry = snapshot.value()->find(name))
        return *entry;
    return std::nullopt;
}

Result<FileSystem::Resolved> FileSystem::resolve(const DosPath& path) {
    const auto root = m_driveMap.hostRoot(path.drive);
    if (!root)
        return Failure{tr("Drive %1 does not exist.").arg(path.driveSpec())};

    Resolved resolved;
    resolved.host = *root;
    resolved.isRoot = path.isRoot();
    const auto rootKind = hostKind(*root);
    resolved.exists = rootKind.has_value();
    resolved.kind = rootKind.value_or(EntryKind::Other);
    for (const QString& component : path.components) {
        const auto entry = resolved.exists && resolved.kind == EntryKind::Folder
                               ? findEntry(resolved.host, component)
                               : std::nullopt;
        resolved.exists = entry.has_value();
        resolved.name = entry ? entry->name : component;
        resolved.kind = entry ? entry->kind : EntryKind::Other;
        resolved.host = joinHost(resolved.host, resolved.name);
    }
    return resolved;
}

Result<FileSystem::Resolved> FileSystem::resolvePath(const QString& dosPath) {
    const auto parsed = parse(dosPath);
    if (!parsed)
        return parsed.failure();
    return resolve(*parsed);
}

Result<QString> FileSystem::toHost(const QString& dosPath) {
    const auto resolved = resolvePath(dosPath);
    if (!resolved)
        return resolved.failure();
    return resolved->host;
}

std::vector<QString> FileSystem::list(const QString& dosPattern, ListMask mask) {
    std::vector<QString> names;
    const auto parsed = parse(dosPattern);
    if (!parsed)
        return names;

    DosPath folder = *parsed;
    QString pattern = QStringLiteral("*");
    if (!parsed->trailingSeparator) {
        if (parsed->isRoot()) {
            // A bare drive whose current folder is its root: the drive names itself.
            if (mask == ListMask::Directory && m_driveMap.hostRoot(parsed->drive) &&
                hostKind(*m_driveMap.hostRoot(parsed->drive)) == EntryKind::Folder)
                names.push_back(parsed->driveSpec());
            return names;
        }
        pattern = parsed->components.back();
        folder = parsed->parent();
    }

    const auto resolvedFolder = resolve(folder);
    if (!resolvedFolder || !resolvedFolder->exists || resolvedFolder->kind != EntryKind::Folder)
        return names;

    if (!hasWildcard(pattern)) {
        const auto entry = findEntry(resolvedFolder->host, pattern);
        if (entry && !entry->isHidden() && maskAccepts(mask, entry->kind))
            names.push_back(entry->name);
        return names;
    }

    const auto snapshot = m_cache.read(resolvedFolder->host);
    if (!snapshot)
        return names;
    if (mask == ListMask::Directory && !folder.isRoot()) {
        for (const QStringView dots : {u".", u".."})
            if (matchesWildcard(pattern, dots))
                names.push_back(dots.toString());
    }
    std::vector<const HostEntry*> matches;
    for (const HostEntry& entry : snapshot.value()->entries()) {
        if (!entry.isHidden() && maskAccepts(mask, entry.kind) && matchesWildcard(pattern, entry.name))
            matches.push_back(&entry);
    }
    std::sort(matches.begin(), matches.end(),
              [](const HostEntry* a, const HostEntry* b) { return listingOrder(*a, *b); });
    for (const HostEntry* entry : matches)
        names.push_back(entry->name);
    return names;
}

Result<Attributes> FileSystem::attributes(const QString& dosPath) {
    const auto resolved = resolvePath(dosPath);
    if (!resolved)
        return resolved.failure();
    struct stat info {};
    if (!resolved->exists || ::stat(QFile::encodeName(resolved->host).constData(), &info) != 0)
        return Failure{tr("%1 was not found.").arg(dosPath)};

    Attributes attributes = S_ISDIR(info.st_mode) ? Attribute::Directory : Attribute::Archive;
    if (isReadOnly(info))
        attributes |= Attribute::ReadOnly;
    if (!resolved->isRoot && resolved->name.startsWith(QLatin1Char('.')))
        attributes |= Attribute::Hidden;
    return attributes;
}

bool FileSystem::isWritableFolder(const QString& dosFolder) {
    const auto resolved = resolvePath(dosFolder);
    return resolved && resolved->exists && resolved->kind == EntryKind::Folder &&
           ::access(QFile::encodeName(resolved->host).constData(), W_OK) == 0;
}

Result<std::vector<FolderEntry>> FileSystem::readFolder(const QString& dosFolder) {
    const auto resolved = resolvePath(dosFolder);
    if (!resolved)
        return resolved.failure();
    if (!resolved->exists)
        return Failure{tr("%1 does not exist.").arg(dosFolder)};
    const auto snapshot = m_cache.read(resolved->host);
    if (!snapshot)
        return Failure{tr("%1 cannot be read: %2.").arg(dosFolder, snapshot.error())};

    std::vector<const HostEntry*> visible;
    for (const HostEntry& entry : snapshot.value()->entries()) {
        if (!entry.isHidden() && entry.kind != EntryKind::Other)
            visible.push_back(&entry);
    }
    std::sort(visible.begin(), visible.end(),
              [](const HostEntry* a, const HostEntry* b) { return listingOrder(*a, *b); });
    std::vector<FolderEntry> entries;
    entries.reserve(visible.size());
    for (const HostEntry* entry : visible)
        entries.push_back({entry->name, entry->kind == EntryKind::Folder});
    return entries;
}

Result<QByteArray> FileSystem::readFile(const QString& dosPath, qint64 maxBytes) {
    const auto host = toHost(dosPath);
    if (!host)
        return host.failure();
    QFile file(*host);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{tr("%1 cannot be read: %2.").arg(dosPath, file.errorString())};
    // Read one byte past the limit, so that an oversized file is noticed without reading all of it.
    QByteArray content = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Failure{tr("%1 cannot be read: %2.").arg(dosPath, file.errorString())};
    if (content.size() > maxBytes)
        return Failure{tr("%1 is larger than %2 bytes.").arg(dosPath).arg(maxBytes)};
    return content;
}

Status FileSystem::replaceFile(const QString& dosPath, const QByteArray& content) {
    const auto host = toHost(dosPath);
    if (!host)
        return host.failure();
    if (hostKind(*host) == EntryKind::Folder)
        return Failure{tr("%1 cannot be written: a folder of that name is in the way.").arg(dosPath)};
    if (isReadOnlyFile(*host))
        return Failure{tr("%1 cannot be written: it is read-only.").arg(dosPath)};
    QSaveFile file(*host);
    // Unbuffered: commit() overlooks a failure of its own final flush, so a disk that fills up part-way
    // would leave a truncated file in place of the old one. Written directly, the shortfall shows here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Failure{tr("%1 cannot be written: %2.").arg(dosPath, file.errorString())};
    for (qint64 written = 0; written < content.size();) {
        const qint64 chunk = file.write(content.constData() + written, content.size() - written);
        if (chunk <= 0)
            return Failure{tr("%1 cannot be written: %2.").arg(dosPath, file.errorString())};
        written += chunk;
    }
    if (!file.commit())
        return Failure{tr("%1 cannot be written: %2.").arg(dosPath, file.errorString())};
    return {};
}

Status FileSystem::deleteFile(const QString& dosPath) {
    const auto resolved = resolvePath(dosPath);
    if (!resolved)
        return resolved.failure();
    if (!resolved->exists)
        return Failure{tr("%1 cannot be deleted: it does not exist.").arg(dosPath)};
    if (resolved->kind == EntryKind::Folder)
        return Failure{tr("%1 cannot be deleted: it is a folder.").arg(dosPath)};
    if (isReadOnlyFile(resolved->host))
        return Failure{tr("%1 cannot be deleted: it is read-only.").arg(dosPath)};
    if (::unlink(QFile::encodeName(resolved->host).constData()) != 0)
        return Failure{tr("%1 cannot be deleted: %2.").arg(dosPath, describeErrno(errno))};
    return {};
}

} // namespace fambridge::platform
