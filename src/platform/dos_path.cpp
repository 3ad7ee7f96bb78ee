#include "dos_path.h"

#include <QCoreApplication>

#include <algorithm>

namespace fambridge::platform {

bool isSeparator(QChar c) {
    return c == kDosSeparator || c == QLatin1Char('/');
}

bool hasWildcard(const QString& name) {
    // Wine reads ">" as "?"; "<" and '"' it takes for themselves, and no name holds them.
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')) ||
           name.contains(QLatin1Char('>'));
}

QString childPath(const QString& folder, const QString& name) {
    if (!folder.isEmpty() && isSeparator(folder.back()))
        return folder + name;
    return joinedAsTheyStand(folder, name);
}

QString joinedAsTheyStand(const QString& folder, const QString& name) {
    return folder + kDosSeparator + name;
}

bool isWindowsName(const QString& name) {
    if (name.isEmpty() || name.back() == QLatin1Char('.') || name.back() == QLatin1Char(' '))
        return false;
    return std::ranges::none_of(
        name, [](QChar c) { return c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c); });
}

bool hasExtension(const QString& typed) {
    qsizetype start = typed.size();
    while (start > 0 && !isSeparator(typed[start - 1]) && !(start == 2 && typed[1] == QLatin1Char(':')))
        --start;
    const qsizetype dot = typed.lastIndexOf(QLatin1Char('.'));
    return dot >= start && !QStringView(typed).mid(dot).contains(QLatin1Char(' '));
}

QString DosPath::toString() const {
    return driveSpec() + kDosSeparator + components.join(kDosSeparator);
}

DosPath DosPath::parent() const {
    DosPath up = *this;
    up.trailingSeparator = false;
    if (!up.components.isEmpty())
        up.components.removeLast();
    return up;
}

DosPath DosPath::child(const QString& name) const {
    DosPath down = *this;
    down.trailingSeparator = false;
    down.components.append(name);
    return down;
}

namespace {

// Why a path was refused, in the user's language.
struct Messages {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::DosPath)
};

bool isDriveLetter(QChar c) {
    return c.unicode() < 128 && c.isLetter();
}

bool isDotOrBlank(QChar c) {
    return c == QLatin1Char('.') || c == QLatin1Char(' ');
}

// Windows drops every trailing dot and blank from the last name of a path, but only one trailing dot from
// a folder on the way ("C:\PALM.\x" is C:\PALM\x, "C:\PALM \x" is no path). A last name that is
// nothing but dots and blanks leaves the path naming its folder, as if it ended in a separator. A wildcard
// pattern keeps its dots: what they mean there is the matcher's business.
void appendComponents(DosPath& path, QStringView rest) {
    qsizetype start = 0;
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && !isSeparator(rest[i]))
            continue;
        QStringView part = rest.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..") {
            if (!path.components.isEmpty())
                path.components.removeLast();
            continue;
        }
        const bool last = i == rest.size();
        if (last && !hasWildcard(part.toString())) {
            while (!part.isEmpty() && isDotOrBlank(part.back()))
                part.chop(1);
            if (part.isEmpty()) {
                path.trailingSeparator = true;
                continue;
            }
        } else if (!last && part.endsWith(QLatin1Char('.'))) {
            part.chop(1);
        }
        path.components.append(part.toString());
    }
}

} // namespace

Result<DosPath> parseDosPath(const QString& path, const CurrentFolders& current) {
    if (path.isEmpty())
        return Failure{Messages::tr("An empty path names no file or folder.")};
    if (path.contains(QChar(0)))
        return Failure{Messages::tr("The path \"%1\" contains a NUL character.").arg(path)};

    DosPath result;
    QStringView rest(path);
    if (path.size() >= 2 && path[1] == QLatin1Char(':')) {
        if (!isDriveLetter(path[0]))
            return Failure{Messages::tr("\"%1\" does not start with a drive letter.").arg(path)};
        result.drive = path[0].toUpper();
        rest = rest.mid(2);
        if (rest.isEmpty() || !isSeparator(rest[0]))
            result.components = current.folderOf(result.drive).components;
    } else if (isSeparator(path[0])) {
        if (path.size() >= 2 && isSeparator(path[1]))
            return Failure{Messages::tr("Network paths such as \"%1\" are not supported.").arg(path)};
        result.drive = current.currentDrive();
    } else {
        result = current.folderOf(current.currentDrive());
    }
    result.trailingSeparator = !rest.isEmpty() && isSeparator(rest.back());
    appendComponents(result, rest);
    return result;
}

} // namespace fambridge::platform
