#pragma once

#include "startup/form_controls.h"

#include <QString>
#include <QStringList>

namespace fambridge::testing {

// The main window as the logic sees it, reduced to what a test asserts on. DBList behaves like a
// drop-down list: adding an entry does not select it, and setting its text selects only an exact match.
class RecordingForm : public MainFormControls {
public:
    bool importEnabled = false;
    bool exportEnabled = false;
    bool browseIEnabled = false;
    bool browseEEnabled = false;
    QString fromFilename;
    QString toFilename;
    QString backupFolder;
    QStringList dbList;
    int dbListIndex = -1; // -1: no entry selected
    int dbListClears = 0;

    QString dbListText() const { return dbListIndex >= 0 ? dbList.at(dbListIndex) : QString(); }

    void setImportEnabled(bool enabled) override { importEnabled = enabled; }
    void setExportEnabled(bool enabled) override { exportEnabled = enabled; }
    void setBrowseIEnabled(bool enabled) override { browseIEnabled = enabled; }
    void setBrowseEEnabled(bool enabled) override { browseEEnabled = enabled; }
    void setFromFilename(const QString& text) override { fromFilename = text; }
    void setToFilename(const QString& text) override { toFilename = text; }
    void setBackupFolder(const QString& text) override { backupFolder = text; }

    void clearDBList() override {
        dbList.clear();
        dbListIndex = -1;
        ++dbListClears;
    }
    void addDBListItem(const QString& name) override { dbList.append(name); }
    void setDBListText(const QString& name) override {
        if (const int index = int(dbList.indexOf(name)); index >= 0)
            dbListIndex = index;
    }
};

} // namespace fambridge::testing
