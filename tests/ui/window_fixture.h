#pragma once

#include "platform/text_file.h"
#include "qt_printers.h"
#include "recording_starter.h"
#include "startup/start_up.h"
#include "temp_drives.h"
#include "ui/backup_dialog.h"
#include "ui/common_dialog.h"
#include "ui/main_form.h"
#include "ui/messages.h"
#include "ui/program.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace fambridge::testing {

// A Famlore.ini of the current format naming this user folder, tree.ged in the import folder, family.ged in
// the export folder and this database.
inline QByteArray settingsFile(const QString& userFolder, const QString& importDir, const QString& exportDir,
                               const QString& database) {
    const auto quoted = [](const QString& value) { return QStringLiteral("\"%1\"").arg(value); };
    return platform::joinLines({QStringLiteral("\"FAMBRIDGE\",\"1.40\""), quoted(userFolder),
                                quoted(importDir), quoted(QStringLiteral("tree.ged")), quoted(exportDir),
                                quoted(QStringLiteral("family.ged")), quoted(database)});
}

// Answers the file dialog in place of the user: each showing takes the next answer, a DOS path, or is
// cancelled when none is left, and is recorded.
class AnsweringRunner : public FileDialogRunner {
public:
    std::optional<QString> run(const FileDialogRequest& request, QWidget*) override {
        requests.push_back(request);
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    }

    QStringList answers;
    std::vector<FileDialogRequest> requests;
};

// The program over a temporary drive map, wired as it runs, started from an application folder on C: as a
// user starts it; converters are recorded instead of started, and message boxes recorded instead of shown.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() { MessageBox::clearShownTexts(); }

    // Enters the application folder (relative to C:'s root), makes the windows and runs start-up.
    void start(const QString& appFolder = QStringLiteral("Conv")) {
        QDir::setCurrent(drives.makeFolder('C', appFolder));
        const Status started = runStartUp();
        ASSERT_TRUE(started.ok()) << started.error().toStdString();
    }

    // Made after the test has laid out its drives, as the program makes them after reading the drive map.
    Status runStartUp() {
        program = std::make_unique<Program>(drives.fileSystem(), starter, runner);
        return program->start();
    }

    // A database's pair of backup files, P and E, in a folder of a drive.
    void makeDatabase(QChar drive, const QString& backupFolder, const QString& name) {
        drives.makeFile(drive, backupFolder + '/' + name + "P.PDB");
        drives.makeFile(drive, backupFolder + '/' + name + "E.PDB");
    }

    AppState& state() { return program->state(); }
    MainForm& form() { return program->mainForm(); }
    BackupDialog& dialog() { return program->backupDialog().dialog(); } // built now if not yet

    // A list's entries as shown, without the folder list's indentation.
    static QStringList entries(const QAbstractItemModel* list) {
        QStringList texts;
        for (int row = 0; row < list->rowCount(); ++row)
            texts.append(list->index(row, 0).data().toString().trimmed());
        return texts;
    }
    QStringList databases() { return entries(form().DBList->model()); }
    QStringList folderItems() { return entries(dialog().BackupDir->model()); }

    // Selects the folder list's entry ending in this name and presses Enter on it, as the user opens it.
    void openFolder(const QString& name) {
        const auto found = dialog().BackupDir->findItems(name, Qt::MatchEndsWith);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        dialog().BackupDir->setCurrentItem(found.front());
        QTest::keyClick(dialog().BackupDir, Qt::Key_Return);
    }

    static QStringList warnings() { return MessageBox::shownTexts(); }
    // There have been this many messages, and the last one names every part given.
    void expectWarnings(qsizetype count, const QStringList& parts) {
        const QStringList shown = warnings();
        ASSERT_EQ(shown.size(), count) << shown.join('\n').toStdString();
        for (const QString& part : parts)
            EXPECT_TRUE(shown.back().contains(part))
                << part.toStdString() << " not in: " << shown.back().toStdString();
    }

    TempDrives drives;
    RecordingStarter starter;
    AnsweringRunner runner;
    std::unique_ptr<Program> program;
};

} // namespace fambridge::testing
