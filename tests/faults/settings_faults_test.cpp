#include "file_size_limit.h"
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

    // The user picks a GED file to import, so that Exit has a choice to save.
    void chooseImportFile() {
        runner->answers.push_back(drives.host('C', "Gen/tree.ged"));
        form().BrowseI(1)->click();
        ASSERT_EQ(state.ImportFile, "C:\\Gen\\tree.ged");
    }
};

TEST_F(SettingsFaults, SettingsPathHeldByAFolderStartsWithDefaultsAndExitNamesTheFileAndTheReason) {
    const QString folder = drives.makeFolder('C', "Conv/Famlore.ini");
    drives.makeFile('C', "Conv/Famlore.ini/keep.txt", "mine");
    start();
    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(databases(), QStringList{"Family"});
    chooseImportFile();

    EXPECT_TRUE(pressExit());

    expectWarnings(1, {"C:\\Conv\\Famlore.ini", "folder"});
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(drives.readHostFile(folder + "/keep.txt"), "mine");
}

// Permission bits stop nothing for root, so the test reruns itself as the user nobody. The file size limit
// lets the write start and then fails it, as a full disk does.
TEST_F(SettingsFaults, ExitThatCannotSaveSaysWhichFileAndWhyEndsAndLeavesTheOldFileWhole) {
    if (testing::rerunUnprivileged())
        return;
    const QByteArray old = testing::settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family");
    drives.makeFile('C', "Conv/Famlore.ini", old);
    start();
    chooseImportFile();
    runner->answers.push_back(drives.host('C', "Gen/new.ged"));
    form().BrowseE(0)->click();

    ASSERT_TRUE(QFile::setPermissions(appHost, QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_TRUE(pressExit());
    QFile::setPermissions(appHost, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    expectWarnings(1, {"C:\\Conv\\Famlore.ini", "denied"});
    {
        const testing::FileSizeLimit limit(16);
        ASSERT_TRUE(limit.active());
        EXPECT_TRUE(pressExit());
    }
    expectWarnings(2, {"C:\\Conv\\Famlore.ini", "too large"});

    EXPECT_EQ(drives.readHostFile(appHost + "/Famlore.ini"), old);
    // No half-written temporary file is left beside it.
    EXPECT_EQ(QDir(appHost).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Famlore.ini"});
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
    EXPECT_FALSE(ReadSettingsFile(drives.fileSystem(), "C:\\Conv\\Famlore.ini").has_value());
    EXPECT_LT(bytesReadSoFar() - before, 4 * kSettingsSizeLimit);

    start();
    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_TRUE(pressExit());
    EXPECT_EQ(warnings, QStringList());
    EXPECT_EQ(savedChoices().value(0), "C:\\PALM\\User1");
}

} // namespace
} // namespace fambridge
