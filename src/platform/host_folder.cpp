#include "host_folder.h"

#include "platform/dos_path.h"
#include "platform/wildcard.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <cstdlib>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fambridge::platform {

namespace {

EntryKind kindOfMode(mode_t mode) {
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISREG(mode))
        return EntryKind::File;
    return EntryKind::Other;
}

// The kind the folder reading gives an entry. A link, or an entry of a file system that does not say,
// costs a stat() through path, which holds the folder's path up to folderLength.
EntryKind kindOfEntry(const dirent& raw, QByteArray& path, qsizetype folderLength) {
    switch (raw.d_type) {
    case DT_DIR:
        return EntryKind::Folder;
    case DT_REG:
        return EntryKind::File;
    case DT_LNK:
    case DT_UNKNOWN: {
        path.truncate(folderLength);
        path += raw.d_name;
        struct stat info {};
        return ::stat(path.constData(), &info) == 0 ? kindOfMode(info.st_mode) : EntryKind::Other;
    }
    default:
        return EntryKind::Other;
    }
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

std::optional<EntryKind> hostKind(const QString& hostPath) {
    struct stat info {};
    if (::stat(QFile::encodeName(hostPath).constData(), &info) != 0)
        return std::nullopt;
    return kindOfMode(info.st_mode);
}

Result<std::shared_ptr<const FolderSnapshot>> FolderSnapshot::read(const QString& hostFolder) {
    const QByteArray encodedFolder = QFile::encodeName(hostFolder);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(encodedFolder.constData()));
    if (!dir)
        return Failure{describeErrno(errno)};

    auto snapshot = std::make_shared<FolderSnapshot>();
    snapshot->m_hostFolder = hostFolder;
    snapshot->m_searchable = ::access(encodedFolder.constData(), X_OK) == 0;
    QByteArray path = encodedFolder;
    if (!path.endsWith('/'))
        path += '/';
    const qsizetype folderLength = path.size();

    errno = 0;
    while (const dirent* raw = ::readdir(dir.get())) {
        const char* rawName = raw->d_name;
        if (std::strcmp(rawName, ".") == 0 || std::strcmp(rawName, "..") == 0)
            continue;
        const QByteArray bytes(rawName);
        HostEntry entry;
        entry.name = QFile::decodeName(bytes);
        // A name that is not valid in the host's encoding could not be opened again from its decoded
        // form; leaving it out is better than offering the user a name that leads nowhere.
        if (QFile::encodeName(entry.name) != bytes || !isWindowsName(entry.name))
            continue;
        entry.kind = kindOfEntry(*raw, path, folderLength);
        entry.upper = windowsUpper(entry.name);
        snapshot->m_entries.push_back(std::move(entry));
        errno = 0;
    }
    if (errno != 0)
        return Failure{describeErrno(errno)};

    return std::shared_ptr<const FolderSnapshot>(std::move(snapshot));
}

bool listingOrder(const HostEntry& a, const HostEntry& b) {
    if (a.upper != b.upper)
        return a.upper < b.upper;
    return a.name < b.name;
}

int readDosAttributes(const QString& hostPath) {
    // Wine reads at most 64 bytes, a text "0x" and hexadecimal digits up to its end or a NUL (Samba
    // stores more behind one); anything else it takes for no mark at all, and so do we.
    constexpr std::size_t kWineLimit = 64;
    char value[kWineLimit + 1];
    const ssize_t length =
        ::getxattr(QFile::encodeName(hostPath).constData(), "user.DOSATTRIB", value, kWineLimit);
    if (length < 2 || value[0] != '0' || value[1] != 'x')
        return 0;
    value[length] = '\0';
    char* end = nullptr;
    const long bits = std::strtol(value, &end, 16);
    if (*end != '\0')
        return 0;
    return int(bits & (kDosHidden | kDosSystem));
}

bool isHiddenOrSystem(const HostEntry& entry, const QString& hostFolder) {
    if (entry.name.startsWith(QLatin1Char('.')))
        return true;
    if (entry.dosBits < 0) {
        const QString path = hostFolder.endsWith(QLatin1Char('/'))
                                 ? hostFolder + entry.name
                                 : hostFolder + QLatin1Char('/') + entry.name;
        entry.dosBits = readDosAttributes(path);
    }
    return entry.dosBits != 0;
}

const HostEntry* FolderSnapshot::find(const QString& name) const {
    if (!m_indexed) {
        m_exact.reserve(qsizetype(m_entries.size()));
        m_upper.reserve(qsizetype(m_entries.size()));
        for (qsizetype i = 0; i < qsizetype(m_entries.size()); ++i) {
            m_exact.insert(m_entries[i].name, i);
            // Of several spellings that differ only in letter case, the one a listing gives first wins.
            auto existing = m_upper.find(m_entries[i].upper);
            if (existing == m_upper.end())
                m_upper.insert(m_entries[i].upper, i);
            else if (listingOrder(m_entries[i], m_entries[*existing]))
                *existing = i;
        }
        m_indexed = true;
    }
    if (auto it = m_exact.constFind(name); it != m_exact.cend())
        return &m_entries[*it];
    if (auto it = m_upper.constFind(windowsUpper(name)); it != m_upper.cend())
        return &m_entries[*it];
    return nullptr;
}

FolderCache::Scope::~Scope() {
    if (m_cache && --m_cache->m_depth == 0)
        m_cache->m_snapshots.clear();
}

Result<std::shared_ptr<const FolderSnapshot>> FolderCache::read(const QString& hostFolder) {
    if (!active())
        return FolderSnapshot::read(hostFolder);
    if (auto it = m_snapshots.find(hostFolder); it != m_snapshots.end())
        return it->second;
    auto snapshot = FolderSnapshot::read(hostFolder);
    m_snapshots.emplace(hostFolder, snapshot);
    return snapshot;
}

} // namespace fambridge::platform
