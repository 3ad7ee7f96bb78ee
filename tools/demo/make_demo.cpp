// Lays out the demo that ./run starts FamBridge on: a drive map of its own whose C: holds a Palm user
// folder C:\PALM\Demo with a BACKUP of three small databases and an empty INSTALL, a sample GED file, and
// an application folder C:\FamBridge with the demo converters FLImport and FLExport.
//
//   fambridge_make_demo <demo folder> <demo converter program>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

// Seconds from 1904-01-01, the epoch of Palm database dates.
quint32 palmTime(const QDateTime& time) {
    const QDateTime epoch(QDate(1904, 1, 1), QTime(0, 0), Qt::UTC);
    return quint32(epoch.secsTo(time));
}

void put16(QByteArray& bytes, quint16 value) {
    bytes.append(char(value >> 8)).append(char(value & 0xff));
}

void put32(QByteArray& bytes, quint32 value) {
    put16(bytes, quint16(value >> 16));
    put16(bytes, quint16(value & 0xffff));
}

// The 78-byte header of a Palm database with no records, and the two bytes of padding that follow an
// empty record list.
QByteArray palmDatabase(const QByteArray& name, const QByteArray& type, const QByteArray& creator) {
    QByteArray bytes = name.left(31);
    bytes.append(QByteArray(32 - bytes.size(), '\0'));
    put16(bytes, 0x0008); // backup bit: a database the handheld backs up
    put16(bytes, 1);      // version
    const quint32 now = palmTime(QDateTime::currentDateTimeUtc());
    put32(bytes, now); // created
    put32(bytes, now); // modified
    put32(bytes, now); // last backed up
    put32(bytes, 0);   // modification number
    put32(bytes, 0);   // application info
    put32(bytes, 0);   // sort info
    bytes.append(type.left(4)).append(creator.left(4));
    put32(bytes, 0); // unique id seed
    put32(bytes, 0); // next record list
    put16(bytes, 0); // records
    bytes.append(2, '\0');
    return bytes;
}

bool write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

const char kSampleGed[] = "0 HEAD\r\n1 SOUR FamBridge demo\r\n1 GEDC\r\n2 VERS 5.5.1\r\n1 CHAR UTF-8\r\n"
                          "0 @I1@ INDI\r\n1 NAME Ada /Lovelace/\r\n1 BIRT\r\n2 DATE 10 DEC 1815\r\n"
                          "0 @I2@ INDI\r\n1 NAME Charles /Babbage/\r\n1 BIRT\r\n2 DATE 26 DEC 1791\r\n"
                          "0 TRLR\r\n";

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fambridge_make_demo <demo folder> <demo converter program>\n");
        return 2;
    }
    const QString demo = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString converter = QString::fromLocal8Bit(argv[2]);
    const QString prefix = demo + QStringLiteral("/prefix");
    const QString driveC = prefix + QStringLiteral("/drive_c");

    bool ok = QDir().mkpath(prefix + QStringLiteral("/dosdevices")) &&
              QDir().mkpath(driveC + QStringLiteral("/PALM/Demo/INSTALL"));
    const QString link = prefix + QStringLiteral("/dosdevices/c:");
    if (!QFileInfo(link).isSymLink())
        ok = ok && QFile::link(QStringLiteral("../drive_c"), link);

    for (const char* name : {"Family", "Smith", "Garden"}) {
        const QString stem = driveC + QStringLiteral("/PALM/Demo/BACKUP/") + QLatin1String(name);
        // The two halves of one database, as the handheld application backs it up.
        ok = ok && write(stem + QStringLiteral("P.PDB"),
                         palmDatabase(QByteArray(name) + "-People", "DATA", "DEMO"));
        ok = ok && write(stem + QStringLiteral("E.PDB"),
                         palmDatabase(QByteArray(name) + "-Events", "DATA", "DEMO"));
    }
    ok = ok && write(driveC + QStringLiteral("/Genealogy/sample.ged"), kSampleGed);

    const QString app = driveC + QStringLiteral("/FamBridge");
    ok = ok && QDir().mkpath(app);
    for (const char* name : {"FLImport", "FLExport"}) {
        const QString target = app + QLatin1Char('/') + QLatin1String(name);
        QFile::remove(target);
        ok = ok && QFile::copy(converter, target) &&
             QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner | QFile::ExeGroup |
                                               QFile::ExeOther);
    }
    if (!ok) {
        std::fprintf(stderr, "fambridge_make_demo: could not lay out the demo in %s\n", argv[1]);
        return 1;
    }
    return 0;
}
