#include "file_system.h"

#include "platform/host_trust.h"
#include "platform/wildcard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Wine marks a folder that is a symbolic link, unless a separator after its name leads into the target, and
// a folder on which another file system is mounted, the host's root included.
bool isReparsePoint(const QByteArray& hostFolder, const struct stat& folder, bool trailingSeparator) {
    struct stat link {};
    if (!trailingSeparator && ::lstat(hostFolder.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return true;
    struct stat parent {};
    return ::stat((hostFolder + "/..").constData(), &parent) == 0 &&
           (parent.st_dev != folder.st_dev || parent.st_ino == folder.st_ino);
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
        // A process has one current folder, on the drive whose root lies deepest above it; any other drive
        // stands for its root, even one whose root holds that folder too (Z: for the whole host), as on
        // Windows.
        const auto here = m_driveMap.locate(QDir::currentPath());
        if (here && here->first == folder.drive)
            folder.components = here->second;
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
    // An exact name costs one stat() instead of a folder reading, and finds an entry in a folder that may
    // be entered but not read, as Windows finds it there.
    const auto exactEntry = [&]() -> std::optional<HostEntry> {
        const auto kind = hostKind(joinHost(hostFolder, name));
        if (!kind)
            return std::nullopt;
        HostEntry entry;
        entry.name = name;
        entry.kind = *kind;
        return entry;
    };
    if (!m_cache.active()) {
        if (auto entry = exactEntry())
            return entry;
    }
    const auto snapshot = m_cache.read(hostFolder);
    if (!snapshot)
        return m_cache.active() ? exactEntry() : std::nullopt;
    // Copied out, since outside a scope nothing keeps the snapshot alive once this returns; the names are
    // shared, not duplicated.
    if (const HostEntry* entry = snapshot.value()->find(name))
        return *entry;
    return std::nullopt;
}

bool FileSystem::listable(const QString& hostFolder) {
    if (!m_cache.active())
        return ::access(QFile::encodeName(hostFolder).constData(), R_OK | X_OK) == 0;
    const auto snapshot = m_cache.read(hostFolder);
    return snapshot && snapshot.value()->searchable();
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
    if (dosPattern.size() == 2 && dosPattern[1] == QLatin1Char(':'))
        return listBareDrive(dosPattern, mask);
    // Asking for a folder's contents is asking for every name in it.
    const bool contents = !dosPattern.isEmpty() && isSeparator(dosPattern.back());
    const auto parsed = parse(contents ? dosPattern + QLatin1Char('*') : dosPattern);
    // A path that ends at a drive's root or in a name of dots alone leaves no name to look for.
    if (!parsed || parsed->isRoot() || parsed->trailingSeparator)
        return {};

    const QString& pattern = parsed->components.back();
    const DosPath folder = parsed->parent();
    const auto resolved = resolve(folder);
    if (!resolved || !resolved->exists || resolved->kind != EntryKind::Folder || !listable(resolved->host))
        return {};
    if (hasWildcard(pattern))
        return listMatches(resolved->host, pattern, mask, folder.isRoot());
    return listExact(resolved->host, pattern, mask);
}

// A bare drive whose current folder lies below its root names nothing a listing can give, as on Windows.
// At its root it names the drive itself, which lets the program fall back on the user folder "C:"; Wine
// finds nothing there either.
std::vector<QString> FileSystem::listBareDrive(const QString& drive, ListMask mask) {
    const auto parsed = parse(drive);
    const auto root = parsed ? m_driveMap.hostRoot(parsed->drive) : std::nullopt;
    if (root && mask == ListMask::Directory && parsed->isRoot() && hostKind(*root) == EntryKind::Folder)
        return {parsed->driveSpec()};
    return {};
}

std::vector<QString> FileSystem::listExact(const QString& hostFolder, const QString& name, ListMask mask) {
    const auto entry = findEntry(hostFolder, name);
    if (entry && maskAccepts(mask, entry->kind) && !isHiddenOrSystem(*entry, hostFolder))
        return {entry->name};
    return {};
}

std::vector<QString> FileSystem::listMatches(const QString& hostFolder, const QString& pattern, ListMask mask,
                                             bool atRoot) {
    const auto snapshot = m_cache.read(hostFolder);
    if (!snapshot)
        return {};
    std::vector<QString> names;
    if (mask == ListMask::Directory && !atRoot) {
        // The dots carry the marks of the folder itself and of its parent, as Wine reports them.
        for (const auto& [dots, hostPath] :
             {std::pair{QStringLiteral("."), hostFolder},
              std::pair{QStringLiteral(".."), joinHost(hostFolder, QStringLiteral(".."))}})
            if (matchesWildcard(pattern, dots) && readDosAttributes(hostPath) == 0)
                names.push_back(dots);
    }
    std::vector<const HostEntry*> matches;
    for (const HostEntry& entry : snapshot.value()->entries()) {
        // The name first: reading an entry's marks costs a system call, which only matches need.
        if (maskAccepts(mask, entry.kind) && matchesWildcard(pattern, entry.name) &&
            !isHiddenOrSystem(entry, hostFolder))
            matches.push_back(&entry);
    }
    std::sort(matches.begin(), matches.end(),
              [](const HostEntry* a, const HostEntry* b) { return listingOrder(*a, *b); });
    for (const HostEntry* entry : matches)
        names.push_back(entry->name);
    return names;
}

Result<Attributes> FileSystem::attributes(const QString& dosPath) {
    const auto parsed = parse(dosPath);
    if (!parsed)
        return parsed.failure();
    const auto resolved = resolve(*parsed);
    if (!resolved)
        return resolved.failure();
    const QByteArray host = QFile::encodeName(resolved->host);
    struct stat info {};
    // Named pipes and devices are no files to Windows; a name followed by a separator must be a folder.
    if (!resolved->exists || ::stat(host.constData(), &info) != 0 ||
        !(S_ISDIR(info.st_mode) || S_ISREG(info.st_mode)) ||
        (parsed->trailingSeparator && !S_ISDIR(info.st_mode)))
        return Failure{tr("%1 was not found.").arg(dosPath)};

    Attributes attributes = S_ISDIR(info.st_mode) ? Attribute::Directory : Attribute::Archive;
    if (isReadOnly(info))
        attributes |= Attribute::ReadOnly;
    if (!resolved->isRoot && resolved->name.startsWith(QLatin1Char('.')))
        attributes |= Attribute::Hidden;
    const int marks = readDosAttributes(resolved->host);
    if (marks & kDosHidden)
        attributes |= Attribute::Hidden;
    if (marks & kDosSystem)
        attributes |= Attribute::System;
    if (S_ISDIR(info.st_mode) && isReparsePoint(host, info, parsed->trailingSeparator))
        attributes |= Attribute::ReparsePoint;
    return attributes;
}

QString FileSystem::volumeLabel(QChar drive) const {
    const auto root = m_driveMap.hostRoot(drive);
    if (!root)
        return {};
    // Where Wine keeps the label of a drive that is a host folder.
    QFile file(joinHost(*root, QStringLiteral(".windows-label")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.read(255)).trimmed();
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
        if (entry.kind != EntryKind::Other && !isHiddenOrSystem(entry, resolved->host))
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
    if (const Status trusted = HostTrust::checkLink(*host, dosPath); !trusted)
        return trusted.failure();
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
    // Windows refuses to replace a hidden or system file that is opened as an ordinary one; the mark
    // would be lost with the file.
    if (const auto marks = attributes(dosPath);
        marks && (marks->testFlag(Attribute::Hidden) || marks->testFlag(Attribute::System)))
        return Failure{tr("%1 cannot be written: it is marked hidden or system.").arg(dosPath)};
    if (const Status trusted = HostTrust::checkLink(*host, dosPath); !trusted)
        return trusted.failure();
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

Result<AsideFile> FileSystem::setAside(const QString& dosPath) {
    const auto resolved = resolvePath(dosPath);
    if (!resolved)
        return resolved.failure();
    if (!resolved->exists || resolved->kind != EntryKind::File)
        return Failure{tr("%1 cannot be moved aside: it is no file.").arg(dosPath)};
    if (isReadOnlyFile(resolved->host))
        return Failure{tr("%1 cannot be deleted: it is read-only.").arg(dosPath)};
    // A dot name is hidden, from the user's listings and from programs that collect every database of
    // the folder, and it keeps no extension they look for.
    const QString aside =
        joinHost(QFileInfo(resolved->host).path(), QStringLiteral(".%1.fambridge-aside").arg(resolved->name));
    const QByteArray from = QFile::encodeName(resolved->host);
    const QByteArray to = QFile::encodeName(aside);
    ::unlink(to.constData());
    // A second name first, then the first one goes: stopped in between, both names hold the file. A file
    // system without hard links gets a rename, which leaves one name or the other.
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) != 0) {
            const int error = errno;
            ::unlink(to.constData());
            return Failure{tr("%1 cannot be deleted: %2.").arg(dosPath, describeErrno(error))};
        }
    } else if (::rename(from.constData(), to.constData()) != 0) {
        return Failure{tr("%1 cannot be deleted: %2.").arg(dosPath, describeErrno(errno))};
    }
    return AsideFile{resolved->host, aside};
}

Status FileSystem::putBack(const AsideFile& file) {
    // Never over a file that appeared meanwhile: that one is newer.
    if (::link(QFile::encodeName(file.aside).constData(), QFile::encodeName(file.original).constData()) != 0)
        return Failure{tr("%1 could not be put back; it was kept as %2: %3.")
                           .arg(file.original, file.aside, describeErrno(errno))};
    ::unlink(QFile::encodeName(file.aside).constData());
    return {};
}

void FileSystem::discardAside(const AsideFile& file) {
    ::unlink(QFile::encodeName(file.aside).constData());
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
