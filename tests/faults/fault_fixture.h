#pragma once

#include "platform/text_file.h"
#include "startup/settings_file.h"
#include "window_fixture.h"

#include <QByteArray>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Both windows over a temporary drive map, with the means to break the host under them: raw byte names,
// symbolic links, folders that vanish. Every test ends where a user would: pressing Exit.
class FaultFixture : public WindowFixture {
protected:
    QStringList databases() {
        QStringList names;
        for (int i = 0; i < form().DBList->count(); ++i)
            names.append(form().DBList->itemText(i));
        return names;
    }

    QStringList folderListItems() {
        QStringList items;
        for (int i = 0; i < dialog().BackupDir->count(); ++i)
            items.append(dialog().BackupDir->item(i)->text().trimmed());
        return items;
    }

    // Presses Exit; true when the window asked to end, as it must whether or not the file was written.
    bool pressExit() {
        QSignalSpy ended(&form(), &MainForm::exitRequested);
        form().Exit(1)->click();
        return ended.count() == 1;
    }

    // What the next start would read from the application folder's Famlore.ini.
    std::optional<SettingsRecords> savedSettings() {
        const auto text = platform::decodeText(drives.readHostFile(appHost + QStringLiteral("/Famlore.ini")));
        return text ? parseSettings(*text) : std::nullopt;
    }

    // A folder or an empty file whose host name is these bytes, below an existing host folder. Qt cannot
    // remove such a name, so the fixture does, deepest first.
    void makeRawFolder(const QString& hostParent, const QByteArray& name) {
        const QByteArray path = QFile::encodeName(hostParent) + '/' + name;
        ASSERT_EQ(::mkdir(path.constData(), 0755), 0) << path.toHex().constData();
        m_rawPaths.push_back(path);
    }
    void makeRawFile(const QString& hostParent, const QByteArray& name) {
        const QByteArray path = QFile::encodeName(hostParent) + '/' + name;
        const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(descriptor, 0) << path.toHex().constData();
        ::close(descriptor);
        m_rawPaths.push_back(path);
    }

    void TearDown() override {
        for (auto it = m_rawPaths.crbegin(); it != m_rawPaths.crend(); ++it)
            ::remove(it->constData());
        WindowFixture::TearDown();
    }

private:
    std::vector<QByteArray> m_rawPaths;
};

} // namespace fambridge::testing
