#include "ui/typed_file_name.h"

#include <QStringList>

namespace fambridge {

namespace {

using Action = TypedFileChoice::Action;

bool isFolder(platform::FileSystem& fileSystem, const platform::DosPath& path) {
    const auto attributes = fileSystem.attributes(path.toString());
    return attributes && attributes->testFlag(platform::Attribute::Directory);
}

// The current folders a typed relative path starts from. The dialog's folder is its drive's current
// folder, as on Windows, where the dialog changes the current folder while the user browses; any other
// drive keeps the current folder the program's own paths use.
platform::CurrentFolders dialogFolders(platform::FileSystem& fileSystem, const platform::DosPath& here) {
    platform::CurrentFolders folders;
    folders.currentDrive = [here] { return here.drive; };
    folders.folderOf = [&fileSystem, here](QChar drive) {
        if (drive == here.drive)
            return here;
        if (const auto own = fileSystem.parse(QString(drive) + QLatin1Char(':')))
            return *own;
        platform::DosPath root;
        root.drive = drive;
        return root;
    };
    return folders;
}

// The path with each name that exists spelled as on disk, as the look-up found it: the host path it
// stands for ends in one name for each of its components.
Result<platform::DosPath> spelledOnDisk(platform::FileSystem& fileSystem, platform::DosPath path) {
    const auto host = fileSystem.toHost(path.toString());
    if (!host)
        return host.failure();
    const QStringList names = host->split(QLatin1Char('/'));
    path.components = names.mid(names.size() - path.components.size());
    return path;
}

TypedFileChoice refuse(const QString& message) {
    return TypedFileChoice{Action::Refuse, {}, message};
}

// The actions but a refusal name a path as the look-up found it.
TypedFileChoice choose(platform::FileSystem& fileSystem, Action action, const platform::DosPath& path,
                       const QString& text = {}) {
    const auto spelled = spelledOnDisk(fileSystem, path);
    return spelled ? TypedFileChoice{action, spelled->toString(), text} : refuse(spelled.error());
}

} // namespace

struct TypedFileName::NamedFile {
    platform::DosPath path;
    // Neither in quotes nor with an extension of its own.
    bool takesDefaultExtension;
};

struct TypedFileName::FoundFile {
    platform::DosPath path;
    platform::DosPath spelled; // each name that exists spelled as on disk
    Result<platform::Attributes> attributes;
};

TypedFileChoice TypedFileName::read(platform::FileSystem& fileSystem, const FileDialogRequest& request,
                                    const platform::DosPath& folder, const QString& typed) {
    const auto named = parse(fileSystem, folder, typed);
    if (const auto* choice = std::get_if<TypedFileChoice>(&named))
        return *choice;
    const platform::DosPath path = withDefaultExtension(fileSystem, request, std::get<NamedFile>(named));
    const auto attributes = fileSystem.attributes(path.toString());
    if (attributes && attributes->testFlag(platform::Attribute::Directory))
        return choose(fileSystem, Action::ShowFolder, path);
    const auto spelled = spelledOnDisk(fileSystem, path);
    if (!spelled)
        return refuse(spelled.error());
    const FoundFile file{path, *spelled, attributes};
    return request.save ? checkForSave(fileSystem, request, file) : checkForOpen(request, file);
}

std::variant<TypedFileChoice, TypedFileName::NamedFile> TypedFileName::parse(platform::FileSystem& fileSystem,
                                                                             const platform::DosPath& folder,
                                                                             const QString& typed) {
    // A name in quotes is taken as it stands: Windows adds no default extension to it.
    QString text = typed;
    const bool quoted =
        text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'));
    if (quoted)
        text = text.mid(1, text.size() - 2);
    if (text.isEmpty())
        return refuse(tr("%1\nThe file name is not valid.").arg(typed));

    const auto path = platform::parseDosPath(text, dialogFolders(fileSystem, folder));
    if (!path)
        return refuse(path.error());

    // A folder or a drive is opened in the dialog, as Windows' dialog does when one is typed.
    if (isFolder(fileSystem, *path))
        return choose(fileSystem, Action::ShowFolder, *path);
    const platform::DosPath parent = path->parent();
    if (path->isRoot() || path->trailingSeparator || !isFolder(fileSystem, parent)) {
        return refuse(tr("%1\nPath does not exist.\nCheck the path and try again.")
                          .arg(path->trailingSeparator ? path->toString() : parent.toString()));
    }

    const QString& name = path->components.back();
    if (platform::hasWildcard(name))
        return choose(fileSystem, Action::FilterFolder, parent, name);
    if (!platform::isWindowsName(name))
        return refuse(tr("%1\nThe file name is not valid.").arg(name));
    return NamedFile{*path, !quoted && !platform::hasExtension(text)};
}

platform::DosPath TypedFileName::withDefaultExtension(platform::FileSystem& fileSystem,
                                                      const FileDialogRequest& request,
                                                      const NamedFile& named) {
    if (!named.takesDefaultExtension || request.defaultSuffix.isEmpty())
        return named.path;
    const platform::DosPath extended =
        named.path.parent().child(named.path.components.back() + QLatin1Char('.') + request.defaultSuffix);
    // Windows' open dialog takes the name as typed when only that one is there.
    if (!request.save && !fileSystem.attributes(extended.toString()) &&
        fileSystem.attributes(named.path.toString()))
        return named.path;
    return extended;
}

TypedFileChoice TypedFileName::checkForOpen(const FileDialogRequest& request, const FoundFile& file) {
    if (!file.attributes && request.flags.testFlag(DialogFlag::FileMustExist)) {
        return refuse(tr("%1\nFile not found.\nCheck the file name and try again.")
                          .arg(file.spelled.components.back()));
    }
    return TypedFileChoice{Action::Take, file.spelled.toString(), {}};
}

TypedFileChoice TypedFileName::checkForSave(platform::FileSystem& fileSystem,
                                            const FileDialogRequest& request, const FoundFile& file) {
    const QString& name = file.spelled.components.back();
    QString problem;
    if (request.flags.testFlag(DialogFlag::NoReadOnlyReturn)) {
        if (file.attributes && file.attributes->testFlag(platform::Attribute::ReadOnly))
            problem = tr("This file is set to read-only.");
        else if (!file.attributes && !fileSystem.isWritableFolder(file.path.parent().toString()))
            problem = tr("This folder cannot be written to.");
    }
    if (!problem.isEmpty())
        return refuse(tr("%1\n%2\nTry again with a different file name.").arg(name, problem));
    if (file.attributes && request.flags.testFlag(DialogFlag::OverwritePrompt))
        return TypedFileChoice{Action::AskToReplace, file.spelled.toString(),
                               tr("%1 already exists.\nDo you want to replace it?").arg(name)};
    return TypedFileChoice{Action::Take, file.spelled.toString(), {}};
}

} // namespace fambridge
