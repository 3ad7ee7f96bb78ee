#pragma once

#include "qt_printers.h"
#include "startup/start_up.h"
#include "temp_drives.h"
#include "ui/backup_dialog.h"
#include "ui/main_form.h"
#include "ui/select_dialog.h"

#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>

namespace fambridge::testing {

// Answers the file dialog in place of the user: each showing takes the next answer (a host path, or an
// empty string for Cancel, as when no answer is left) and is recorded.
class AnsweringRunner : public FileDialogRunner {
public:
    std::optional<QString> run(const FileDialogRequest& request, QWidget*) override {
        requests.push_back(request);
        if (answers.empty())
            return std::nullopt;
        const QString answer = answers.front();
        answers.pop_front();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }

    std::deque<QString> answers;
    std::vector<FileDialogRequest> requests;
};

// Both windows over a temporary drive map, started from an application folder on C: as a user starts
// the program; warnings are collected instead of shown.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { m_savedFolder = QDir::currentPath(); }
    void TearDown() override {
        dialogPtr.reset();
        formPtr.reset();
        QDir::setCurrent(m_savedFolder);
    }

    // Enters the application folder (relative to C:'s root), makes the windows and runs start-up.
    void start(const QString& appFolder = QStringLiteral("Conv")) {
        enter(appFolder);
        const Status started = runStartUp();
        ASSERT_TRUE(started.ok()) << started.error().toStdString();
    }

    void enter(const QString& appFolder) {
        appHost = drives.makeFolder('C', appFolder);
        QDir::setCurrent(appHost);
    }

    // The windows are made after the test has laid out its drives, as the program makes them after
    // reading the drive map.
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
        return StartUp(state, drives.fileSystem(), *formPtr, *dialogPtr);
    }

    MainForm& form() { return *formPtr; }
    // The user folder dialog, built now if start-up has not needed it yet.
    BackupDialog& dialog() { return dialogPtr->dialog(); }

    TempDrives drives;
    AppState state;
    QString appHost;
    AnsweringRunner* runner = nullptr;
    QStringList warnings;
    std::unique_ptr<MainForm> formPtr;
    std::unique_ptr<DeferredBackupDialog> dialogPtr;

private:
    QString m_savedFolder;
};

} // namespace fambridge::testing
