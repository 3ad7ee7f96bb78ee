#include "unprivileged.h"
#include "window_fixture.h"

#include <QFile>
#include <QFileInfo>

#include <fstream>
#include <string>

namespace fambridge {
namespace {

class SettingsFaults : public testing::WindowFixture {
protected:
    void SetUp() override {
        makeDatabase('C', "PALM/User1/BACKUP", "Family");
        drives.makeFile('C', "Gen/tree.ged");
    }
};

TEST_F(SettingsFaults, SettingsPathHeldByAFolderStartsWithDefaultsAndExitNamesTheFileAndTheReason) {
    const QString folder = drives.makeFolder('C', "Conv/Famlore.ini");
    start();
    EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
    runner->answers.push_back(drives.host('C', "Gen/tree.ged"));
    form().BrowseI(1)->click();
    EXPECT_TRUE(pressExit());

    expectWarnings(1, {"C:\\Conv\\Famlore.ini", "folder"});
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

// Permission bits stop nothing for root, so the test reruns itself as the user nobody. A write failing
// part way, as on a full disk, is met by the settings file's own tests.
TEST_F(SettingsFaults, ExitFromAReadOnlyApplicationFolderSaysWhichFileAndWhyEndsAndLeavesTheOldFileWhole) {
    if (testing::rerunUnprivileged())
        return;
    const QByteArray old = testing::settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family");
    drives.makeFile('C', "Conv/Famlore.ini", old);
    start();
    runner->answers.push_back(drives.host('C', "Gen/new.ged"));
    form().BrowseE(0)->click();

    ASSERT_TRUE(QFile::setPermissions(appHost, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_TRUE(pressExit());
    QFile::setPermissions(appHost, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    expectWarnings(1, {"C:\\Conv\\Famlore.ini", "denied"});
    EXPECT_EQ(drives.readHostFile(appHost + "/Famlore.ini"), old);
}

// Windows will not replace a read-only file, and a user who marked the settings read-only meant to keep
// them; as root too.
TEST_F(SettingsFaults, ExitOverAReadOnlySettingsFileSaysSoEndsAndLeavesItAsItWas) {
    const QByteArray old = testing::settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family");
    const QString file = drives.makeFile('C', "Conv/Famlore.ini", old);
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    start();
    runner->answers.push_back(drives.host('C', "Gen/new.ged"));
    form().BrowseE(0)->click();

    EXPECT_TRUE(pressExit());
    expectWarnings(1, {"C:\\Conv\\Famlore.ini", "read-only"});
    EXPECT_EQ(drives.readHostFile(file), old);
}

// Bytes this process has read through read() and its kin so far, as the kernel counts them.
qint64 bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    qint64 value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            return value;
    }
    return -1;
}

// 100 MB on one line: the magic word, then no line end ever.
TEST_F(SettingsFaults, HugeOneLineSettingsFileIsRefusedAfterReadingLittleOfItAndExitReplacesIt) {
    QFile file(drives.makeFolder('C', "Conv") + "/Famlore.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_GT(file.write("\"FAMBRIDGE\",\"1.40\",\"C:\\PALM\\"), 0);
    const QByteArray chunk(1024 * 1024, 'x');
    while (file.size() + chunk.size() <= 100 * 1024 * 1024)
        ASSERT_EQ(file.write(chunk), chunk.size());
    file.close();

    const qint64 before = bytesReadSoFar();
    ASSERT_GE(before, 0);
    EXPECT_FALSE(readSettingsFile(drives.fileSystem(), "C:\\Conv\\Famlore.ini").has_value());
    EXPECT_LT(bytesReadSoFar() - before, 4 * kSettingsSizeLimit);

    start();
    EXPECT_EQ(state().UserFolder, "C:\\PALM\\User1");
    EXPECT_TRUE(pressExit());
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_EQ(savedChoices().value(0), "C:\\PALM\\User1");
}

} // namespace
} // namespace fambridge
