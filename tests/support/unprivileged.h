#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace fambridge::testing {

// Permission bits stop nothing for root. A test that needs a write or a deletion to fail calls this first:
// as root it runs the same test again in a child process as the user nobody and returns true, after
// which the caller returns at once; otherwise (already unprivileged) it returns false and the test goes on.
// The child inherits this process's environment, through which a test can hand it what it prepared as root;
// what it printed goes to `output` when one is given.
inline bool rerunUnprivileged(int timeoutMs = 60000, QByteArray* output = nullptr) {
    if (::geteuid() != 0)
        return false;
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty()) {
        ADD_FAILURE() << "setpriv is needed to run this test as an unprivileged user";
        return true;
    }
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString filter = QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name());
    // The build tree may lie in a folder the user nobody cannot enter (a checkout in a private home
    // folder); a copy of the test in a fresh folder is reachable.
    QTemporaryDir copyFolder;
    const QString copy = copyFolder.path() + QStringLiteral("/unprivileged-test");
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!QFile::copy(QCoreApplication::applicationFilePath(), copy) ||
        !QFile::setPermissions(copyFolder.path(), everyone) || !QFile::setPermissions(copy, everyone)) {
        ADD_FAILURE() << "cannot copy the test program for the user nobody";
        return true;
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                          QStringLiteral("--clear-groups"), copy, filter});
    if (!child.waitForFinished(timeoutMs))
        child.kill();
    // A skip in the child is a failure here; relayed as printed, its mark would have ctest, which looks for
    // that mark, report the test as skipped.
    const QByteArray printed = child.readAll().replace("[  SKIPPED ]", "[  skipped ]");
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << printed.constData();
    EXPECT_EQ(child.exitCode(), 0) << printed.constData();
    EXPECT_TRUE(printed.contains("[  PASSED  ] 1 test")) << printed.constData();
    if (output)
        *output = printed;
    return true;
}

} // namespace fambridge::testing
