#pragma once

#include "platform/file_system.h"
#include "ui/file_dialog_runner.h"

#include <QCoreApplication>
#include <QString>

#include <variant>

namespace fambridge {

// What Open or Save does with the text in the file dialog's name field.
struct TypedFileChoice {
    enum class Action {
        Take,         // the dialog closes, choosing path
        AskToReplace, // the question `text` is asked; Yes takes path, No leaves the dialog open
        Refuse,       // the message `text` is shown and the dialog stays open
        ShowFolder,   // the dialog shows the folder path, its name field emptied
        FilterFolder, // the dialog shows the folder path, listing only the names matching `text`
    };
    Action action = Action::Refuse;
    QString path; // a DOS path, each name that exists spelled as on disk
    QString text;
};

// Reads the name field as Windows' common dialog reads it: a full DOS path ("C:\Gen\x.ged", "C:/Gen/x.ged"),
// a drive-relative one ("D:x.ged"), or a path relative to the folder the dialog shows; without an
// extension the default one is added. Files are found without regard to letter case, by the look-up every
// other path of the program goes through, so that the dialog's checks agree with what the converters find.
class TypedFileName {
    Q_DECLARE_TR_FUNCTIONS(TypedFileName)

public:
    static TypedFileChoice read(platform::FileSystem& fileSystem, const FileDialogRequest& request,
                                const platform::DosPath& folder, const QString& typed);

private:
    // A typed name that stands for a file, before any default extension.
    struct NamedFile;
    // The file chosen, as the look-up found it or found it missing.
    struct FoundFile;

    // The file a typed name stands for, or what the dialog does instead: a refusal, a folder to show.
    static std::variant<TypedFileChoice, NamedFile>
    parse(platform::FileSystem& fileSystem, const platform::DosPath& folder, const QString& typed);
    static platform::DosPath withDefaultExtension(platform::FileSystem& fileSystem,
                                                  const FileDialogRequest& request, const NamedFile& named);
    static TypedFileChoice checkForOpen(const FileDialogRequest& request, const FoundFile& file);
    static TypedFileChoice checkForSave(platform::FileSystem& fileSystem, const FileDialogRequest& request,
                                        const FoundFile& file);
};

} // namespace fambridge
