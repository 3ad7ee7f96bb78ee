#pragma once

#include "platform/text_file.h"
#include "qt_printers.h"
#include "startup/settings_file.h"
#include "startup/start_up.h"
#include "temp_drives.h"
#include "ui/backup_dialog.h"
#include "ui/common_dialog.h"
#include "ui/main_form.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
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

// Answers the file dialog in place of the user: each showing takes the next answer (a host path, or an
// empty string for Cancel, as when no answer is left) and is recorded.
class AnsweringRunner : public FileDialogRunner {
public:
    std::optional<QString> run(const FileDialogRequest& request, QWidget*) override {
        requests.push_back(request);
        const QString answer = answers.empty() ? QString() : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
    }

    std::deque<QString> answers;
    std::vector<FileDialogRequest> requests;
};

// Both windows over a temporary drive map, started from an application folder on C: as a user starts
// the program; warnings are collected instead of shown.
class WindowFixture : public ::testing::Test {
protected:
    ~WindowFixture() override { QDir::setCurrent(m_savedFolder); }

    // Enters the application folder (relative to C:'s root), makes the windows and runs start-up.
    void start(const QString& appFolder = QStringLiteral("Conv")) {
        appHost = drives.makeFolder('C', appFolder);
        QDir::setCurrent(appHost);
        const Status started = runStartUp();
        ASSERT_TRUE(started.ok()) << started.error().toStdString();
    }

    // Made after the test has laid out its drives, as the program makes them after reading the drive map.
    Status runStartUp() {
        formPtr = std::make_unique<MainForm>(state, drives.fileSystem());
        dialogPtr =
            std::make_unique<DeferredBackupDialog>(state, drives.fileSystem(), *formPtr, formPtr.get());
        formPtr->setBackupDialog(dialogPtr.get());
        auto answering = std::make_unique<AnsweringRunner>();
        runner = answering.get();
        formPtr->SelectDialog.setRunner(std::move(answering));
        formPtr->setWarningHandler([this](const QString& text) { warnings.append(text); });
        dialogPtr->setWarningHandler([this](const QString& text) { warnings.append(text); });
        return startUp(state, drives.fileSystem(), *formPtr, *dialogPtr);
    }

    // A database's pair of backup files, P and E, in a folder of a drive.
    void makeDatabase(QChar drive, const QString& backupFolder, const QString& name) {
        drives.makeFile(drive, backupFolder + '/' + name + "P.PDB");
        drives.makeFile(drive, backupFolder + '/' + name + "E.PDB");
    }

    MainForm& form() { return *formPtr; }
    BackupDialog& dialog() { return dialogPtr->dialog(); } // built now if nothing has needed it yet

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

    // Presses Exit; true when the window asked to end, as it must whether or not the file was written.
    bool pressExit() {
        QSignalSpy ended(&form(), &MainForm::exitRequested);
        form().Exit(1)->click();
        return ended.count() == 1;
    }

    // The six choices the next start would read from the application folder's Famlore.ini, in the file's
    // order; none when it could not use the file.
    QStringList savedChoices() {
        const auto text = platform::decodeText(drives.readHostFile(appHost + QStringLiteral("/Famlore.ini")));
        const auto saved = text ? parseSettings(*text) : std::nullopt;
        if (!saved)
            return {};
        return {saved->UserFolder, saved->ImportDir,  saved->ImportName,
                saved->ExportDir,  saved->ExportName, saved->DatabaseName};
    }

    // There have been this many warnings, and the last one names every part given.
    void expectWarnings(qsizetype count, const QStringList& parts) {
        ASSERT_EQ(warnings.size(), count) << warnings.join('\n').toStdString();
        for (const QString& part : parts)
            EXPECT_TRUE(warnings.back().contains(part))
                << part.toStdString() << " not in: " << warnings.back().toStdString();
    }

    TempDrives drives;
    AppState state;
    QString appHost;
    AnsweringRunner* runner = nullptr;
    QStringList warnings;
    // Declared after the window, so that the dialog, its child, goes first.
    std::unique_ptr<MainForm> formPtr;
    std::unique_ptr<DeferredBackupDialog> dialogPtr;

private:
    QString m_savedFolder = QDir::currentPath();
};

} // namespace fambridge::testing
