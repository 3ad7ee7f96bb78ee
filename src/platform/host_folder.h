#pragma once

#include "result.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace fambridge::platform {

enum class EntryKind { File, Folder, Other };

// The hidden and system bits of Windows' attributes, with Windows' values.
enum DosAttributeBits : int { kDosHidden = 0x2, kDosSystem = 0x4 };

struct HostEntry {
    QString name;
    QString upper; // the name in Windows' upper case, for Windows' case-blind look-ups
    EntryKind kind = EntryKind::Other;
    // The hidden and system bits Wine keeps for the entry, read when first asked for; -1 until then.
    mutable int dosBits = -1;
};

// The order in which listings give names: case-insensitive, and stable between spellings that differ
// only in letter case.
bool listingOrder(const HostEntry& a, const HostEntry& b);

// The hidden and system bits that Wine keeps in the extended attribute user.DOSATTRIB when a Windows
// program marks a file or folder so, read as Wine reads them; 0 when there are none.
int readDosAttributes(const QString& hostPath);

// Whether Windows leaves an entry of hostFolder out of listings: it is marked hidden or system, or its
// name begins with a dot, which Wine shows as hidden. The mark is read once per entry.
bool isHiddenOrSystem(const HostEntry& entry, const QString& hostFolder);

// One reading of a host folder: every entry but "." and "..", in the order the host gave them. Sorting
// is left to whoever lists, so that it costs only what a listing returns and look-ups never pay for it.
class FolderSnapshot {
public:
    static Result<std::shared_ptr<const FolderSnapshot>> read(const QString& hostFolder);

    const std::vector<HostEntry>& entries() const { return m_entries; }
    const QString& hostFolder() const { return m_hostFolder; }
    // Whether the folder may be entered as well as read: Windows lists a folder only then.
    bool searchable() const { return m_searchable; }
    // The entry spelled exactly so, else the first whose name differs only in letter case.
    const HostEntry* find(const QString& name) const;

private:
    QString m_hostFolder;
    bool m_searchable = false;
    std::vector<HostEntry> m_entries;
    mutable QHash<QString, qsizetype> m_exact;
    mutable QHash<QString, qsizetype> m_upper;
    mutable bool m_indexed = false;
};

// Keeps the first reading of each folder while at least one scope is open, so that one refresh that looks
// at the same folder many times reads it once and sees it in one consistent state.
class FolderCache {
public:
    class Scope {
    public:
        explicit Scope(FolderCache& cache) : m_cache(&cache) { ++m_cache->m_depth; }
        Scope(Scope&& other) noexcept : m_cache(std::exchange(other.m_cache, nullptr)) {}
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        Scope& operator=(Scope&&) = delete;
        ~Scope();

    private:
        FolderCache* m_cache;
    };

    bool active() const { return m_depth > 0; }
    Result<std::shared_ptr<const FolderSnapshot>> read(const QString& hostFolder);

private:
    int m_depth = 0;
    std::unordered_map<QString, Result<std::shared_ptr<const FolderSnapshot>>> m_snapshots;
};

// Kind of the host entry at a path, following symbolic links; nothing when it does not exist.
std::optional<EntryKind> hostKind(const QString& hostPath);

} // namespace fambridge::platform
