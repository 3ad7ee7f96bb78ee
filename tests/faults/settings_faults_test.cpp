#include "fault_fixture.h"
#include "file_size_limit.h"
#include "unprivileged.h"

#include <QFile>
#include <QFileInfo>

#include <fstream>
#include <string>

namespace fambridge {
namespace {

using testing::FaultFixture;
using testing::settingsFile;

const QByteArray kOldSettings = settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", "Family");

class SettingsFaults : public FaultFixture {
protected:
    void SetUp() override {
        FaultFixture::SetUp();
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyE.PDB");
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

    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("C:\\Conv\\Famlore.ini")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("folder")) << warnings[0].toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(drives.readHostFile(folder + "/keep.txt"), "mine");
}

// Permission bits stop nothing for root; the read-only case reruns itself as the user nobody.
enum class WriteFault { ReadOnlyApplicationFolder, FileSizeLimitReachedWhileWriting };

struct WriteFaultCase {
    const char* name;
    WriteFault fault;
    const char* reason;
};

void PrintTo(const WriteFaultCase& c, std::ostream* out) {
    *out << c.name;
}

class ExitThatCannotSave : public SettingsFaults, public ::testing::WithParamInterface<WriteFaultCase> {};

TEST_P(ExitThatCannotSave, SaysWhichFileAndWhyEndsAndLeavesTheOldFileWhole) {
    if (GetParam().fault == WriteFault::ReadOnlyApplicationFolder && testing::rerunUnprivileged())
        return;
    drives.makeFile('C', "Conv/Famlore.ini", kOldSettings);
    start();
    chooseImportFile();
    runner->answers.push_back(drives.host('C', "Gen/new.ged"));
    form().BrowseE(0)->click();

    bool ended = false;
    if (GetParam().fault == WriteFault::ReadOnlyApplicationFolder) {
        ASSERT_TRUE(QFile::setPermissions(appHost, QFile::ReadOwner | QFile::ExeOwner));
        ended = pressExit();
        QFile::setPermissions(appHost, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        // Smaller than the file to be written, larger than nothing: the write starts and then fails.
        const testing::FileSizeLimit limit(16);
        ASSERT_TRUE(limit.active());
        ended = pressExit();
    }

    EXPECT_TRUE(ended);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains("C:\\Conv\\Famlore.ini")) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains(GetParam().reason, Qt::CaseInsensitive)) << warnings[0].toStdString();
    EXPECT_EQ(drives.readHostFile(appHost + "/Famlore.ini"), kOldSettings);
    // No half-written temporary file is left beside it.
    EXPECT_EQ(QDir(appHost).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Famlore.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitThatCannotSave,
    ::testing::Values(WriteFaultCase{"ReadOnlyApplicationFolder", WriteFault::ReadOnlyApplicationFolder,
                                     "permission denied"},
                      WriteFaultCase{"FileSizeLimitReachedWhileWriting",
                                     WriteFault::FileSizeLimitReachedWhileWriting, "too large"}),
    [](const auto& info) { return std::string(info.param.name); });

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

constexpr qint64 kHugeSize = 100 * 1024 * 1024;

// A settings file of 100 MB on one line: the magic word, then no line end ever.
void writeHugeOneLineFile(const QString& hostPath) {
    QFile file(hostPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_GT(file.write("\"FAMBRIDGE\",\"1.40\",\"C:\\PALM\\"), 0);
    const QByteArray chunk(1024 * 1024, 'x');
    while (file.size() + chunk.size() <= kHugeSize)
        ASSERT_EQ(file.write(chunk), chunk.size());
    ASSERT_TRUE(file.flush());
}

TEST_F(SettingsFaults, HugeOneLineSettingsFileIsRefusedAfterReadingLittleMoreThanTheLimit) {
    const QString hostPath = drives.makeFolder('C', "Conv") + "/Famlore.ini";
    writeHugeOneLineFile(hostPath);

    const qint64 before = bytesReadSoFar();
    ASSERT_GE(before, 0);
    EXPECT_FALSE(ReadSettingsFile(drives.fileSystem(), "C:\\Conv\\Famlore.ini").has_value());
    EXPECT_LT(bytesReadSoFar() - before, 4 * kSettingsSizeLimit);
}

TEST_F(SettingsFaults, HugeOneLineSettingsFileStartsWithDefaultsAndExitReplacesIt) {
    writeHugeOneLineFile(drives.makeFolder('C', "Conv") + "/Famlore.ini");
    start();
    EXPECT_EQ(state.UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(state.ImportFile, "");
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    chooseImportFile();

    EXPECT_TRUE(pressExit());

    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    const auto saved = savedSettings();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->UserFolder, "C:\\PALM\\User1");
    EXPECT_EQ(saved->ImportDir, "C:\\Gen");
    EXPECT_EQ(saved->ImportName, "tree.ged");
}

} // namespace
} // namespace fambridge
