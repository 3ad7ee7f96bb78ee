#include "windows_command_line.h"

#include <QCoreApplication>

namespace fambridge::platform {

namespace {
struct Messages {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::WindowsCommandLine)
};
} // namespace

Result<QString> windowsCommandLine(const QStringList& fields) {
    QString line;
    for (const QString& field : fields) {
        if (field.contains(QLatin1Char('"')))
            return Failure{
                Messages::tr("\"%1\" holds a double quote, which a Windows program cannot be given "
                             "and no Windows path can hold.")
                    .arg(field)};
        qsizetype trailingBackslashes = 0;
        while (trailingBackslashes < field.size() &&
               field[field.size() - 1 - trailingBackslashes] == QLatin1Char('\\'))
            ++trailingBackslashes;
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += QLatin1Char('"') + field + QString(trailingBackslashes, QLatin1Char('\\')) + QLatin1Char('"');
    }
    return line;
}

} // namespace fambridge::platform
