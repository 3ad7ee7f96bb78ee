#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"
#include "unprivileged.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// FamBridge's platform layer held against Wine: windows_listing.exe lists and queries paths through
// FindFirstFileW/FindNextFileW and GetFileAttributesW under Wine, the layer does the same through
// FileSystem::list and FileSystem::attributes over the same drives, and every case must agree, or differ
// in a way reviewed below. As root the comparison runs as the user nobody, so that permission bits count.

namespace fambridge {
namespace {

const char* const kWorkVariable = "FAMBRIDGE_LISTING_WORK";
const QString kCorpus = QStringLiteral("C:\\Corpus");

// One query, as both sides answer it: "list", mask and pattern; "attributes" and path; "set", bits and
// path (Wine marks files, the layer only reads the marks); "cd" and folder.
struct Query {
    QString kind;
    QString path;
    QString value; // the mask of a listing, the bits of a set

    QString line() const { return value.isNull() ? kind + '\t' + path : kind + '\t' + value + '\t' + path; }
    QString lastName() const { return path.section(QRegularExpression(R"([\\/])"), -1); }
};

// An answer: the names of a listing as a set, the attribute bits, or whether the call succeeded. Error
// codes are Windows' own; the layer says only that it failed.
struct Answer {
    QSet<QString> names;
    QString value;
    QHash<QString, QString> shortNames; // Wine's made-up 8.3 names, by long name; not compared

    bool operator==(const Answer& other) const { return names == other.names && value == other.value; }
    QString text() const {
        if (!value.isNull())
            return value;
        QStringList sorted(names.begin(), names.end());
        sorted.sort();
        return '{' + sorted.join(QStringLiteral(", ")) + '}';
    }
};

Answer fromWine(const Query& query, const QString& line) {
    Answer answer;
    if (query.kind == QLatin1String("list")) {
        for (const QString& entry : line.split('\t', Qt::SkipEmptyParts)) {
            const QString name = entry.section('/', 0, 0);
            answer.names.insert(name);
            if (entry.contains('/'))
                answer.shortNames.insert(name, entry.section('/', 1));
        }
    } else {
        answer.value = line.startsWith(QLatin1String("error")) ? QStringLiteral("error") : line;
    }
    return answer;
}

Answer fromLayer(platform::FileSystem& fileSystem, const Query& query) {
    Answer answer;
    if (query.kind == QLatin1String("list")) {
        const auto mask =
            query.value == QLatin1String("16") ? platform::ListMask::Directory : platform::ListMask::Normal;
        for (const QString& name : fileSystem.list(query.path, mask))
            answer.names.insert(name);
    } else if (query.kind == QLatin1String("attributes")) {
        const auto attributes = fileSystem.attributes(query.path);
        answer.value = attributes ? QString::number(int(*attributes)) : QStringLiteral("error");
    } else if (query.kind == QLatin1String("cd")) {
        const auto host = fileSystem.toHost(query.path);
        answer.value = host && QDir::setCurrent(*host) ? QStringLiteral("ok") : QStringLiteral("error");
    } else {
        answer.value = QStringLiteral("ok");
    }
    return answer;
}

// A difference between Wine and the layer that was looked at and is meant: why, and which differences it
// covers.
struct ReviewedDifference {
    const char* reason;
    std::function<bool(const Query&, const Answer& wine, const Answer& ours)> covers;
    int seen = 0;
};

bool isSubset(const QSet<QString>& smaller, const QSet<QString>& larger) {
    for (const QString& name : smaller)
        if (!larger.contains(name))
            return false;
    return true;
}

QSet<QString> extra(const Answer& more, const Answer& fewer) {
    QSet<QString> names = more.names;
    names.subtract(fewer.names);
    return names;
}

// Names that the corpus gives the host but Windows cannot hold. A control character is left out: the
// answers are separated by tabs.
const QStringList kForeignNames = {"a|b.ged",        "what?.ged",       "star*.ged", "say \"hi\".ged",
                                   "10:30.ged",      "less<.ged",       "more>.ged", "ends in dot.",
                                   "ends in blank ", "back\\slash.ged", "name...."};
const QString kPipeName = QStringLiteral("pipe");
const QStringList kDeviceNames = {"CON", "PRN", "AUX", "NUL", "COM1", "LPT1", "con.txt", "nul.pdb"};

// The pattern a listing matched names against: its last name, or every name for a folder's contents.
QString patternOf(const Query& query) {
    return query.lastName().isEmpty() ? QStringLiteral("*") : query.lastName();
}

std::vector<ReviewedDifference> reviewedDifferences() {
    return {
        {"Names Windows cannot hold (with \" : * ? < > | \\ or a control character, or ending in a dot or a "
         "blank) do not exist for FamBridge: they would break the program's paths, wildcards and settings "
         "file, or lead to another file. Wine lists them as they are, each with a short name it makes up, "
         "the only name under which a Windows program could open it.",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             if (query.kind != QLatin1String("list") || !isSubset(ours.names, wine.names))
                 return false;
             for (const QString& name : ours.names)
                 if (kForeignNames.contains(name))
                     return false;
             for (const QString& name : extra(wine, ours))
                 if (!kForeignNames.contains(name) && name != kPipeName)
                     return false;
             return extra(wine, ours).size() > extra(wine, ours).contains(kPipeName);
         }},
        {"Named pipes, sockets and devices of the host are no files to FamBridge; Wine lists a named pipe as "
         "a "
         "file.",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             return query.kind == QLatin1String("list") && isSubset(ours.names, wine.names) &&
                    extra(wine, ours) == QSet<QString>{kPipeName};
         }},
        {"A pattern ending in a star and a dot (\"*.\", \"R*.\") finds names without an extension, as it "
         "does "
         "on Windows and as DOS programs expect; Wine 8 drops the dot and finds every name.",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             const QString name = query.lastName().trimmed();
             if (query.kind != QLatin1String("list") ||
                 !QRegularExpression(R"(\*\.+ *$)").match(name).hasMatch() ||
                 !isSubset(ours.names, wine.names))
                 return false;
             for (const QString& found : extra(wine, ours))
                 if (!found.contains('.') || found == QLatin1String(".") || found == QLatin1String(".."))
                     return false;
             return true;
         }},
        {"A \"?\" right after a star stands for any character on Windows and here; Wine 8 lets the star skip "
         "only to a literal \"?\", which no name holds, so it finds nothing.",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             return query.kind == QLatin1String("list") &&
                    query.lastName().contains(QRegularExpression(R"(\*[?>])")) && wine.names.isEmpty() &&
                    !ours.names.isEmpty();
         }},
        {"Windows matches a pattern against the 8.3 short names it makes up for long names as well; "
         "FamBridge "
         "knows no short names, and matches the names on disk only.",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             if (query.kind != QLatin1String("list") || !isSubset(ours.names, wine.names))
                 return false;
             for (const QString& name : extra(wine, ours))
                 if (platform::matchesWildcard(patternOf(query), name) ||
                     !platform::matchesWildcard(patternOf(query), wine.shortNames.value(name)))
                     return false;
             return true;
         }},
        {"\">\" stands for one character here, as Windows' DOS_QM does; Wine 8 reads it unevenly (\">\" "
         "finds "
         "\".\" but not \"x\", \"READM>\" finds README).",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             return query.kind == QLatin1String("list") && patternOf(query).contains('>') &&
                    isSubset(wine.names, ours.names);
         }},
        {"A bare drive whose current folder is its root (\"C:\" in C:\\) names the drive itself, on which "
         "the "
         "program's fallback user folder C: relies; Wine finds nothing. Below the root, both find nothing.",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             return query.kind == QLatin1String("list") &&
                    QRegularExpression(R"(^[A-Za-z]:$)").match(query.path).hasMatch() &&
                    wine.names.isEmpty() && ours.names == QSet<QString>{query.path.toUpper()};
         }},
        {"Wine takes a path that begins with a forward slash for a path of the host; Windows and FamBridge "
         "take "
         "it for a path from the current drive's root.",
         [](const Query& query, const Answer&, const Answer&) { return query.path.startsWith('/'); }},
        {"Windows and Wine find a DOS device (CON, NUL, COM1, ...) under its name in every folder, and Wine "
         "gives it the attributes of a file; FamBridge has no devices and finds only a file of that name.",
         [](const Query& query, const Answer& wine, const Answer& ours) {
             return kDeviceNames.contains(query.lastName(), Qt::CaseInsensitive) &&
                    isSubset(ours.names, wine.names) && ours.value != QLatin1String("ok");
         }},
    };
}

// The files and folders of C:\Corpus, and the queries about them, in the order they are asked.
class Corpus {
public:
    explicit Corpus(const QString& hostRoot) : m_root(hostRoot) { QDir().mkpath(m_root); }

    QString host(const QString& relative) const { return m_root + '/' + relative; }
    void folder(const QString& relative) {
        ASSERT_TRUE(QDir().mkpath(host(relative))) << relative.toStdString();
    }
    void file(const QString& relative) {
        QDir().mkpath(QFileInfo(host(relative)).path());
        QFile file(host(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
    }
    void link(const QString& relative, const QString& target) {
        ASSERT_TRUE(QFile::link(target, host(relative))) << relative.toStdString();
    }
    void pipe(const QString& relative) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(host(relative)).constData(), 0644), 0) << relative.toStdString();
    }
    void mode(const QString& relative, mode_t mode) {
        ASSERT_EQ(::chmod(QFile::encodeName(host(relative)).constData(), mode), 0) << relative.toStdString();
        m_modes.append(relative);
    }
    // A mark as another program than Wine may have left it, for Wine and the layer to read alike.
    void mark(const QString& relative, const QByteArray& value) {
        ASSERT_EQ(::setxattr(QFile::encodeName(host(relative)).constData(), "user.DOSATTRIB",
                             value.constData(), std::size_t(value.size()), 0),
                  0)
            << relative.toStdString();
    }
    // Gives the folders back their modes, so that whoever made them can remove them.
    void openUp() const {
        for (const QString& relative : m_modes)
            ::chmod(QFile::encodeName(host(relative)).constData(), 0755);
    }

    void list(const QString& path) {
        for (const char* mask : {"0", "16"})
            queries.push_back({QStringLiteral("list"), path, QString::fromLatin1(mask)});
    }
    void attributes(const QString& path) {
        queries.push_back({QStringLiteral("attributes"), path, QString()});
    }
    void both(const QString& path) {
        list(path);
        attributes(path);
    }
    void set(const QString& path, int bits) {
        queries.push_back({QStringLiteral("set"), path, QString::number(bits)});
    }
    void cd(const QString& path) { queries.push_back({QStringLiteral("cd"), path, QString()}); }

    std::vector<Query> queries;

private:
    QString m_root;
    QStringList m_modes;
};

QString hex(char16_t unit) {
    return QStringLiteral("%1").arg(int(unit), 4, 16, QLatin1Char('0'));
}

// Every letter of the basic plane that has another case, beside each other form of it: a file named by one
// form, looked for by the other. Wine finds it exactly when its upper-case table makes both forms one.
void addLetterCase(Corpus& corpus) {
    for (int unit = 0x20; unit < 0x10000; ++unit) {
        const char16_t letter = char16_t(unit);
        if (QChar::isSurrogate(letter))
            continue;
        QSet<char32_t> others{QChar::toUpper(char32_t(letter)), QChar::toLower(char32_t(letter)),
                              QChar::toTitleCase(char32_t(letter))};
        others.remove(letter);
        for (const char32_t other : others) {
            if (other > 0xFFFF)
                continue;
            const QString suffix = '_' + hex(letter) + hex(char16_t(other)) + QStringLiteral(".txt");
            const QString folder = QStringLiteral("Case/") + hex(letter).left(2);
            corpus.file(folder + '/' + QChar(letter) + suffix);
            corpus.list(kCorpus + "\\Case\\" + hex(letter).left(2) + '\\' + QChar(char16_t(other)) + suffix);
        }
    }
    for (const QString& name :
         {QString("Straße.PDB"), QString::fromUtf16(u"\u212AELVIN.PDB"), QString("σοφος.txt"),
          QString("ΣΟΦΟΣ2.txt"), QString("été.txt"), QString("ФАЙЛ.TXT"), QString("ǅemal.txt"),
          QString("ı.txt"), QString("İstanbul.txt"), QString("ſtadt.txt"), QString("ᾀ.txt"),
          QString::fromUtf16(u"\U00010400.txt"), QString::fromUtf16(u"a\U0001D4B3b"), QString("日本.txt")})
        corpus.file("Words/" + name);
    for (const QString& pattern : {QString("STRAẞE.PDB"),
                                   QString("STRASSE.PDB"),
                                   QString("straße.pdb"),
                                   QString("KELVIN.PDB"),
                                   QString::fromUtf16(u"\u212Aelvin.pdb"),
                                   QString("ΣΟΦΟΣ.TXT"),
                                   QString("ΣΟΦΟς.TXT"),
                                   QString("ÉTÉ.TXT"),
                                   QString("файл.txt"),
                                   QString("Ǆemal.txt"),
                                   QString("ǆemal.txt"),
                                   QString("I.TXT"),
                                   QString("ı.TXT"),
                                   QString("istanbul.txt"),
                                   QString("STADT.txt"),
                                   QString("ᾈ.TXT"),
                                   QString::fromUtf16(u"\U00010428.txt"),
                                   QString("*ß*"),
                                   QString("*ẞ*"),
                                   QString("*K*"),
                                   QString::fromUtf16(u"*\u212A*"),
                                   QString("k*"),
                                   QString("σ*"),
                                   QString("Σ*"),
                                   QString("ς*"),
                                   QString("s*"),
                                   QString("?.txt"),
                                   QString("??.txt"),
                                   QString("a?b"),
                                   QString("a??b"),
                                   QString("日*"),
                                   QString("*")})
        corpus.list(kCorpus + "\\Words\\" + pattern);
}

void addMarks(Corpus& corpus) {
    for (const char* name :
         {"hidden.txt", "system.txt", "both.txt", "archived.txt", "readonly.txt", "cleared.txt", "plain.txt",
          ".dot", "Marked 0X2", "Marked 2", "Marked blank", "Marked empty", "Marked long", "Marked samba",
          "Marked wide", "Marked huge", "Marked wine"})
        corpus.file(QStringLiteral("Attr/") + name);
    for (const char* name : {"HiddenFolder", "SystemFolder", ".DotFolder", "HiddenFolder/Inner", "Plain"})
        corpus.folder(QStringLiteral("Attr/") + name);
    corpus.file("Attr/HiddenFolder/inside.txt");
    corpus.file("Attr/.DotFolder/inside.txt");
    corpus.link("Attr/LinkToHidden", "HiddenFolder");
    corpus.link("Attr/LinkToHiddenFile", "hidden.txt");
    corpus.mark("Attr/Marked 0X2", "0X2");
    corpus.mark("Attr/Marked 2", "2");
    corpus.mark("Attr/Marked blank", "0x2 ");
    corpus.mark("Attr/Marked empty", "0x");
    corpus.mark("Attr/Marked long", QByteArray("0x2") + QByteArray(62, '\0'));
    corpus.mark("Attr/Marked samba", QByteArray("0x22\0\3\0\3\0\0\0\21\0", 13));
    corpus.mark("Attr/Marked wide", "0x0000000000000102");
    corpus.mark("Attr/Marked huge", "0xfffffffffffffffffffffff0");
    corpus.mark("Attr/Marked wine", "0x4");

    const QString attr = kCorpus + "\\Attr\\";
    for (const auto& [name, bits] : {std::pair{"hidden.txt", 2},
                                     {"system.txt", 4},
                                     {"both.txt", 6},
                                     {"archived.txt", 0x22},
                                     {"readonly.txt", 1},
                                     {"cleared.txt", 2},
                                     {"HiddenFolder", 2},
                                     {"SystemFolder", 4}})
        corpus.set(attr + name, bits);
    corpus.set(attr + "cleared.txt", 0);
    for (const char* name :
         {"*", "*.txt", "h*", "Marked*", "HiddenFolder", "HIDDENFOLDER\\", "HiddenFolder\\Inner\\",
          "SystemFolder\\", ".DotFolder\\", ".dotfolder", "LinkToHidden\\", "Plain\\"})
        corpus.list(attr + name);
    for (const char* name : {"hidden.txt",
                             "system.txt",
                             "both.txt",
                             "archived.txt",
                             "readonly.txt",
                             "cleared.txt",
                             "plain.txt",
                             ".dot",
                             "Marked 0X2",
                             "Marked 2",
                             "Marked blank",
                             "Marked empty",
                             "Marked long",
                             "Marked samba",
                             "Marked wide",
                             "Marked huge",
                             "Marked wine",
                             "HiddenFolder",
                             "HiddenFolder\\",
                             "HiddenFolder\\inside.txt",
                             "SystemFolder",
                             ".DotFolder",
                             ".DotFolder\\inside.txt",
                             "LinkToHidden",
                             "LinkToHiddenFile",
                             "Plain",
                             ""})
        corpus.attributes(attr + name);
}

void addForms(Corpus& corpus) {
    for (const char* name : {"README", "a.b.c", "FamilyP.PDB", "FamilyE.PDB", "x", "y.z", ".dot", "a b",
                             "a..b", "LONGNAME.TEXT", "ab", "b", "Famlore.ini", "NUL.txt"})
        corpus.file(QStringLiteral("Forms/") + name);
    corpus.folder("Forms/Sub");
    corpus.folder("Forms/Sub.d");
    for (const char* pattern :
         {"*",           "*.*",          "*.",           "*..",     "*. ",       ".*",          "?",
          "??",          "???",          "??????",       "?.*",     "*.?",       "*.??",        "*.???",
          "*P.PDB",      "*P.PDB.",      "*P.PDB ",      "*p.pdb",  "F*",        "f*.pdb",      "*.PDB*",
          "*?",          "?*",           "*?b",          "*>",      ">",         ">>",          ">>>>>>",
          "<",           "<.PDB",        "*\"PDB",       "README?", "README.*",  "README.",     "README?.*",
          "a.*",         "a.*.c",        "*.c",          "*.b",     "**",        "***.*",       "*.*.*",
          "x.",          "x.*",          "y.*",          "S?b",     "*b",        "Family?.PDB", "Famil?P.PDB",
          "FamilyP.PD?", "FamilyP.PD??", "FamilyP.PDB?", "R*.",     "S*.",       "*.d",         "Sub*",
          "[ab]",        "a b",          "a*b",          "*.INI",   "famlore.*", "*e",          "*E.*"})
        corpus.list(kCorpus + "\\Forms\\" + pattern);
}

void addTrailing(Corpus& corpus) {
    corpus.file("Dots/FamilyP.PDB");
    corpus.file("Dots/Sub/inside.txt");
    corpus.file("Dots/README");
    for (const char* path : {"FamilyP.PDB.",
                             "FamilyP.PDB ",
                             "FamilyP.PDB. . .",
                             "FamilyP.PDB .",
                             "FamilyP.PDB..",
                             " FamilyP.PDB",
                             "README.",
                             "README..",
                             "README. ",
                             "Sub.",
                             "Sub. ",
                             "Sub.\\",
                             "Sub \\",
                             "Sub..\\",
                             "Sub.\\inside.txt",
                             "Sub \\inside.txt",
                             "Sub..\\inside.txt",
                             "Sub. \\inside.txt",
                             "Sub\\inside.txt.",
                             "Sub.\\.",
                             "...",
                             "....",
                             "Sub\\...",
                             ". .",
                             "*P.PDB.",
                             "*P.PDB. ",
                             "Sub.\\*"})
        corpus.both(kCorpus + "\\Dots\\" + path);
    for (const char* path : {"C:\\Corpus.\\Dots\\README", "C:\\Corpus \\Dots\\README",
                             "C:\\Corpus..\\Dots\\README", "C:\\...\\Corpus", "C:\\Corpus\\...\\Dots"})
        corpus.both(QString::fromLatin1(path));
}

void addLinks(Corpus& corpus) {
    corpus.file("Links/Target/inside.txt");
    corpus.file("Links/file.txt");
    corpus.link("Links/ToFile", "file.txt");
    corpus.link("Links/ToFolder", "Target");
    corpus.link("Links/ToLink", "ToFolder");
    corpus.link("Links/Dangling", "nowhere");
    corpus.link("Links/Loop", "Loop");
    corpus.link("Links/Up", "..");
    corpus.link("Links/Absolute", corpus.host("Links/Target"));
    for (const char* path : {"*", "ToFolder\\", "ToLink\\*", "Up\\L*", "Absolute\\", "TOFOLDER\\INSIDE.TXT"})
        corpus.list(kCorpus + "\\Links\\" + path);
    for (const char* path : {"ToFile", "ToFolder", "ToLink", "Dangling", "Loop", "Up", "Absolute",
                             "ToFolder\\", "ToFile\\", "ToFolder\\inside.txt", "ToFolder\\..", "Up\\Links"})
        corpus.both(kCorpus + "\\Links\\" + path);
}

void addPermissions(Corpus& corpus) {
    for (const char* folder : {"EnterOnly", "ReadOnly", "Closed", "Open", "NoWrite"}) {
        corpus.file(QStringLiteral("Perms/") + folder + "/File.txt");
        corpus.folder(QStringLiteral("Perms/") + folder + "/Inner");
    }
    for (const char* name :
         {"r--r--r--", "r--rw-r--", "r--r--rw-", "-w-r--r--", "---r--r--", "---------", "rw-------"})
        corpus.file(QStringLiteral("Perms/") + name);
    const auto modeOf = [](const QString& text) {
        mode_t mode = 0;
        for (int i = 0; i < 9; ++i)
            if (text[i] != '-')
                mode |= mode_t(1) << (8 - i);
        return mode;
    };
    for (const char* name :
         {"r--r--r--", "r--rw-r--", "r--r--rw-", "-w-r--r--", "---r--r--", "---------", "rw-------"})
        corpus.mode(QStringLiteral("Perms/") + name, modeOf(QString::fromLatin1(name)));
    corpus.mode("Perms/EnterOnly", 0333);
    corpus.mode("Perms/ReadOnly", 0666);
    corpus.mode("Perms/Closed", 0);
    corpus.mode("Perms/NoWrite", 0555);
    corpus.link("Perms/ToClosed", "Closed");
    const QString perms = kCorpus + "\\Perms\\";
    corpus.list(perms + "*");
    for (const char* folder : {"EnterOnly", "ReadOnly", "Closed", "Open", "NoWrite", "ToClosed"}) {
        for (const char* rest : {"", "\\", "\\*", "\\File.txt", "\\FILE.TXT", "\\Inner", "\\Inner\\",
                                 "\\Inner\\*", "\\Inner\\..", "\\..\\Open"})
            corpus.both(perms + folder + rest);
    }
    for (const char* name :
         {"r--r--r--", "r--rw-r--", "r--r--rw-", "-w-r--r--", "---r--r--", "---------", "rw-------"})
        corpus.attributes(perms + name);
}

void addPaths(Corpus& corpus) {
    corpus.file("Paths/Sub/Deeper/file.txt");
    corpus.file("Paths/FamilyP.PDB");
    for (const char* path : {"C:\\Corpus\\Paths\\FamilyP.PDB",
                             "C:\\Corpus\\\\Paths\\\\FamilyP.PDB",
                             "C:/Corpus/Paths/FamilyP.PDB",
                             "C:\\Corpus/Paths\\/FamilyP.PDB",
                             "c:\\corpus\\paths\\familyp.pdb",
                             "C:\\Corpus\\Paths\\.\\FamilyP.PDB",
                             "C:\\Corpus\\Paths\\Sub\\..\\FamilyP.PDB",
                             "C:\\Corpus\\Paths\\Missing\\..\\FamilyP.PDB",
                             "C:\\Corpus\\Paths\\Sub\\Deeper\\..\\..\\FamilyP.PDB",
                             "C:\\..\\..\\Corpus\\Paths\\FamilyP.PDB",
                             "C:\\Corpus\\Paths\\FamilyP.PDB\\",
                             "C:\\Corpus\\Paths\\FamilyP.PDB\\x",
                             "C:\\Corpus\\Paths\\FamilyP.PDB\\.",
                             "C:\\Corpus\\Paths\\FamilyP.PDB\\..",
                             "C:\\Corpus\\Paths\\FamilyP.PDB\\*",
                             "C:\\Corpus\\Paths\\Sub\\..",
                             "C:\\Corpus\\Paths\\..",
                             "C:\\Corpus\\..",
                             "C:\\Corpus\\Paths\\Sub\\.",
                             "C:\\Corpus\\Paths\\Sub\\.\\",
                             "C:\\Corpus\\Paths\\Sub\\",
                             "C:\\Corpus\\Paths\\Sub//",
                             "C:\\Corpus\\Paths\\*\\file.txt",
                             "C:\\Corpus\\Paths\\S*\\Deeper",
                             "C:\\Corpus\\Paths\\Missing\\x",
                             "C:\\Corpus\\Paths\\Missing",
                             "C:\\",
                             "C:\\.",
                             "C:\\..",
                             "C:\\Corp*",
                             "\\Corpus\\Paths\\FamilyP.PDB",
                             "/Corpus/Paths/Sub",
                             "Q:\\",
                             "Q:\\x",
                             "\\\\server\\share\\x",
                             "C:\\Corpus\\Paths\\Sub\\Deeper\\file.txt"})
        corpus.both(QString::fromLatin1(path));
    // Paths relative to the current folder, and bare drives, from a folder below the root and from the root.
    for (const char* folder : {"C:\\Corpus\\Paths\\Sub", "C:\\"}) {
        corpus.cd(QString::fromLatin1(folder));
        for (const char* path :
             {"C:", "C:.", "C:..", "C:*", "C:Deeper", "C:Deeper\\file.txt", "C:..\\FamilyP.PDB", "Deeper",
              "Deeper\\", ".", "..", "..\\FamilyP.PDB", "\\Corpus\\Paths", "C:\\Corpus\\Paths\\Sub",
              "C:Corpus", "C:...", "D:", "Z:"})
            corpus.both(QString::fromLatin1(path));
    }
    corpus.cd(kCorpus);
}

void addForeign(Corpus& corpus) {
    for (const QString& name : kForeignNames)
        corpus.file("Foreign/" + name);
    corpus.file("Foreign/ordinary.txt");
    corpus.pipe("Foreign/" + kPipeName);
    for (const char* name : {"*", "*.ged", "what?.ged", "ends in dot.", "ends in dot", "ends in blank",
                             "name", "pipe", "ordinary.txt"})
        corpus.both(kCorpus + "\\Foreign\\" + name);
    for (const QString& name : kDeviceNames)
        corpus.both(kCorpus + "\\Forms\\" + name);
}

// The drives both sides see: a copy of the prefix that wineboot made, owned by whoever runs Wine, in a fresh
// folder everyone may enter, since the build tree may lie where the user nobody cannot reach it.
class WorkFolder {
public:
    // A copy for this process's own user, or, as root, for nobody.
    bool prepare(bool forNobody) {
        m_owned =
            std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/fambridge-listing-XXXXXX"));
        if (!m_owned->isValid())
            return false;
        path = m_owned->path();
        ::chmod(QFile::encodeName(path).constData(), 0755);
        // Hard links cost nothing where the cache lies on the same file system; elsewhere a copy is made.
        // Wine writes the registry, so that is copied either way.
        if (QProcess::execute("cp", {"-al", WINE_PREFIX_CACHE, prefix()}) != 0) {
            QDir(prefix()).removeRecursively();
            if (QProcess::execute("cp", {"-a", WINE_PREFIX_CACHE, prefix()}) != 0)
                return false;
        }
        for (const QString& registry : QDir(prefix()).entryList({"*.reg"}, QDir::Files)) {
            QFile::remove(prefix() + '/' + registry);
            if (!QFile::copy(WINE_PREFIX_CACHE "/" + registry, prefix() + '/' + registry))
                return false;
        }
        // Debian's wine keeps the name of the server's folder here, readable by the prefix's maker alone.
        QFile::remove(prefix() + QStringLiteral("/wineserver"));
        if (!QFile::copy(WINDOWS_LISTING, prefix() + QStringLiteral("/drive_c/windows_listing.exe")) ||
            !QDir().mkpath(path + QStringLiteral("/home")))
            return false;
        if (forNobody) {
            // Folders, links and the copied files become nobody's; the hard-linked files stay root's, so that
            // the cache they share is never written.
            const auto own = [](const QString& entry) {
                return ::lchown(QFile::encodeName(entry).constData(), 65534, 65534) == 0;
            };
            bool owned = own(path + QStringLiteral("/home")) && own(prefix());
            QDirIterator entries(prefix(),
                                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                 QDirIterator::Subdirectories);
            while (entries.hasNext()) {
                const QFileInfo info(entries.next());
                if (info.isSymLink() || info.isDir() || info.suffix() == QLatin1String("reg") ||
                    info.fileName() == QLatin1String("windows_listing.exe"))
                    owned = own(info.filePath()) && owned;
            }
            if (!owned)
                return false;
        }
        return true;
    }

    QString prefix() const { return path + QStringLiteral("/prefix"); }

    QString path;

private:
    std::unique_ptr<QTemporaryDir> m_owned;
};

QProcessEnvironment wineEnvironment(const WorkFolder& work) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", work.prefix());
    environment.insert("HOME", work.path + QStringLiteral("/home"));
    environment.insert("WINEDEBUG", "-all");
    environment.insert("WINEDLLOVERRIDES", "mscoree,mshtml=");
    return environment;
}

TEST(WineListing, AgreesWithWineOnEveryCaseButTheReviewedDifferences) {
    if (QStandardPaths::findExecutable("wine").isEmpty())
        GTEST_SKIP() << "wine is not installed, so no Windows program can run here";
    if (!QFile::exists(WINE_PREFIX_CACHE "/system.reg"))
        GTEST_SKIP() << "wineboot could not make a prefix in " WINE_PREFIX_CACHE;

    WorkFolder work;
    if (::geteuid() == 0) {
        ASSERT_TRUE(work.prepare(true)) << "cannot copy the Wine prefix for the user nobody";
        qputenv(kWorkVariable, QFile::encodeName(work.path));
        QByteArray output;
        testing::rerunUnprivileged(100000, &output);
        qunsetenv(kWorkVariable);
        // The reviewed differences and the count of cases, for the log.
        for (const QByteArray& line : output.split('\n'))
            if (!line.startsWith('[') && !line.startsWith("Note:") && !line.isEmpty())
                std::printf("%s\n", line.constData());
        return;
    }
    if (qEnvironmentVariableIsSet(kWorkVariable))
        work.path = qEnvironmentVariable(kWorkVariable);
    else
        ASSERT_TRUE(work.prepare(false)) << "cannot copy the Wine prefix";

    const QString driveC = work.prefix() + QStringLiteral("/drive_c");
    Corpus corpus(driveC + QStringLiteral("/Corpus"));
    corpus.cd(kCorpus);
    addMarks(corpus);
    addForms(corpus);
    addTrailing(corpus);
    addLinks(corpus);
    addPermissions(corpus);
    addPaths(corpus);
    addForeign(corpus);
    addLetterCase(corpus);
    if (::testing::Test::HasFatalFailure()) {
        corpus.openUp();
        return;
    }

    QFile queries(driveC + QStringLiteral("/queries.txt"));
    ASSERT_TRUE(queries.open(QIODevice::WriteOnly));
    for (const Query& query : corpus.queries)
        queries.write(query.line().toUtf8() + '\n');
    queries.close();

    QElapsedTimer clock;
    clock.start();
    QProcess wine;
    wine.setProcessEnvironment(wineEnvironment(work));
    wine.setWorkingDirectory(corpus.host(QString()));
    wine.setProcessChannelMode(QProcess::MergedChannels);
    wine.start("wine", {driveC + QStringLiteral("/windows_listing.exe"), QStringLiteral("C:\\queries.txt"),
                        QStringLiteral("C:\\answers.txt")});
    const bool finished = wine.waitForFinished(80000);
    const qint64 wineTime = clock.elapsed();
    QProcess stop;
    stop.setProcessEnvironment(wineEnvironment(work));
    stop.start("wineserver", {"--kill"});
    stop.waitForFinished(20000);
    ASSERT_TRUE(finished && wine.exitCode() == 0)
        << "windows_listing.exe failed: " << wine.readAll().constData();

    QFile answers(driveC + QStringLiteral("/answers.txt"));
    ASSERT_TRUE(answers.open(QIODevice::ReadOnly));
    QStringList wineLines = QString::fromUtf8(answers.readAll()).split('\n');
    ASSERT_EQ(wineLines.size(), qsizetype(corpus.queries.size()) + 1)
        << "one answer a query, and the last line ended";

    // The layer, first outside any snapshot scope and then inside one, answers the same queries.
    auto driveMap = platform::DriveMap::open(work.prefix());
    ASSERT_TRUE(driveMap) << driveMap.error().toStdString();
    platform::FileSystem fileSystem(std::move(driveMap).value());
    const QString savedFolder = QDir::currentPath();
    std::vector<Answer> ours;
    for (const bool inScope : {false, true}) {
        QDir::setCurrent(corpus.host(QString()));
        std::optional<platform::FolderCache::Scope> scope;
        if (inScope)
            scope.emplace(fileSystem.snapshotScope());
        for (std::size_t i = 0; i < corpus.queries.size(); ++i) {
            const Answer answer = fromLayer(fileSystem, corpus.queries[i]);
            if (!inScope)
                ours.push_back(answer);
            else
                EXPECT_TRUE(answer == ours[i])
                    << "inside a snapshot scope the layer answers otherwise to "
                    << corpus.queries[i].line().toStdString() << ": " << answer.text().toStdString()
                    << " instead of " << ours[i].text().toStdString();
        }
    }
    QDir::setCurrent(savedFolder);
    corpus.openUp();

    std::vector<ReviewedDifference> reviewed = reviewedDifferences();
    int agreed = 0;
    int differed = 0;
    for (std::size_t i = 0; i < corpus.queries.size(); ++i) {
        const Query& query = corpus.queries[i];
        const Answer wineAnswer = fromWine(query, wineLines[qsizetype(i)]);
        if (query.kind == QLatin1String("set")) {
            EXPECT_EQ(wineAnswer.value, "ok") << "Wine could not mark " << query.path.toStdString();
            continue;
        }
        if (wineAnswer == ours[i]) {
            ++agreed;
            continue;
        }
        ++differed;
        ReviewedDifference* covering = nullptr;
        for (ReviewedDifference& difference : reviewed) {
            if (difference.covers(query, wineAnswer, ours[i])) {
                covering = &difference;
                break;
            }
        }
        const std::string shown = query.line().replace('\t', ' ').toStdString() + "\n    Wine: " +
                                  wineLines[qsizetype(i)].replace('\t', QLatin1String(" | ")).toStdString() +
                                  "\n    ours: " + ours[i].text().toStdString();
        if (!covering) {
            ADD_FAILURE() << "unreviewed difference: " << shown;
            continue;
        }
        ++covering->seen;
        std::printf("reviewed difference: %s\n", shown.c_str());
    }
    for (const ReviewedDifference& difference : reviewed) {
        std::printf("%4d x %s\n", difference.seen, difference.reason);
        EXPECT_GT(difference.seen, 0)
            << "a reviewed difference no case shows any more: " << difference.reason;
    }
    std::printf("%zu queries: %d answered alike by Wine and the layer, %d differently; Wine took %lld ms\n",
                corpus.queries.size(), agreed, differed, static_cast<long long>(wineTime));
}

} // namespace
} // namespace fambridge
