#include "window_fixture.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace fambridge {
namespace {

using testing::settingsFile;

constexpr int kPairs = 50'000;

QString stem(int index) {
    return QStringLiteral("family%1").arg(index, 5, 10, QLatin1Char('0'));
}

// 100,000 files, as a handheld with a great many databases leaves its backup: every pair complete, the
// export half in upper case so that each partner is found only without regard to case.
void fillBackupFolder(const QString& hostFolder) {
    QByteArray path = QFile::encodeName(hostFolder) + '/';
    const qsizetype folderLength = path.size();
    for (int i = 0; i < kPairs; ++i) {
        for (const QString& name : {stem(i) + "P.PDB", stem(i).toUpper() + "E.PDB"}) {
            path.truncate(folderLength);
            path += QFile::encodeName(name);
            const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            ASSERT_GE(descriptor, 0) << path.constData();
            ::close(descriptor);
        }
    }
}

using BigBackupFolder = testing::WindowFixture;

TEST_F(BigBackupFolder, OfAHundredThousandFilesListsEveryDatabaseAndSelectsTheSavedOne) {
    fillBackupFolder(drives.makeFolder('C', "PALM/User1/BACKUP"));
    const QString saved = stem(kPairs - 1);
    drives.makeFile('C', "Conv/Famlore.ini", settingsFile("C:\\PALM\\User1", "C:\\Gen", "C:\\Out", saved));
    start();

    const QStringList listed = databases();
    ASSERT_EQ(listed.size(), kPairs);
    EXPECT_EQ(listed.front(), stem(0));
    EXPECT_EQ(listed.back(), saved);
    EXPECT_EQ(form().DBList->currentText(), saved);
    EXPECT_TRUE(form().BrowseE(0)->isEnabled());
    EXPECT_TRUE(warnings().isEmpty());
}

} // namespace
} // namespace fambridge
