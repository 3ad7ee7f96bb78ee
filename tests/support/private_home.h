#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace fambridge::testing {

// Points the XDG folders at a temporary home of the test program's own, so that nothing Qt, wine or the
// program keep there (the file dialog's history, wine's menus) reaches the real home folder. Processes the
// test starts inherit it.
class PrivateHome {
public:
    PrivateHome() {
        for (const char* variable :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
            const QString folder = m_home.path() + QLatin1Char('/') + QLatin1String(variable);
            QDir().mkpath(folder);
            qputenv(variable, QFile::encodeName(folder));
        }
    }

private:
    QTemporaryDir m_home;
};

} // namespace fambridge::testing
