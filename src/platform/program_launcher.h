#pragma once

#include "file_system.h"
#include "result.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace fambridge::platform {

// A program found and checked, ready to start: the host process that runs it and the host folder it
// starts in.
struct PreparedProgram {
    QString name;   // as the caller named it, for messages
    QString folder; // its DOS folder, for messages
    QString hostProgram;
    QStringList hostArguments;
    QString hostFolder;
    bool windows = false; // started through wine and the Windows starter
};

// What starts the converters, in two steps: a program found and checked, then started. The windows are
// given one; tests give them one that only records what it was asked to start.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Finds the program and checks that it can be started, without starting it, so that a caller can
    // make ready for it (and undo nothing) only once it is known to start.
    virtual Result<PreparedProgram> prepare(const QString& dosProgram, const QStringList& arguments) = 0;
    // Returns the process id of the started program; for a Windows program, that of wine.
    virtual Result<qint64> start(const PreparedProgram& program) = 0;
};

// Starts programs the way Windows starts a program named without an extension: a native executable of
// that name if the folder has one, else <name>.exe through wine. Either starts in its own folder. A native
// program gets the arguments exactly as given, never through a shell. A Windows program gets the Windows
// command line of its path and arguments (windowsCommandLine), minimised, through the small Windows
// program fambridge-start.exe, since wine would quote the fields by rules of its own. Started programs
// outlive FamBridge.
class ProgramLauncher : public ProgramStarter {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::ProgramLauncher)

public:
    // windowsStarter: the host path of fambridge-start.exe; by default it is looked for beside this
    // program, then where it is installed, in ../libexec/fambridge.
    explicit ProgramLauncher(FileSystem& fileSystem, QString windowsStarter = QString());

    Result<PreparedProgram> prepare(const QString& dosProgram, const QStringList& arguments) override;
    Result<qint64> start(const PreparedProgram& program) override;

private:
    QString windowsStarter() const;
    // The steps of prepare: the program's name, DOS folder and host folder; then a native program of that
    // name, else <name>.exe through wine, else why neither will do.
    Result<PreparedProgram> locate(const QString& dosProgram);
    static QString shownAs(const PreparedProgram& program);
    static Result<PreparedProgram> prepareNative(PreparedProgram program, const QString& hostProgram,
                                                 const QStringList& arguments);
    // fields: the program field and the arguments of the Windows command line.
    Result<PreparedProgram> prepareWindows(PreparedProgram program, const QString& windowsPath,
                                           const QStringList& fields);
    Failure notFound(const PreparedProgram& program, const QString& path, bool fileFound);

    FileSystem& m_fileSystem;
    QString m_windowsStarter;
};

} // namespace fambridge::platform
