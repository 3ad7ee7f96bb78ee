#include "window_fixture.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>

#include <string>

#include <sys/inotify.h>
#include <unistd.h>

namespace fambridge {
namespace {

// Counts how often each folder of a drive is opened for reading its entries, as the kernel sees it.
class FolderReadCounter {
public:
    explicit FolderReadCounter(const QString& driveRoot) : m_root(driveRoot) {
        m_descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        watch(driveRoot);
        QDirIterator folders(driveRoot, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (folders.hasNext())
            watch(folders.next());
        // Walking the tree just now opened each folder once.
        readings();
    }
    ~FolderReadCounter() { ::close(m_descriptor); }

    bool active() const { return m_descriptor >= 0 && !m_folders.isEmpty(); }

    // Readings since the last call, by folder relative to the drive root ("" for the root itself).
    QHash<QString, int> readings() {
        QHash<QString, int> counts;
        alignas(inotify_event) char buffer[64 * 1024];
        ssize_t length = 0;
        while ((length = ::read(m_descriptor, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                // Reported to the folder's own watch without a name; its parent sees it too, with one.
                if ((event->mask & IN_ISDIR) != 0 && event->len == 0 && m_folders.contains(event->wd))
                    ++counts[m_folders.value(event->wd)];
                at += sizeof(inotify_event) + event->len;
            }
        }
        return counts;
    }

private:
    void watch(const QString& folder) {
        const int watchDescriptor =
            inotify_add_watch(m_descriptor, QFile::encodeName(folder).constData(), IN_OPEN | IN_ONLYDIR);
        if (watchDescriptor >= 0)
            m_folders.insert(watchDescriptor, folder.mid(m_root.size() + 1));
    }

    QString m_root;
    int m_descriptor = -1;
    QHash<int, QString> m_folders;
};

// Discovery must look into PALM's user folders; a saved user folder leaves it no reason to.
class StartUpReadings : public testing::WindowFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(StartUpReadings, ReadEachFolderAtMostOnceAndNoneTheyDoNotNeed) {
    makeDatabase('C', "PALM/User1/BACKUP", "Family");
    drives.makeFolder('C', "PALM/User1/INSTALL");
    drives.makeFolder('C', "PALM/Other/Notes");
    drives.makeFolder('C', "Windows/System");
    drives.makeFolder('C', "Conv");
    const bool savedSettings = GetParam();
    if (savedSettings)
        drives.makeFile('C', "Conv/Famlore.ini", testing::settingsFile("C:\\PALM\\User1", "", "", ""));
    FolderReadCounter counter(drives.drive('C'));
    ASSERT_TRUE(counter.active());

    start();

    ASSERT_EQ(state().UserFolder, "C:\\PALM\\User1");
    ASSERT_EQ(databases(), QStringList{"Family"});
    const QHash<QString, int> readings = counter.readings();
    EXPECT_TRUE(readings.contains("PALM/User1/BACKUP"));
    for (auto it = readings.cbegin(); it != readings.cend(); ++it)
        EXPECT_LE(it.value(), 1) << "C:/" << it.key().toStdString();
    QStringList notRead = {"Windows", "Windows/System", "PALM/User1/INSTALL", "PALM/Other/Notes"};
    if (savedSettings)
        notRead.append("PALM/Other");
    for (const QString& folder : notRead)
        EXPECT_FALSE(readings.contains(folder)) << "C:/" << folder.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Starts, StartUpReadings, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "StartWithASavedUserFolder" : "FirstStartWithDiscovery");
});

} // namespace
} // namespace fambridge
