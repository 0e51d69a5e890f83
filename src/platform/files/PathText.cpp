#include "platform/files/PathText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace PathText {

namespace {
constexpr char16_t rawByte = 0xdc00; // plus the byte, from 0x80 to 0xff

// The low half of a surrogate pair is a character's, not a byte's.
bool isRawByteAt(QStringView text, qsizetype i) {
    const char16_t c = text[i].unicode();
    return c >= rawByte + 0x80 && c <= rawByte + 0xff && !(i > 0 && text[i - 1].isHighSurrogate());
}

// The length of the valid UTF-8 sequence that starts at i, or 0.
qsizetype sequenceAt(const QByteArray& bytes, qsizetype i) {
    const uchar lead = uchar(bytes[i]);
    const qsizetype length = lead < 0x80                   ? 1
                             : lead >= 0xc2 && lead < 0xe0 ? 2
                             : lead >= 0xe0 && lead < 0xf0 ? 3
                             : lead >= 0xf0 && lead < 0xf5 ? 4
                                                           : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(QByteArrayView(bytes).sliced(i, length));
    return decoder.hasError() ? 0 : length;
}
} // namespace

QString fromBytes(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = sequenceAt(bytes, i);
        if (length == 0) {
            text += QChar(char16_t(rawByte + uchar(bytes[i])));
            ++i;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + i, length);
        i += length;
    }
    return text;
}

QByteArray toBytes(const QString& text) {
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i)
        if (i == text.size() || isRawByteAt(text, i)) {
            bytes += QStringView(text).sliced(start, i - start).toUtf8();
            if (i < text.size())
                bytes += char(text[i].unicode() - rawByte);
            start = i + 1;
        }
    return bytes;
}

bool holdsRawBytes(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isRawByteAt(text, i))
            return true;
    return false;
}

} // namespace PathText
