#include "fault_fixture.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QStyle>
#include <QTest>

#include <string>

#include <sys/inotify.h>
#include <unistd.h>

namespace fambridge {
namespace {

using testing::FaultFixture;

class StartUpWork : public FaultFixture {
protected:
    QImage iconImage(int row) { return dialog().BackupDir->item(row)->icon().pixmap(16).toImage(); }
    QImage styleImage(QStyle::StandardPixmap which) {
        return dialog().BackupDir->style()->standardIcon(which).pixmap(16).toImage();
    }
};

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
    FolderReadCounter(const FolderReadCounter&) = delete;
    FolderReadCounter& operator=(const FolderReadCounter&) = delete;

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

struct StartCase {
    const char* name;
    bool savedSettings;
    QStringList notRead;
};

void PrintTo(const StartCase& c, std::ostream* out) {
    *out << c.name;
}

class StartUpReadings : public StartUpWork, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUpReadings, ReadEachFolderAtMostOnceAndNoneTheyDoNotNeed) {
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
    drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
    drives.makeFolder('C', "PALM/User1/INSTALL");
    drives.makeFolder('C', "PALM/Other/Notes");
    drives.makeFolder('C', "Windows/System");
    drives.makeFolder('C', "Conv");
    if (GetParam().savedSettings)
        drives.makeFile('C', "Conv/Famlore.ini", testing::settingsFile("C:\\PALM\\User1", "", "", ""));
    FolderReadCounter counter(drives.drive('C'));
    ASSERT_TRUE(counter.active());

    start();

    ASSERT_EQ(state.UserFolder, "C:\\PALM\\User1");
    ASSERT_EQ(databases(), QStringList{"Family"});
    const QHash<QString, int> readings = counter.readings();
    EXPECT_TRUE(readings.contains("PALM/User1/BACKUP"));
    for (auto it = readings.cbegin(); it != readings.cend(); ++it)
        EXPECT_LE(it.value(), 1) << "C:/" << it.key().toStdString();
    for (const QString& folder : GetParam().notRead)
        EXPECT_FALSE(readings.contains(folder)) << "C:/" << folder.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Starts, StartUpReadings,
                         ::testing::Values(StartCase{"FirstStartWithDiscovery",
                                                     false,
                                                     {"Windows", "Windows/System", "PALM/User1/INSTALL",
                                                      "PALM/Other/Notes"}},
                                           StartCase{"StartWithASavedUserFolder",
                                                     true,
                                                     {"Windows", "Windows/System", "PALM/User1/INSTALL",
                                                      "PALM/Other", "PALM/Other/Notes"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The user folder dialog is made and filled at start-up but stays hidden; the icon theme is looked up
// only once somebody can see the icons.
TEST_F(StartUpWork, HiddenFolderListLooksUpNoIconsAndShowsOpenAndClosedFoldersOnceShown) {
    drives.makeFolder('C', "PALM/User1/BACKUP");
    drives.makeFolder('C', "PALM/User1/INSTALL");
    start();
    ASSERT_EQ(folderListItems(), (QStringList{"C:\\", "PALM", "User1", "BACKUP", "INSTALL"}));
    for (int row = 0; row < dialog().BackupDir->count(); ++row)
        EXPECT_TRUE(dialog().BackupDir->item(row)->icon().isNull()) << row;

    dialog().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog()));
    const QImage open = styleImage(QStyle::SP_DirOpenIcon);
    const QImage closed = styleImage(QStyle::SP_DirClosedIcon);
    ASSERT_NE(open, closed);
    for (int row : {0, 1, 2})
        EXPECT_EQ(iconImage(row), open) << row;
    for (int row : {3, 4})
        EXPECT_EQ(iconImage(row), closed) << row;

    // Folders opened while the dialog is shown get their icons at once.
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    EXPECT_EQ(iconImage(1), open);
    EXPECT_EQ(iconImage(2), closed);
    dialog().hide();
}

} // namespace
} // namespace fambridge
