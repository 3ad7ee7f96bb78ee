#pragma once

#include "state/window_controls.h"

namespace fambridge::testing {

// Both windows as start-up writes into them, for tests that look only at the state start-up leaves.
class NoWindows : public MainFormControls, public BackupDialogControls {
public:
    void setImportEnabled(bool) override {}
    void setExportEnabled(bool) override {}
    void setBrowseIEnabled(bool) override {}
    void setBrowseEEnabled(bool) override {}
    void setFromFilename(const QString&) override {}
    void setToFilename(const QString&) override {}
    void setUserFolderLabel(const QString&) override {}
    void clearDBList() override {}
    void addDBListItem(const QString&) override {}
    void setDBListText(const QString&) override {}
    void setDrive(const QString&) override {}
    void setPath(const QString&) override {}
};

} // namespace fambridge::testing
