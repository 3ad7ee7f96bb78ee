#include "host_folder.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <sys/stat.h>

namespace fambridge::platform {

namespace {

EntryKind kindOfMode(mode_t mode) {
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISREG(mode))
        return EntryKind::File;
    return EntryKind::Other;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

QString describeErrno(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isWindowsName(const QString& name) {
    for (const QChar c : name) {
        if (c.unicode() < 0x20)
            return false;
        switch (c.unicode()) {
        case u'\\':
        case u'/':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return false;
        default:
            break;
        }
    }
    return true;
}

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
        switch (raw->d_type) {
        case DT_DIR:
            entry.kind = EntryKind::Folder;
            break;
        case DT_REG:
            entry.kind = EntryKind::File;
            break;
        case DT_LNK:
        case DT_UNKNOWN: {
            path.truncate(folderLength);
            path += bytes;
            struct stat info {};
            entry.kind = ::stat(path.constData(), &info) == 0 ? kindOfMode(info.st_mode) : EntryKind::Other;
            break;
        }
        default:
            entry.kind = EntryKind::Other;
        }
        entry.folded = entry.name.toCaseFolded();
        snapshot->m_entries.push_back(std::move(entry));
        errno = 0;
    }
    if (errno != 0)
        return Failure{describeErrno(errno)};

    return std::shared_ptr<const FolderSnapshot>(std::move(snapshot));
}

bool listingOrder(const HostEntry& a, const HostEntry& b) {
    if (a.folded != b.folded)
        return a.folded < b.folded;
    return a.name < b.name;
}

const HostEntry* FolderSnapshot::find(const QString& name) const {
    if (!m_indexed) {
        m_exact.reserve(qsizetype(m_entries.size()));
        m_folded.reserve(qsizetype(m_entries.size()));
        for (qsizetype i = 0; i < qsizetype(m_entries.size()); ++i) {
            m_exact.insert(m_entries[i].name, i);
            // Of several spellings that differ only in letter case, the one a listing gives first wins.
            auto existing = m_folded.find(m_entries[i].folded);
            if (existing == m_folded.end())
                m_folded.insert(m_entries[i].folded, i);
            else if (listingOrder(m_entries[i], m_entries[*existing]))
                *existing = i;
        }
        m_indexed = true;
    }
    if (auto it = m_exact.constFind(name); it != m_exact.cend())
        return &m_entries[*it];
    if (auto it = m_folded.constFind(name.toCaseFolded()); it != m_folded.cend())
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
