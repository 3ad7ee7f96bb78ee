#include "platform/drive_map.h"
#include "platform/file_system.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using fambridge::platform::DriveMap;
using fambridge::platform::FileSystem;
using fambridge::platform::ListMask;

// A BACKUP folder as a large handheld backup leaves it: for every database stem a "<stem>P.PDB" in the
// stem's own lower case and a partner "<STEM>E.PDB" in upper case, so that looking up "<stem>E.PDB" never
// finds the exact spelling and always takes the case-blind path.
class BackupFolder {
public:
    explicit BackupFolder(int entries) : m_stems(entries / 2) {
        if (!m_temporary.isValid())
            throw std::runtime_error("no temporary folder");
        const QString prefix = m_temporary.path() + QStringLiteral("/prefix");
        auto map = DriveMap::open(prefix);
        if (!map)
            throw std::runtime_error(map.error().toStdString());
        m_hostFolder = prefix + QStringLiteral("/drive_c/PALM/User1/BACKUP");
        if (!QDir().mkpath(m_hostFolder))
            throw std::runtime_error("cannot create " + m_hostFolder.toStdString());
        for (int i = 0; i < m_stems; ++i) {
            const QString stem = stemName(i);
            createEmpty(stem + QStringLiteral("P.PDB"));
            createEmpty(stem.toUpper() + QStringLiteral("E.PDB"));
        }
        m_fileSystem = std::make_unique<FileSystem>(std::move(map).value());
    }

    static QString stemName(int index) {
        return QStringLiteral("family%1").arg(index, 6, 10, QLatin1Char('0'));
    }

    int stems() const { return m_stems; }
    const QString& hostFolder() const { return m_hostFolder; }
    QString dosFolder() const { return QStringLiteral("C:\\Palm\\User1\\Backup"); }
    FileSystem& fileSystem() const { return *m_fileSystem; }

private:
    void createEmpty(const QString& name) const {
        const int descriptor = ::open(QFile::encodeName(m_hostFolder + QLatin1Char('/') + name).constData(),
                                      O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (descriptor < 0)
            throw std::runtime_error("cannot create " + name.toStdString());
        ::close(descriptor);
    }

    QTemporaryDir m_temporary{QDir::tempPath() + QStringLiteral("/fambridge-bench-XXXXXX")};
    int m_stems;
    QString m_hostFolder;
    std::unique_ptr<FileSystem> m_fileSystem;
};

// Created on first use and kept for the whole run, so that creating 100,000 files is not what gets timed.
const BackupFolder& backupFolder(int entries) {
    static std::map<int, std::unique_ptr<BackupFolder>> folders;
    auto& folder = folders[entries];
    if (!folder)
        folder = std::make_unique<BackupFolder>(entries);
    return *folder;
}

// The refresh of the database list: every "*P.PDB" of the folder and, for each, whether its partner
// "<stem>E.PDB" is there, all inside one snapshot scope as the real refresh runs it.
void BM_ListDatabasesWithPartners(benchmark::State& state) {
    const BackupFolder& folder = backupFolder(static_cast<int>(state.range(0)));
    FileSystem& fileSystem = folder.fileSystem();
    const QString pattern = folder.dosFolder() + QStringLiteral("\\*P.PDB");
    const QString partnerFolder = folder.dosFolder() + QLatin1Char('\\');

    for (auto _ : state) {
        const auto scope = fileSystem.snapshotScope();
        int partners = 0;
        for (const QString& name : fileSystem.list(pattern, ListMask::Normal)) {
            if (fileSystem.exists(partnerFolder + name.chopped(5) + QStringLiteral("E.PDB"),
                                  ListMask::Normal))
                ++partners;
        }
        if (partners != folder.stems()) {
            state.SkipWithError("a partner database was not found");
            break;
        }
        benchmark::DoNotOptimize(partners);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The floor: reading the same folder once with readdir and nothing else.
void BM_Readdir(benchmark::State& state) {
    const BackupFolder& folder = backupFolder(static_cast<int>(state.range(0)));
    const QByteArray path = QFile::encodeName(folder.hostFolder());

    for (auto _ : state) {
        DIR* dir = ::opendir(path.constData());
        if (!dir) {
            state.SkipWithError("cannot open the folder");
            break;
        }
        long entries = 0;
        while (const dirent* entry = ::readdir(dir)) {
            benchmark::DoNotOptimize(entry->d_name[0]);
            ++entries;
        }
        ::closedir(dir);
        benchmark::DoNotOptimize(entries);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ListDatabasesWithPartners)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Readdir)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
