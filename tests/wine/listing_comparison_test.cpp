#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"
#include "temp_drives.h"
#include "test_table.h"
#include "unprivileged.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// FamBridge's platform layer held against Wine: windows_listing.exe lists and queries paths through
// FindFirstFileW/FindNextFileW and GetFileAttributesW under Wine, the layer does the same through
// FileSystem::list and FileSystem::attributes over the same drives, and every case must agree, or differ
// in a way reviewed. The cases and the reviewed differences are the rows of listing_cases.txt. As root the
// comparison runs as the user nobody, so that permission bits count.

namespace fambridge {
namespace {

const char* const kWorkVariable = "FAMBRIDGE_LISTING_WORK";

// A query as its row gives it: "list", mask and pattern; "attributes" and path; "set", bits and path (Wine
// marks files, the layer only reads the marks); "cd" and folder.
using Query = QStringList;

// An answer: the names of a listing, the attribute bits, or whether the call succeeded. Error codes are
// Windows' own; the layer says only that it failed.
struct Answer {
    std::set<QString> names;
    QString value;
    QHash<QString, QString> shortNames; // Wine's made-up 8.3 names, by long name; not compared

    bool operator==(const Answer& other) const { return names == other.names && value == other.value; }
    QString text() const {
        return value.isNull() ? '{' + QStringList(names.begin(), names.end()).join(", ") + '}' : value;
    }
};

Answer fromWine(const Query& query, const QString& line) {
    if (query.first() != "list")
        return {{}, line.startsWith("error") ? QStringLiteral("error") : line, {}};
    Answer answer;
    for (const QString& entry : line.split('\t', Qt::SkipEmptyParts)) {
        answer.names.insert(entry.section('/', 0, 0));
        answer.shortNames.insert(entry.section('/', 0, 0), entry.section('/', 1));
    }
    return answer;
}

Answer fromLayer(platform::FileSystem& fileSystem, const Query& query) {
    Answer answer;
    if (query.first() == "list") {
        const auto names = fileSystem.list(query.last(), platform::ListMask(query[1].toInt()));
        answer.names = {names.begin(), names.end()};
    } else if (query.first() == "attributes") {
        const auto attributes = fileSystem.attributes(query.last());
        answer.value = attributes ? QString::number(int(*attributes)) : QStringLiteral("error");
    } else if (query.first() == "cd") {
        const auto host = fileSystem.toHost(query.last());
        answer.value = host && QDir::setCurrent(*host) ? QStringLiteral("ok") : QStringLiteral("error");
    }
    return answer;
}

// A difference between Wine and the layer that was looked at and is meant; the table says what each kind
// covers.
struct Difference {
    QString kind;
    QRegularExpression query;
    QRegularExpression names; // an empty one says nothing about names
    QString reason;
    int seen = 0;

    bool covers(const Query& asked, const Answer& wine, const Answer& ours) const {
        if (!query.match(asked.join(' ')).hasMatch())
            return false;
        if (kind == "any")
            return true;
        if (kind == "drive")
            return wine.names.empty() && ours.names == std::set{asked.last().toUpper()};
        const Answer& more = kind == "ours-more" ? ours : wine;
        const Answer& fewer = kind == "ours-more" ? wine : ours;
        if (asked.first() != "list")
            return fewer.value == "error" && more.value != "error";
        const QString last = asked.last().section(QRegularExpression(R"([\\/])"), -1);
        const auto matches = [&](const QString& name) {
            return platform::matchesWildcard(last.isEmpty() ? QStringLiteral("*") : last, name);
        };
        // The side with more found all the other found. Of its names, a short-name difference holds those
        // that only their short name lets the pattern match; any other, those its names pattern matches.
        return std::ranges::includes(more.names, fewer.names) &&
               std::ranges::all_of(more.names, [&](const QString& name) {
                   const bool alone = !fewer.names.contains(name);
                   return kind == "short-name"
                              ? !alone || (!matches(name) && matches(wine.shortNames.value(name)))
                              : names.pattern().isEmpty() || names.match(name).hasMatch() == alone;
               });
    }
};

// What the table asks for: files and folders made under C:\Corpus, the queries in the order they are asked,
// and the reviewed differences.
struct Cases {
    QString driveC; // on the host
    std::vector<Query> queries;
    std::vector<Difference> differences;

    QString host(const QString& relative) const { return driveC + "/Corpus/" + relative; }

    void read(const QString& row) {
        const QString kind = row.section(' ', 0, 0);
        // The columns before the last hold no blanks; the last runs to the end of the row.
        static const QHash<QString, int> kColumns{
            {"link", 3}, {"mode", 3}, {"mark", 3}, {"set", 3}, {"difference", 5}};
        const int count = kColumns.value(kind, 2);
        const QString pattern = '^' + QString(R"((\S+)\s+)").repeated(count - 1) + R"((\S.*?)\s*$)";
        const auto columns = QRegularExpression(pattern).match(row);
        ASSERT_TRUE(columns.hasMatch()) << "a row short of a column: " << row.toStdString();
        QStringList field;
        for (const QString& column : columns.capturedTexts().mid(1))
            field.append(QString::fromUtf8(QByteArray::fromPercentEncoding(column.toUtf8())));
        const QString& path = field.last();
        const QByteArray hostPath = QFile::encodeName(host(path));
        const QByteArray value = field[1].toUtf8();
        bool made = true;
        if (kind == "file") {
            made = makeFile(path);
        } else if (kind == "folder") {
            made = QDir().mkpath(host(path));
        } else if (kind == "pipe") {
            made = ::mkfifo(hostPath.constData(), 0644) == 0;
        } else if (kind == "link") {
            made = QFile::link(field[1].startsWith('/') ? driveC + field[1] : field[1], host(path));
        } else if (kind == "mode") {
            made = ::chmod(hostPath.constData(), mode_t(field[1].toUInt(nullptr, 8))) == 0;
        } else if (kind == "mark") {
            made = ::setxattr(hostPath.constData(), "user.DOSATTRIB", value.constData(),
                              std::size_t(value.size()), 0) == 0;
        } else if (kind == "letter-cases") {
            addLetterCases(path);
        } else if (kind == "difference") {
            differences.push_back({field[1], QRegularExpression(field[2]),
                                   QRegularExpression(field[3] == "-" ? QString() : field[3]), path});
            made = QStringList{"wine-more", "ours-more", "short-name", "drive", "any"}.contains(field[1]);
        } else if (kind == "list" || kind == "both") {
            addListing(path);
        } else {
            made = QStringList{"cd", "attributes", "set"}.contains(kind);
            queries.push_back(field);
        }
        if (kind == "both")
            queries.push_back({"attributes", path});
        EXPECT_TRUE(made) << "cannot make what this row asks for: " << row.toStdString();
    }

    bool makeFile(const QString& relative) {
        return QDir().mkpath(host(relative).section('/', 0, -2)) &&
               QFile(host(relative)).open(QIODevice::WriteOnly);
    }

    void addListing(const QString& path) {
        for (const char* mask : {"0", "16"})
            queries.push_back({"list", mask, path});
    }

    // Every letter of the basic plane that has another case, beside each other form of it: a file named by
    // one form, and a listing of it by the other.
    void addLetterCases(const QString& folder) {
        const auto hex = [](char32_t unit) { return QString::number(uint(unit), 16).rightJustified(4, '0'); };
        for (char32_t letter = 0x20; letter < 0x10000; ++letter) {
            if (QChar::isSurrogate(letter))
                continue;
            std::set<char32_t> others{QChar::toUpper(letter), QChar::toLower(letter),
                                      QChar::toTitleCase(letter)};
            others.erase(letter);
            for (const char32_t other : others) {
                if (other > 0xFFFF)
                    continue;
                const QString sub = hex(letter).left(2);
                const QString name = '_' + hex(letter) + hex(other) + ".txt";
                EXPECT_TRUE(makeFile(folder + '/' + sub + '/' + QChar(char16_t(letter)) + name))
                    << name.toStdString();
                addListing("C:\\Corpus\\" + folder + '\\' + sub + '\\' + QChar(char16_t(other)) + name);
            }
        }
    }
};

// The drives both sides see, in a fresh folder everyone may enter, since the build tree may lie where the
// user nobody cannot reach it: a copy of the prefix that wineboot made, owned by whoever runs Wine, and the
// table of cases.
bool prepare(const QString& work, bool forNobody) {
    const QString prefix = work + "/prefix";
    ::chmod(QFile::encodeName(work).constData(), 0755);
    if (!testing::copyPrefix(WINE_PREFIX_CACHE, prefix))
        return false;
    // Debian's wine keeps the name of the server's folder here, readable by the prefix's maker alone.
    QFile::remove(prefix + "/wineserver");
    if (!QFile::copy(WINDOWS_LISTING, prefix + "/drive_c/windows_listing.exe") ||
        !QFile::copy(LISTING_CASES, work + "/listing_cases.txt") || !QDir().mkpath(work + "/home"))
        return false;
    // Folders, links and the files of one link, the copies, become nobody's; the hard-linked files stay
    // root's, so that the cache they share is never written.
    const QString nobodys = "( -type d -o -type l -o -links 1 ) -exec chown -h 65534:65534 {} +";
    return !forNobody || QProcess::execute("find", QStringList{work} + nobodys.split(' ')) == 0;
}

TEST(WineListing, AgreesWithWineOnEveryCaseButTheReviewedDifferences) {
    std::optional<QTemporaryDir> owned;
    QString work = qEnvironmentVariable(kWorkVariable);
    // The run as nobody takes the work folder its parent prepared and checks nothing again: what the checks
    // look at lies in the build tree, which may be closed to nobody.
    if (work.isEmpty()) {
        if (QStandardPaths::findExecutable("wine").isEmpty())
            GTEST_SKIP() << "wine is not installed, so no Windows program can run here";
        ASSERT_TRUE(QFile::exists(WINE_PREFIX_CACHE "/system.reg"))
            << "wine is installed, but there is no prefix in " WINE_PREFIX_CACHE
               ": the test Wine.PrefixForEveryTest makes it with wineboot";
        owned.emplace(QDir::tempPath() + "/fambridge-listing-XXXXXX");
        work = owned->path();
        ASSERT_TRUE(owned->isValid() && prepare(work, ::geteuid() == 0)) << "cannot prepare a work folder";
        if (::geteuid() == 0) {
            qputenv(kWorkVariable, QFile::encodeName(work));
            QByteArray output;
            testing::rerunUnprivileged(100000, &output);
            // The reviewed differences and the count of queries, for the log.
            for (const QByteArray& line : output.split('\n'))
                if (!line.startsWith('[') && !line.startsWith("Note:") && !line.isEmpty())
                    std::printf("%s\n", line.constData());
            return;
        }
    }

    Cases cases{work + "/prefix/drive_c", {}, {}};
    // Entries a row closed are opened again, so that whoever made them can remove them.
    const auto openUp = qScopeGuard([&] { QProcess::execute("chmod", {"-R", "u+rwX", cases.host("")}); });
    for (const QString& row : testing::tableRows("listing_cases.txt", work))
        cases.read(row);
    ASSERT_FALSE(HasFailure()) << "the table asks for what cannot be made";
    QFile queries(cases.driveC + "/queries.txt");
    ASSERT_TRUE(queries.open(QIODevice::WriteOnly));
    for (const Query& query : cases.queries)
        queries.write(query.join('\t').toUtf8() + '\n');
    queries.close();

    qputenv("WINEPREFIX", QFile::encodeName(work + "/prefix"));
    qputenv("HOME", QFile::encodeName(work + "/home"));
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    QDir::setCurrent(cases.host(""));
    const int status = QProcess::execute("timeout", {"80", "wine", cases.driveC + "/windows_listing.exe",
                                                     "C:\\queries.txt", "C:\\answers.txt"});
    QProcess::execute("wineserver", {"--kill"});
    ASSERT_EQ(status, 0) << "windows_listing.exe failed, or took longer than 80 s";
    QFile answers(cases.driveC + "/answers.txt");
    ASSERT_TRUE(answers.open(QIODevice::ReadOnly));
    QStringList wineLines = QString::fromUtf8(answers.readAll()).split('\n');
    ASSERT_EQ(wineLines.size(), qsizetype(cases.queries.size()) + 1)
        << "one answer a query, and the last line ended";

    // The layer answers the same queries, from the same folder, first outside any snapshot scope and then
    // inside one.
    auto driveMap = platform::DriveMap::open(work + "/prefix");
    ASSERT_TRUE(driveMap) << driveMap.error().toStdString();
    platform::FileSystem fileSystem(std::move(driveMap).value());
    const auto answerAll = [&] {
        QDir::setCurrent(cases.host(""));
        std::vector<Answer> answers;
        for (const Query& query : cases.queries)
            answers.push_back(fromLayer(fileSystem, query));
        return answers;
    };
    const std::vector<Answer> ours = answerAll();
    const auto scope = fileSystem.snapshotScope();
    const std::vector<Answer> scoped = answerAll();

    int agreed = 0, differed = 0;
    for (std::size_t i = 0; i < cases.queries.size(); ++i) {
        const Query& query = cases.queries[i];
        const Answer wine = fromWine(query, wineLines[qsizetype(i)]);
        const std::string shown = query.join(' ').toStdString() + "\n    Wine: " +
                                  wineLines[qsizetype(i)].replace('\t', " | ").toStdString() +
                                  "\n    ours: " + ours[i].text().toStdString();
        EXPECT_TRUE(scoped[i] == ours[i]) << "inside a snapshot scope the layer answers "
                                          << scoped[i].text().toStdString() << " to " << shown;
        if (query.first() == "set") {
            EXPECT_EQ(wine.value, "ok") << "Wine could not mark " << query.last().toStdString();
            continue;
        }
        if (wine == ours[i]) {
            ++agreed;
            continue;
        }
        ++differed;
        const auto covering = std::ranges::find_if(
            cases.differences, [&](const Difference& d) { return d.covers(query, wine, ours[i]); });
        if (covering == cases.differences.end()) {
            ADD_FAILURE() << "unreviewed difference: " << shown;
        } else {
            ++covering->seen;
            std::printf("reviewed difference: %s\n", shown.c_str());
        }
    }
    for (const Difference& difference : cases.differences) {
        std::printf("%4d x %s\n", difference.seen, difference.reason.toStdString().c_str());
        EXPECT_GT(difference.seen, 0)
            << "a reviewed difference no case shows any more: " << difference.reason.toStdString();
    }
    std::printf("%zu queries: %d answered alike by Wine and the layer, %d differently\n",
                cases.queries.size(), agreed, differed);
}

} // namespace
} // namespace fambridge
