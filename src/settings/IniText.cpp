#include "settings/IniText.h"

#include "settings/IniEscape.h"

#include <QList>
#include <QStringDecoder>
#include <algorithm>

namespace IniText {

namespace {
const QByteArray byteOrderMark = "\xef\xbb\xbf";

// Where the lines begin: after a UTF-8 byte order mark, which QSettings skips and which is kept.
qsizetype startOfLines(QByteArrayView text) {
    return text.startsWith(byteOrderMark) ? byteOrderMark.size() : 0;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isSpecial(char c) {
    return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

// One line as QSettings reads it: from its first non-blank character to a line end or to a ';' outside
// quotes, where a comment begins. A line end inside quotes, or escaped, does not end it.
struct Line {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype equals = -1; // the first '=' outside quotes
};

bool nextLine(QByteArrayView text, qsizetype& position, Line& line) {
    const qsizetype size = text.size();
    bool inQuotes = false;
    line = {position, position, -1};
    while (line.start < size && isBlank(text[line.start]))
        ++line.start;
    qsizetype i = line.start;
    while (i < size) {
        const char c = text[i++];
        if (!isSpecial(c))
            continue;
        if (c == '=') {
            if (!inQuotes && line.equals < 0)
                line.equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (i == line.start + 1) {
                ++line.start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = text[i++];
                if (i < size &&
                    ((escaped == '\n' && text[i] == '\r') || (escaped == '\r' && text[i] == '\n')))
                    ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (i == line.start + 1) { // a ';' that begins the line: a comment to the line's end
            while (i < size && text[i] != '\n' && text[i] != '\r')
                ++i;
            while (i < size && isBlank(text[i]))
                ++i;
            line.start = i;
        } else if (!inQuotes) {
            --i;
            break;
        }
    }
    position = i;
    line.end = i;
    return line.end > line.start;
}

// A section heading or a key=value line, with the section it belongs to.
struct Entry {
    bool heading = false;
    QString section;
    QString key;
    QByteArrayView value;
    Line line;
};

QString sectionName(QByteArrayView heading) {
    const qsizetype close = heading.indexOf(']');
    const QByteArrayView name = heading.first(close < 0 ? heading.size() : close).sliced(1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return {};
    if (name.compare("%general", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(name.sliced(1));
    return IniEscape::unescapedKey(name);
}

QList<Entry> entriesOf(QByteArrayView text) {
    QList<Entry> entries;
    QString section;
    qsizetype position = startOfLines(text);
    for (Line line; nextLine(text, position, line);) {
        const QByteArrayView content = text.sliced(line.start, line.end - line.start);
        if (content.startsWith('[')) {
            section = sectionName(content);
            entries.append({true, section, {}, {}, line});
        } else if (line.equals >= 0) {
            const QByteArrayView key = text.sliced(line.start, line.equals - line.start).trimmed();
            entries.append({false, section, IniEscape::unescapedKey(key),
                            text.sliced(line.equals + 1, line.end - line.equals - 1), line});
        }
    }
    return entries;
}

// The last heading of the section and the key's last line, where there are any.
struct Place {
    const Entry* heading = nullptr;
    const Entry* key = nullptr;
};

Place find(const QList<Entry>& entries, const QString& section, const QString& key) {
    Place place;
    for (const Entry& entry : entries) {
        if (entry.section != section)
            continue;
        if (entry.heading)
            place.heading = &entry;
        else if (entry.key == key)
            place.key = &entry;
    }
    return place;
}

qsizetype endOfPhysicalLine(const QByteArray& text, qsizetype from) {
    while (from < text.size() && text[from] != '\n' && text[from] != '\r')
        ++from;
    return from;
}

bool isSoundLine(QByteArrayView line) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(';'))
        return true;
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
    // An open quote or a final backslash would carry the line into the next one.
    if (quoted || escaped)
        return false;
    return line.startsWith('[') ? line.contains(']') : hasEquals;
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

StepValue<QString> value(const QByteArray& text, const QString& section, const QString& key) {
    const QList<Entry> entries = entriesOf(text);
    const Place place = find(entries, section, key);
    return place.key ? IniEscape::unescapedValue(place.key->value) : StepValue<QString>();
}

QByteArray withValue(const QByteArray& text, const QString& section, const QString& key,
                     const QString& value) {
    const QByteArray line = IniEscape::escapedKey(key) + '=' + IniEscape::escapedValue(value);
    const QByteArray lineEnd = text.contains("\r\n") ? "\r\n" : "\n";
    const QList<Entry> entries = entriesOf(text);
    const Place place = find(entries, section, key);
    QByteArray result = text;
    if (place.key)
        return result.replace(place.key->line.start, place.key->line.end - place.key->line.start, line);
    if (place.heading)
        return result.insert(endOfPhysicalLine(text, place.heading->line.end), lineEnd + line);
    if (!result.isEmpty())
        result += result.endsWith('\n') || result.endsWith('\r') ? lineEnd : lineEnd + lineEnd;
    return result + '[' + IniEscape::escapedKey(section) + ']' + lineEnd + line + lineEnd;
}

bool isSound(const QByteArray& text) {
    if (!isUtf8(text) || hasControlCharacters(text))
        return false;
    qsizetype start = startOfLines(text);
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
