#include "end_to_end_test.h"

#include <QFile>

namespace fambridge::e2e {
namespace {

using FirstRun = EndToEndTest;
using SavedSettings = EndToEndTest;
using CloseBox = EndToEndTest;

TEST_F(FirstRun, EnterRightAfterStartPressesExitWhichSavesTheUserFolderFoundUnderPALM) {
    drives.makeFolder('C', "PALM/User1/Backup");
    startProgram();

    screen.pressKeys(mainWindow, {"Return"});

    expectProgramEnds();
    EXPECT_EQ(readSettings(),
              settingsText({R"("FAMBRIDGE","1.40")", R"("C:\PALM\User1")", "", "", "", "", ""}));
}

TEST_F(SavedSettings, ExitClickedWithTheMouseWritesThemBackByteForByte) {
    drives.makeFile('C', "PALM/User1/Backup/FamilyP.PDB");
    drives.makeFile('C', "PALM/User1/Backup/FamilyE.PDB");
    drives.makeFile('C', "Gen/tree.ged");
    const QStringList saved = {R"("FAMBRIDGE","1.40")", R"("C:\PALM\User1")", R"("C:\Gen")", R"("tree.ged")",
                               R"("C:\Out")",           R"("family.ged")",    R"("Family")"};
    writeSettings(saved);
    startProgram();

    clickControl(mainWindow, kExitButton);

    expectProgramEnds();
    EXPECT_EQ(readSettings(), settingsText(saved));
}

TEST_F(CloseBox, EndsTheProgramWithoutWritingSettings) {
    drives.makeFolder('C', "PALM/User1/Backup");
    startProgram();

    screen.pressCloseBox(mainWindow);

    expectProgramEnds();
    EXPECT_FALSE(QFile::exists(settingsFile()));
}

} // namespace
} // namespace fambridge::e2e
