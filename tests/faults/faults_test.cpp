#include "window_fixture.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fambridge {
namespace {

using testing::settingsFile;

// Both windows over drives the test breaks under them. Every test ends where a user would: pressing Exit.
class Faults : public testing::WindowFixture {
protected:
    void SetUp() override { makeDatabase('C', "PALM/User1/BACKUP", "Family"); }
    void TearDown() override {
        for (auto it = m_rawPaths.crbegin(); it != m_rawPaths.crend(); ++it)
            ::remove(it->constData());
    }

    // A folder, or an empty file, whose host name is these bytes, which Qt could not remove.
    void makeRaw(const QString& hostParent, const QByteArray& name, bool folder) {
        const QByteArray path = QFile::encodeName(hostParent) + '/' + name;
        const int made = folder ? ::mkdir(path.constData(), 0755)
                                : ::close(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644));
        ASSERT_EQ(made, 0) << path.toHex().constData();
        m_rawPaths.push_back(path);
    }

private:
    std::vector<QByteArray> m_rawPaths;
};

// Windows skips such a settings file at start and refuses to replace it at Exit, whoever asks: the file and
// its mark stay as they were.
TEST_F(Faults, SettingsFileThatCannotBeReplacedIsKeptAndExitNamesItAndTheReason) {
    const QByteArray old = settingsFile("C:\\PALM\\Old", "", "", "");
    const struct {
        const char* name;
        std::function<QString()> make;
        const char* reason;
    } cases[] = {
        {"folder in the way", [&] { return drives.makeFolder('C', "Conv/Famlore.ini"); }, "folder"},
        {"read-only",
         [&] {
             const QString file = drives.makeFile('C', "Conv/Famlore.ini", old);
             QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
             return file;
         },
         "read-only"},
        {"hidden",
         [&] {
             const QString file = drives.makeFile('C', "Conv/Famlore.ini", old);
             ::setxattr(QFile::encodeName(file).constData(), "user.DOSATTRIB", "0x2", 3, 0);
             return file;
         },
         "hidden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(drives.host('C', "Conv")).removeRecursively();
        MessageBox::clearShownTexts();
        const QString made = c.make();
        start();
        // The old file names a user folder that is gone; a file skipped at start leaves discovery to it.
        EXPECT_EQ(state().UserFolder, c.reason == std::string("read-only") ? "C:" : "C:\\PALM\\User1");
        EXPECT_TRUE(pressExit());
        expectWarnings(1, {"C:\\Conv\\Famlore.ini", c.reason});
        EXPECT_EQ(QFileInfo(made).isDir() ? old : drives.readHostFile(made), old);
    }
}

// Bytes this process has read through read() and its kin so far, as the kernel counts them.
qint64 bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    qint64 value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

// 100 MB on one line: the magic word, then no line end ever.
TEST_F(Faults, HugeOneLineSettingsFileIsRefusedAfterReadingLittleOfItAndExitReplacesIt) {
    QFile file(drives.makeFolder('C', "Conv") + "/Famlore.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\"FAMBRIDGE\",\"1.40\",\"C:\\PALM\\");
    const QByteArray chunk(1024 * 1024, 'x');
    while (file.size() + chunk.size() <= 100 * 1024 * 1024)
        ASSERT_EQ(file.write(chunk), chunk.size());
    file.close();
    const qint64 before = bytesReadSoFar();
    start();
    EXPECT_LT(bytesReadSoFar() - before, 4 * kSettingsSizeLimit);
    EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
    EXPECT_TRUE(pressExit());
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_EQ(savedChoices().value(0), "C:\\PALM\\User1");
}

// The dialog still shows the folder as it was when the user opened it; OK must not trust that.
TEST_F(Faults, UserFolderDeletedBeforeOkFallsBackToCEmptiesTheListAndExitKeepsTheChoices) {
    makeDatabase('C', "PALM/Owner/BACKUP", "Family");
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("C:\\PALM\\Owner", "C:\\Gen", "C:\\Out", "Family"));
    start();
    ASSERT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\Owner");
    ASSERT_TRUE(QDir(drives.host('C', "PALM/Owner")).removeRecursively());
    dialog().OKButton->click();

    EXPECT_EQ(state().UserFolder, "C:");
    EXPECT_EQ(databases(), QStringList());
    EXPECT_EQ(state().DatabaseName, "Family");
    EXPECT_FALSE(form().BrowseI(1)->isEnabled());
    EXPECT_TRUE(pressExit());
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_EQ(savedChoices(), QStringList({"C:", "C:\\Gen", "tree.ged", "C:\\Out", "family.ged", "Family"}));
}

TEST_F(Faults, SavedUserFolderOnADanglingDriveIsReportedWhenTheDialogOpensAndTheDialogStaysUsable) {
    drives.drive('D');
    ASSERT_TRUE(QDir(drives.host('D', "")).removeRecursively());
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("D:\\PALM\\Owner", "", "", ""));
    start();
    EXPECT_EQ(state().UserFolder, "C:");
    EXPECT_EQ(state().DriveSpec, "D:");
    EXPECT_TRUE(warnings().isEmpty()) << "the main window must show before anything about the dialog's drive";

    EXPECT_EQ(dialog().BackupDrive->Drive(), "c:");
    expectWarnings(1, {"D:"});
    const QString shown = dialog().BackupDir->Path();
    dialog().BackupDrive->setDrive("D:");
    expectWarnings(2, {"D:"});
    EXPECT_EQ(dialog().BackupDir->Path(), shown);
    openFolder("C:\\");
    openFolder("PALM");
    EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM");
}

// Every kind of loop at once: to the drive root, between two links, a BACKUP that names itself, and
// database files and a folder in the user folder's BACKUP that do. "Aloop" sorts before "User1", so
// discovery meets the loops first.
TEST_F(Faults, SymbolicLinkLoopsArePassedByAndTheListAndTheDialogStillWork) {
    const std::pair<QString, QString> links[] = {{"PALM/Aloop", ".."},
                                                 {"PALM/Bloop", "Cloop"},
                                                 {"PALM/Cloop", "Bloop"},
                                                 {"PALM/Dloop/Backup", "Backup"},
                                                 {"PALM/User1/BACKUP/LoopP.PDB", "LoopP.PDB"},
                                                 {"PALM/User1/BACKUP/LoopE.PDB", "LoopE.PDB"},
                                                 {"PALM/User1/BACKUP/Deeper", "."}};
    for (const auto& [link, target] : links) {
        const QString host = drives.host('C', link);
        QDir().mkpath(QFileInfo(host).path());
        ASSERT_TRUE(QFile::link(target, host)) << link.toStdString();
    }
    start();
    EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    const QStringList offered = folderItems().mid(2);
    EXPECT_TRUE(offered.contains("Aloop")) << offered.join(' ').toStdString();
    for (const QString& folder : offered) {
        ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
        openFolder(folder);
        EXPECT_EQ(dialog().BackupDir->Path(), "C:\\PALM\\" + folder);
    }
    EXPECT_TRUE(warnings().isEmpty());
}

// Names no decoder may accept: 0xFF, an overlong slash and an encoded surrogate, which lenient decoders
// take. Such a name cannot be opened again from any text the program could hold, so it is left out
// everywhere; started in such a folder, start-up refuses with a message naming it.
TEST_F(Faults, NameNotValidOnTheHostIsNeitherChosenNorListedNorOfferedNorStartedIn) {
    for (const QByteArray& bad : {QByteArray("\xFF"), QByteArray("\xC0\xAF"), QByteArray("\xED\xA0\x80")}) {
        makeRaw(drives.host('C', "PALM"), "A" + bad, true);
        makeRaw(drives.host('C', "PALM"), "A" + bad + "/Backup", true);
        makeRaw(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "P.PDB", false);
        makeRaw(drives.host('C', "PALM/User1/BACKUP"), "Bad" + bad + "E.PDB", false);
    }
    start();
    EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    ASSERT_TRUE(dialog().BackupDir->setPath("C:\\PALM").ok());
    EXPECT_EQ(folderItems(), (QStringList{"C:\\", "PALM", "User1"}));

    makeRaw(drives.drive('C'), "Conv\xFF", true);
    ASSERT_EQ(::chdir((QFile::encodeName(drives.drive('C')) + "/Conv\xFF").constData()), 0);
    const Status started = runStartUp();
    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains(drives.drive('C') + "/Conv")) << started.error().toStdString();
}

// How often start-up opens each folder of drive C: for reading, as the kernel sees it: at most once, and
// never one it does not need. Discovery must look into PALM's user folders; a saved user folder leaves it
// no reason to.
TEST_F(Faults, StartUpReadsEachFolderAtMostOnceAndNoneItDoesNotNeed) {
    drives.makeFolder('C', "PALM/User1/INSTALL");
    drives.makeFolder('C', "PALM/Other/Notes");
    drives.makeFolder('C', "Windows/System");
    drives.makeFolder('C', "Conv");
    for (const bool saved : {false, true}) {
        SCOPED_TRACE(saved ? "saved user folder" : "discovery");
        if (saved)
            drives.makeFile('C', "Conv/Famlore.ini", settingsFile("C:\\PALM\\User1", "", "", ""));
        const int watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QHash<int, QString> folders;
        QDirIterator walk(drives.drive('C'), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            const QString folder = walk.next();
            folders.insert(
                inotify_add_watch(watcher, QFile::encodeName(folder).constData(), IN_OPEN | IN_ONLYDIR),
                folder.mid(drives.drive('C').size() + 1));
        }
        start();
        QHash<QString, int> readings;
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t length; (length = ::read(watcher, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                // Reported to the folder's own watch without a name; its parent sees it too, with one.
                if ((event->mask & IN_ISDIR) && event->len == 0 && folders.contains(event->wd))
                    ++readings[folders.value(event->wd)];
                at += sizeof(inotify_event) + event->len;
            }
        }
        ::close(watcher);
        EXPECT_EQ(databases(), QStringList{"Family"});
        EXPECT_TRUE(readings.contains("PALM/User1/BACKUP"));
        for (auto it = readings.cbegin(); it != readings.cend(); ++it)
            EXPECT_LE(it.value(), 1) << "C:/" << it.key().toStdString();
        QStringList notRead = {"Windows", "Windows/System", "PALM/User1/INSTALL", "PALM/Other/Notes"};
        if (saved)
            notRead.append("PALM/Other");
        for (const QString& folder : notRead)
            EXPECT_FALSE(readings.contains(folder)) << "C:/" << folder.toStdString();
    }
}

} // namespace
} // namespace fambridge
