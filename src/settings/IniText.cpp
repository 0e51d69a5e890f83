#include "settings/IniText.h"

#include <QFile>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>

namespace IniText {

namespace {
const QString snapshotName = QStringLiteral("snapshot.ini");

QString addressOf(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

bool writeSnapshot(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush();
}

std::optional<QByteArray> readSnapshot(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return text;
}

bool isSoundLine(QByteArrayView line) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(';'))
        return true;
    if (line.startsWith('['))
        return line.contains(']');
    bool quoted = false;
    bool escaped = false;
    bool hasEquals = false;
    for (const char c : line) {
        if (escaped)
            escaped = false;
        else if (c == '\\')
            escaped = true;
        else if (c == '"')
            quoted = !quoted;
        else if (c == '=' && !quoted)
            hasEquals = true;
    }
    return hasEquals && !quoted && !escaped;
}

bool hasControlCharacters(const QByteArray& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7f;
    });
}

bool isUtf8(const QByteArray& text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(text); // the decoder only runs when its result is taken
    return !decoder.hasError();
}
} // namespace

QString value(const QByteArray& text, const QString& section, const QString& key) {
    if (text.isEmpty())
        return {};
    QTemporaryDir folder;
    const QString path = folder.filePath(snapshotName);
    if (!folder.isValid() || !writeSnapshot(path, text))
        return {};
    return QSettings(path, QSettings::IniFormat).value(addressOf(section, key)).toString();
}

std::optional<QByteArray> withValue(const QByteArray& text, const QString& section, const QString& key,
                                    const QString& value) {
    QTemporaryDir folder;
    const QString path = folder.filePath(snapshotName);
    if (!folder.isValid() || !writeSnapshot(path, text))
        return std::nullopt;
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(addressOf(section, key), value);
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return std::nullopt;
    }
    return readSnapshot(path);
}

bool isSound(const QByteArray& text) {
    if (!isUtf8(text) || hasControlCharacters(text))
        return false;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        if (!isSoundLine(QByteArrayView(text).sliced(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace IniText
