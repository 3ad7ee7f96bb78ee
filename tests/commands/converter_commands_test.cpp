#include "commands/converter_commands.h"
#include "qt_printers.h"
#include "recording_starter.h"
#include "temp_drives.h"

#include <QFile>

#include <gtest/gtest.h>

namespace fambridge {
namespace {

// An application folder C:\Conv and a user folder C:\PALM\User1 whose INSTALL folder holds the database an
// earlier import left, found in any letter case.
class ConverterCommandsTest : public ::testing::Test {
protected:
    ConverterCommandsTest() {
        state.AppDir = "C:\\Conv";
        state.UserFolder = "C:\\PALM\\User1";
        state.ImportFile = "D:\\Gen\\tree.ged";
        state.ExportFile = "D:\\Out\\family.ged";
        state.DatabaseName = "Family";
        waiting = drives.makeFile('C', "PALM/User1/Install/famlorim.pdb", "waiting");
    }

    testing::TempDrives drives;
    testing::RecordingStarter starter;
    AppState state;
    QString waiting;
};

TEST_F(ConverterCommandsTest, EachConverterGetsItsFieldsAsTheyStandAndOnlyImportRemovesTheInstallFile) {
    ASSERT_TRUE(runExport(state, starter).ok());
    EXPECT_TRUE(QFile::exists(waiting));
    ASSERT_TRUE(runImport(state, drives.fileSystem(), starter).ok());
    EXPECT_FALSE(QFile::exists(waiting));
    ASSERT_EQ(starter.started.size(), 2u);
    EXPECT_EQ(starter.started[0], QStringList({"C:\\Conv\\FLExport", "C:\\PALM\\User1\\BACKUP",
                                               "D:\\Out\\family.ged", "Family"}));
    EXPECT_EQ(starter.started[1], QStringList({"C:\\Conv\\FLImport", "C:\\PALM\\User1\\INSTALL",
                                               "D:\\Gen\\tree.ged", "C:\\Conv"}));
    EXPECT_EQ(importCommand(state).program, "C:\\Conv\\FLImport");
    EXPECT_EQ(installFile(state), "C:\\PALM\\User1\\INSTALL\\FAMLORIM.PDB");
}

// The install file may be a converted database still waiting for the handheld: it goes only for an import
// converter that starts. Windows will not delete a read-only file, whoever asks; the import stops there.
TEST_F(ConverterCommandsTest, ImportThatCannotStartOrCannotRemoveTheOldFileKeepsItAndSaysWhy) {
    struct Case {
        const char* name;
        bool failPrepare;
        bool readOnly;
        const char* reason;
    };
    const Case cases[] = {
        {"converter not found", true, false,
         "FLImport could not be started from the application folder C:\\Conv"},
        {"install file read-only", false, true, "C:\\PALM\\User1\\INSTALL\\FAMLORIM.PDB cannot be deleted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        starter.failPrepare = c.failPrepare ? std::optional<QString>("not found") : std::nullopt;
        QFile::setPermissions(waiting, c.readOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
        const Status started = runImport(state, drives.fileSystem(), starter);
        ASSERT_FALSE(started.ok());
        EXPECT_TRUE(started.error().contains(c.reason)) << started.error().toStdString();
        EXPECT_EQ(drives.readHostFile(waiting), "waiting");
        EXPECT_TRUE(starter.started.empty());
    }
}

} // namespace
} // namespace fambridge
