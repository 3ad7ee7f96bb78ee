#include "commands/converter_commands.h"
#include "qt_printers.h"
#include "recording_starter.h"
#include "startup/settings_file.h"
#include "temp_drives.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace fambridge {
namespace {

// An application folder C:\Conv and a user folder C:\PALM\User1 whose INSTALL folder holds the database an
// earlier import left, found in any letter case, and whose BACKUP holds the database Family.
class ConverterCommandsTest : public ::testing::Test {
protected:
    ConverterCommandsTest() {
        state.AppDir = "C:\\Conv";
        state.UserFolder = "C:\\PALM\\User1";
        state.ImportFile = "D:\\Gen\\tree.ged";
        state.ExportFile = "D:\\Out\\family.ged";
        state.DatabaseName = "Family";
        drives.makeFolder('C', "Conv");
        drives.makeFile('C', "PALM/User1/BACKUP/FamilyP.PDB");
        drives.makeFile('C', "PALM/User1/BACKUP/familye.pdb");
        waiting = drives.makeFile('C', "PALM/User1/Install/famlorim.pdb", "waiting");
    }
    // What the INSTALL folder holds, hidden names included.
    QStringList installFolder() {
        return QDir(drives.host('C', "PALM/User1/Install")).entryList(QDir::Files | QDir::Hidden);
    }

    testing::TempDrives drives;
    testing::RecordingStarter starter;
    AppState state;
    QString waiting;
};

// The install file may be a converted database still waiting for the handheld: it goes only for an import
// converter that starts, and nothing starts on what is not there. Windows will not delete a read-only
// file, whoever asks; the import stops there.
TEST_F(ConverterCommandsTest, CommandThatCannotStartStartsNothingKeepsTheInstallFileAndSaysWhy) {
    struct Case {
        const char* name;
        bool import;
        std::function<void()> arrange;
        const char* reason;
    };
    const Case cases[] = {
        {"converter not found", true, [&] { starter.failPrepare = "not found"; },
         "FLImport could not be started from the application folder C:\\Conv"},
        {"converter fails to start", true, [&] { starter.failStart = "no such interpreter"; },
         "no such interpreter"},
        {"install file read-only", true, [&] { QFile::setPermissions(waiting, QFile::ReadOwner); },
         "C:\\PALM\\User1\\INSTALL\\FAMLORIM.PDB cannot be deleted"},
        {"no user folder", true, [&] { state.UserFolder = "C:"; }, "no Palm user folder is in use"},
        {"no INSTALL folder", true, [&] { state.UserFolder = "C:\\PALM"; },
         "C:\\PALM\\INSTALL does not exist"},
        {"no database chosen", false, [&] { state.DatabaseName.clear(); }, "no database is chosen"},
        {"database not in the user folder", false, [&] { state.DatabaseName = "Garden"; },
         "C:\\PALM\\User1\\BACKUP\\GardenP.PDB does not exist"},
        {"half a database", false, [&] { QFile::remove(drives.host('C', "PALM/User1/BACKUP/familye.pdb")); },
         "C:\\PALM\\User1\\BACKUP\\FamilyE.PDB does not exist"},
    };
    drives.makeFolder('C', "PALM/BACKUP");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        const Status started = c.import ? runImport(state, drives.fileSystem(), starter)
                                        : runExport(state, drives.fileSystem(), starter);
        ASSERT_FALSE(started.ok());
        EXPECT_TRUE(started.error().contains(c.reason)) << started.error().toStdString();
        EXPECT_EQ(installFolder(), QStringList({"famlorim.pdb"}));
        EXPECT_EQ(drives.readHostFile(waiting), "waiting");
        EXPECT_TRUE(starter.started.empty());
        starter.failPrepare = starter.failStart = std::nullopt;
        state.UserFolder = "C:\\PALM\\User1";
        state.DatabaseName = "Family";
    }
}

// What another user could have planted is not trusted, root included: a converter of theirs, even in a
// sticky folder; one of ours where they may replace it; a settings file that is their symbolic link.
// Files of another user can be made only by root; an execute bit for the owner alone stops only others.
TEST(PlantedFiles, AreNeitherRunNorReadNorWrittenThrough) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make files that belong to another user";
    testing::TempDrives drives;
    const uid_t daemonUser = 1;
    // A converter of another user in a sticky folder, one of ours in a folder all may write, and one of ours
    // that all may write; each executable by all.
    for (const auto& [folder, folderMode, mode, owner] : {std::tuple{"Sticky", 01777, 0701, daemonUser},
                                                          {"Shared", 0777, 0701, 0u},
                                                          {"Own", 0755, 0703, 0u}}) {
        const QByteArray program =
            QFile::encodeName(drives.makeFile('C', folder + QString("/FLImport"), "#!/bin/sh\n"));
        ASSERT_EQ(::chmod(QFile::encodeName(drives.host('C', folder)).constData(), mode_t(folderMode)), 0);
        ASSERT_EQ(::chmod(program.constData(), mode_t(mode)) | ::chown(program.constData(), owner, owner), 0);
    }
    const QString target = drives.makeFile('C', "Own/target.txt", "kept");
    const QString link = drives.host('C', "Sticky/Famlore.ini");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), daemonUser, daemonUser), 0);

    platform::ProgramLauncher launcher(drives.fileSystem());
    const auto refusal = [&](const QString& program) {
        const auto prepared = launcher.prepare(program, {});
        return prepared ? QString("prepared") : prepared.error();
    };
    EXPECT_EQ(refusal("C:\\Sticky\\FLImport"),
              "FLImport in C:\\Sticky belongs to daemon, not to you: another "
              "user could have put it there, so it is not started.");
    EXPECT_EQ(
        refusal("C:\\Shared\\FLImport"),
        "FLImport in C:\\Shared lies in a folder where other users may replace it, so it is not started.");
    EXPECT_EQ(refusal("C:\\Own\\FLImport"), "FLImport in C:\\Own may be changed by other users, so it is not "
                                            "started.");
    EXPECT_FALSE(readSettingsFile(drives.fileSystem(), "C:\\Sticky\\Famlore.ini"));
    AppState state;
    state.IniPath = "C:\\Sticky\\Famlore.ini";
    const Status written = writeSettingsFile(drives.fileSystem(), state);
    EXPECT_EQ(written.error(), "C:\\Sticky\\Famlore.ini is a symbolic link that belongs to daemon, not to "
                               "you: it is neither read nor written through.");
    EXPECT_EQ(drives.readHostFile(target), "kept");
}

} // namespace
} // namespace fambridge
