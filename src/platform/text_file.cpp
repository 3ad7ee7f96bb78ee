#include "text_file.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringEncoder>

namespace fambridge::platform {

namespace {

// Why a file could not be read as text, in the user's language.
struct Messages {
    Q_DECLARE_TR_FUNCTIONS(fambridge::platform::TextFile)
};

constexpr char kCodePage[] = "windows-1252";
const QByteArray kUtf8Mark("\xEF\xBB\xBF");
} // namespace

QByteArray encodeText(const QString& text) {
    QStringEncoder encoder(kCodePage);
    QByteArray bytes = encoder.encode(text);
    if (encoder.isValid() && !encoder.hasError())
        return bytes;
    return kUtf8Mark + text.toUtf8();
}

Result<QString> decodeText(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return Failure{Messages::tr("it is not a text file")};
    if (bytes.startsWith(kUtf8Mark)) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes.mid(kUtf8Mark.size()));
        if (decoder.hasError())
            return Failure{Messages::tr("it is not valid UTF-8 text")};
        return text;
    }
    QStringDecoder decoder(kCodePage);
    QString text = decoder.decode(bytes);
    if (!decoder.isValid() || decoder.hasError())
        return Failure{Messages::tr("it is not valid Windows-1252 text")};
    return text;
}

QByteArray joinLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return encodeText(text);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

Result<QStringList> readTextLines(FileSystem& fileSystem, const QString& dosPath, qint64 maxBytes) {
    const auto bytes = fileSystem.readFile(dosPath, maxBytes);
    if (!bytes)
        return bytes.failure();
    const auto text = decodeText(*bytes);
    if (!text)
        return Failure{Messages::tr("%1 cannot be read: %2.").arg(dosPath, text.error())};
    return splitLines(*text);
}

Status writeTextLines(FileSystem& fileSystem, const QString& dosPath, const QStringList& lines) {
    return fileSystem.replaceFile(dosPath, joinLines(lines));
}

} // namespace fambridge::platform
