#include "platform/dos_path.h"
#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/program_launcher.h"
#include "platform/text_file.h"
#include "platform_test_support.h"
#include "temp_drives.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

#include <utility>

namespace fambridge::platform {
namespace {

using testing::outcome;
using testing::TempDrives;

// Translates every message into its context and its English text, so that a message that bypasses
// translation, or changes its context and loses the translations made for it, shows.
class ContextTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        return QString::fromUtf8(context) + QStringLiteral(" | ") + QString::fromUtf8(sourceText);
    }
};

TEST(Messages, ReachTheUserThroughTheTranslationOfTheirContext) {
    int argc = 1;
    char name[] = "fambridge_platform_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    ContextTranslator translator;
    QCoreApplication::installTranslator(&translator);
    TempDrives drives;
    FileSystem& fileSystem = drives.fileSystem();
    ProgramLauncher launcher(fileSystem);

    for (const auto& [message, expected] : {
             std::pair<QString, QString>{outcome(fileSystem.deleteFile("Q:\\x.txt")),
                                         "error: fambridge::platform::FileSystem | Drive Q: does not exist."},
             {outcome(fileSystem.parse("")),
              "error: fambridge::platform::DosPath | An empty path names no file or folder."},
             {outcome(fileSystem.toDos(drives.prefix())),
              "error: fambridge::platform::DriveMap | " + drives.prefix() +
                  " lies on no drive of the drive map in " + drives.prefix() + "/dosdevices."},
             {outcome(decodeText(QByteArray("a\0b", 3))),
              "error: fambridge::platform::TextFile | it is not a text file"},
             {outcome(testing::startProgram(launcher, "C:\\", {})),
              "error: fambridge::platform::ProgramLauncher | C:\\ names a folder, not a program."},
         }) {
        EXPECT_EQ(message, expected);
    }
}

} // namespace
} // namespace fambridge::platform
