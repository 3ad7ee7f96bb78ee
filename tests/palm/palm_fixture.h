#pragma once

#include "startup/form_controls.h"
#include "temp_drives.h"

#include <QString>
#include <QStringList>

namespace fambridge::testing {

// The main window as the database list sees it. DBList behaves like a drop-down list: adding an entry
// does not select it, and setting its text selects only an exact match.
class RecordingForm : public MainFormControls {
public:
    bool browseIEnabled = false;
    bool browseEEnabled = false;
    QStringList dbList;
    int dbListIndex = -1; // -1: no entry selected

    QString dbListText() const { return dbListIndex >= 0 ? dbList.at(dbListIndex) : QString(); }

    void setBrowseIEnabled(bool enabled) override { browseIEnabled = enabled; }
    void setBrowseEEnabled(bool enabled) override { browseEEnabled = enabled; }
    void clearDBList() override {
        dbList.clear();
        dbListIndex = -1;
    }
    void addDBListItem(const QString& name) override { dbList.append(name); }
    void setDBListText(const QString& name) override {
        if (const int index = int(dbList.indexOf(name)); index >= 0)
            dbListIndex = index;
    }
    // Start-up's part of the window.
    void setImportEnabled(bool) override {}
    void setExportEnabled(bool) override {}
    void setFromFilename(const QString&) override {}
    void setToFilename(const QString&) override {}
    void setBackupFolder(const QString&) override {}
};

// The words of a text separated by blanks, for tables of file names.
inline QStringList words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Creates entries of drive C:, given as host-relative paths, in order: a folder when the path ends in '/',
// otherwise an empty file.
inline void makeEntries(TempDrives& drives, const QStringList& entries) {
    for (const QString& entry : entries) {
        if (entry.endsWith(QLatin1Char('/')))
            drives.makeFolder(QLatin1Char('C'), entry.chopped(1));
        else
            drives.makeFile(QLatin1Char('C'), entry);
    }
}

} // namespace fambridge::testing
