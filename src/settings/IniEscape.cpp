#include "settings/IniEscape.h"

#include "platform/files/PathText.h"

#include <QDataStream>
#include <QMetaType>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>

namespace IniEscape {

namespace {
const char hexDigits[] = "0123456789ABCDEF";

bool isPlainKeyCharacter(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

int digitValue(char c, int base) {
    int value = base;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// A backslash and a letter, and the character they stand for. The last two are read but never written.
const char letterEscapes[][2] = {{'a', '\a'},  {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                 {'r', '\r'},  {'t', '\t'}, {'v', '\v'}, {'"', '"'},
                                 {'\\', '\\'}, {'?', '?'},  {'\'', '\''}};
constexpr int writtenLetterEscapes = 9;

char unescapedLetter(char letter) {
    for (const auto& pair : letterEscapes)
        if (letter == pair[0])
            return pair[1];
    return 0;
}

char escapeLetter(char16_t c) {
    for (int i = 0; i < writtenLetterEscapes; ++i)
        if (c == char16_t(letterEscapes[i][1]))
            return letterEscapes[i][0];
    return 0;
}

void chopTrailingBlanks(QString& text, qsizetype limit) {
    while (text.size() > limit && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
}

// A value in Qt's notation for another type than text, which no reader here can take for a directory.
StepValue<QString> notText() {
    return {{},
            StepResult::failure(StepResult::Kind::Damaged, EINVAL,
                                QStringLiteral("The stored value is not text"))};
}

// Qt's reading of the text of one value, as a state machine over its bytes. A list, which no text is, fails:
// a comma outside quotes separates its items.
StepValue<QString> unquoted(QByteArrayView in) {
    QString out;
    QStringDecoder fromUtf8(QStringDecoder::Utf8);
    bool inQuotes = false;
    bool quoted = false;
    qsizetype i = 0;
    qsizetype chopLimit = 0; // blanks before it came from escapes or quotes and are kept
    const auto skipBlanks = [&] {
        while (i < in.size() && (in[i] == ' ' || in[i] == '\t'))
            ++i;
        chopLimit = out.size();
    };
    // The digits of a numeric escape, as many as follow; false when they run to the end of the text.
    const auto numeric = [&](char16_t value, int base) {
        for (int digit; i < in.size() && (digit = digitValue(in[i], base)) >= 0; ++i)
            value = char16_t(value * base + digit);
        out += QChar(value);
        chopLimit = out.size();
        return i < in.size();
    };

    skipBlanks();
    while (i < in.size()) {
        const char c = in[i];
        if (c == '\\') {
            // Where the text ends inside an escape, it ends there, trailing blanks and all.
            if (++i >= in.size())
                return {out, {}};
            const char escaped = in[i++];
            if (const char decoded = unescapedLetter(escaped)) {
                out += QLatin1Char(decoded);
            } else if (escaped == 'x') {
                if (i >= in.size())
                    return {out, {}};
                if (digitValue(in[i], 16) >= 0 && !numeric(0, 16))
                    return {out, {}};
            } else if (digitValue(escaped, 8) >= 0) {
                if (!numeric(char16_t(escaped - '0'), 8))
                    return {out, {}};
            } else if ((escaped == '\n' || escaped == '\r') && i < in.size() &&
                       (in[i] == '\n' || in[i] == '\r') && in[i] != escaped) {
                ++i; // a continued line: the escaped line end is dropped
            }
            chopLimit = out.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            return notText();
        } else {
            qsizetype end = i + 1;
            while (end < in.size() && in[end] != '\\' && in[end] != '"' && in[end] != ',')
                ++end;
            out += fromUtf8(in.sliced(i, end - i));
            i = end;
        }
    }
    if (!quoted)
        chopTrailingBlanks(out, chopLimit);
    return {out, {}};
}

// "@Rect(1 2 3 4)" and the like: true when QSettings would read a value of that type from the text.
bool isGeometry(const QString& text) {
    const auto arguments = [&](qsizetype open) {
        const QStringView inside = QStringView(text).sliced(open + 1);
        return inside.count(u' ') + inside.count(u')');
    };
    return (text.startsWith(u"@Rect(") && arguments(5) == 4) ||
           (text.startsWith(u"@Size(") && arguments(5) == 2) ||
           (text.startsWith(u"@Point(") && arguments(6) == 2);
}

// The variant that QSettings streams from the bytes after "@Variant(" (a Qt 4.0 stream) or "@DateTime("
// (a Qt 5.6 stream, with a null flag after the type), each character of the text one byte: text only when
// it streams a whole string, or bytes, which are read as UTF-8.
StepValue<QString> streamedText(QStringView text, QDataStream::Version version) {
    const QByteArray bytes = text.toLatin1();
    QDataStream stream(bytes);
    stream.setVersion(version);
    quint32 type = 0;
    stream >> type;
    if (version >= QDataStream::Qt_4_2) {
        qint8 isNull = 0;
        stream >> isNull;
    }
    QString string;
    if (type == QMetaType::QString) {
        stream >> string;
    } else if (type == QMetaType::QByteArray) {
        QByteArray utf8;
        stream >> utf8;
        string = QString::fromUtf8(utf8);
    } else {
        return notText();
    }
    return stream.status() == QDataStream::Ok ? StepValue<QString>{string, {}} : notText();
}

// What QSettings makes of a text that begins with "@". A value of another type is no setting that can
// be read: taken as empty, it would be taken for no setting at all.
StepValue<QString> typed(const QString& text) {
    if (!text.startsWith(u'@'))
        return {text, {}};
    if (text.endsWith(u')')) {
        if (text.startsWith(u"@ByteArray("))
            return {PathText::fromBytes(QStringView(text).sliced(11).chopped(1).toLatin1()), {}};
        if (text.startsWith(u"@String("))
            return {text.sliced(8).chopped(1), {}};
        if (text.startsWith(u"@Variant("))
            return streamedText(QStringView(text).sliced(9), QDataStream::Qt_4_0);
        if (text.startsWith(u"@DateTime("))
            return streamedText(QStringView(text).sliced(10), QDataStream::Qt_5_6);
        if (isGeometry(text))
            return notText();
        // Qt's mark for no value, which it writes for an empty list
        if (text == u"@Invalid()")
            return {};
    }
    return {text.startsWith(u"@@") ? text.sliced(1) : text, {}};
}
} // namespace

QByteArray escapedKey(const QString& key) {
    QByteArray result;
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == '/') {
            result += '\\';
        } else if (isPlainKeyCharacter(c)) {
            result += char(c);
        } else if (c <= 0xff) {
            result += '%';
            result += hexDigits[c >> 4];
            result += hexDigits[c & 0xf];
        } else {
            result += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                result += hexDigits[(c >> shift) & 0xf];
        }
    }
    return result;
}

QString unescapedKey(QByteArrayView key) {
    const QString decoded = QString::fromUtf8(key);
    QString result;
    for (qsizetype i = 0; i < decoded.size();) {
        const QChar c = decoded[i];
        if (c == u'%') {
            const bool wide = i + 1 < decoded.size() && decoded[i + 1] == u'U';
            const qsizetype first = i + (wide ? 2 : 1);
            const qsizetype digits = wide ? 4 : 2;
            bool ok = false;
            const ushort code = first + digits <= decoded.size()
                                    ? QStringView(decoded).sliced(first, digits).toUShort(&ok, 16)
                                    : 0;
            if (ok) {
                result += QChar(code);
                i = first + digits;
                continue;
            }
        }
        result += c == u'\\' ? QChar(u'/') : c;
        ++i;
    }
    return result;
}

QByteArray escapedValue(const QString& value) {
    // Qt marks a string that could be read as one of its typed values, or that holds a NUL. A path that
    // holds bytes of no UTF-8 is stored as the bytes they are, which Qt reads as they are.
    const QString text =
        PathText::holdsRawBytes(value)
            ? QStringLiteral("@ByteArray(") + QString::fromLatin1(PathText::toBytes(value)) + u')'
        : value.contains(QChar::Null) ? QStringLiteral("@String(") + value + u')'
        : value.startsWith(u'@')      ? u'@' + value
                                      : value;
    QByteArray result;
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false; // a hex digit right after a numeric escape would join it
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
        if (escapeNextIfHexDigit && c < 0x80 && digitValue(char(c), 16) >= 0) {
            result += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfHexDigit = false;
        if (c == 0) {
            result += "\\0";
            escapeNextIfHexDigit = true;
        } else if (const char letter = escapeLetter(c)) {
            result += '\\';
            result += letter;
        } else if (c <= 0x1f || c == 0x7f || c == 0xfeff) {
            // DEL is escaped as the other control characters are; a U+FEFF where the reader's decoder
            // starts would be taken for a byte order mark and dropped.
            result += "\\x" + QByteArray::number(c, 16);
            escapeNextIfHexDigit = true;
        } else {
            result += toUtf8(qc);
        }
    }
    if (needsQuotes || result.startsWith(' ') || result.endsWith(' '))
        return '"' + result + '"';
    return result;
}

StepValue<QString> unescapedValue(QByteArrayView value) {
    const StepValue<QString> text = unquoted(value);
    return text ? typed(text.value) : text;
}

} // namespace IniEscape
