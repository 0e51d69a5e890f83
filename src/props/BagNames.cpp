#include "props/BagNames.h"

#include <QAnyStringView>
#include <QFile>
#include <algorithm>
#include <cstring>

namespace {

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool isAscii(const char* name) {
    for (; *name; ++name)
        if (uchar(*name) >= 0x80)
            return false;
    return true;
}

// Compares two ASCII names folded, then as they are.
int compareAscii(const char* a, const char* b) {
    const char* x = a;
    const char* y = b;
    while (*x && foldAscii(*x) == foldAscii(*y))
        ++x, ++y;
    if (const int byFolded = uchar(foldAscii(*x)) - uchar(foldAscii(*y)); byFolded != 0)
        return byFolded;
    return std::strcmp(a, b);
}

// Compares an ASCII name, folded, with a text, as UTF-16.
int compareFolded(const char* ascii, QStringView text) {
    qsizetype i = 0;
    for (; ascii[i] && i < text.size(); ++i)
        if (const int byUnit = uchar(foldAscii(ascii[i])) - text[i].unicode(); byUnit != 0)
            return byUnit;
    return ascii[i] ? 1 : i < text.size() ? -1 : 0;
}

// The order of the folded texts, then of the texts, then of the bytes.
// Most names are ASCII, and the names of one folder tend to begin alike: the key of an ASCII name holds the
// eight folded bytes that follow the beginning all of them share, so that most comparisons are one of two
// integers. ASCII never sets the top bit, which therefore marks the key of any other name; the rest of that
// key is its index among the names that are decoded and folded once each, and compared with any name as
// UTF-16, as QString compares.
class ReadingOrder {
public:
    struct Key {
        quint64 head;
        qsizetype start;
    };

    explicit ReadingOrder(const QByteArray& bytes) : bytes_(bytes) {}

    QList<Key> keys(const QList<qsizetype>& starts) {
        QList<Key> keys;
        keys.reserve(starts.size());
        QByteArrayView shared;
        bool first = true;
        for (const qsizetype start : starts) {
            const char* name = at(start);
            if (isAscii(name)) {
                keys.append({0, start});
                shared = first ? QByteArrayView(name) : sharedBeginning(shared, name);
                first = false;
            } else {
                const QString text = QFile::decodeName(name);
                keys.append({wideMark | quint64(wide_.size()), start});
                wide_.append({text.toCaseFolded(), text});
            }
        }
        for (Key& key : keys)
            if (!(key.head & wideMark))
                key.head = headAfter(shared.size(), at(key.start));
        return keys;
    }

    bool less(const Key& a, const Key& b) const {
        if (!((a.head | b.head) & wideMark)) {
            if (a.head != b.head)
                return a.head < b.head;
            return compareAscii(at(a.start), at(b.start)) < 0;
        }
        return compareAny(a, b) < 0;
    }

private:
    static constexpr quint64 wideMark = quint64(1) << 63;
    struct Wide {
        QString folded;
        QString text;
    };

    const char* at(qsizetype start) const { return bytes_.constData() + start; }

    // The part of shared that name begins with, compared folded.
    static QByteArrayView sharedBeginning(QByteArrayView shared, const char* name) {
        qsizetype same = 0;
        while (same < shared.size() && foldAscii(shared[same]) == foldAscii(name[same]))
            ++same;
        return shared.first(same);
    }

    static quint64 headAfter(qsizetype shared, const char* name) {
        quint64 head = 0;
        const char* after = name + shared;
        for (int i = 0; i < 8; ++i) {
            head = head << 8 | uchar(foldAscii(*after));
            if (*after)
                ++after;
        }
        return head;
    }

    const Wide& wide(const Key& key) const { return wide_[qsizetype(key.head & ~wideMark)]; }

    int compareAny(const Key& a, const Key& b) const {
        const bool wideA = a.head & wideMark;
        const bool wideB = b.head & wideMark;
        const int byFolded = !wideA   ? compareFolded(at(a.start), wide(b).folded)
                             : !wideB ? -compareFolded(at(b.start), wide(a).folded)
                                      : wide(a).folded.compare(wide(b).folded);
        if (byFolded != 0)
            return byFolded;
        const QAnyStringView textA = wideA ? QAnyStringView(wide(a).text) : QLatin1StringView(at(a.start));
        const QAnyStringView textB = wideB ? QAnyStringView(wide(b).text) : QLatin1StringView(at(b.start));
        if (const int byText = QAnyStringView::compare(textA, textB); byText != 0)
            return byText;
        return std::strcmp(at(a.start), at(b.start));
    }

    const QByteArray& bytes_;
    QList<Wide> wide_;
};

} // namespace

QString BagNames::text(qsizetype row) const {
    const QByteArrayView bytes = name(row);
    return QFile::decodeName(QByteArray::fromRawData(bytes.data(), bytes.size()));
}

void BagNames::reserve(qsizetype directoryBytes) {
    // A directory entry takes more than its name and a NUL; few names are shorter than 8 bytes.
    constexpr qsizetype shortestEntry = 16;
    bytes_.reserve(directoryBytes);
    starts_.reserve(directoryBytes / shortestEntry);
}

void BagNames::append(QByteArrayView fileName) {
    starts_.append(bytes_.size());
    bytes_.append(fileName).append('\0');
}

void BagNames::sortForReading() {
    ReadingOrder order(bytes_);
    QList<ReadingOrder::Key> keys = order.keys(starts_);
    std::sort(keys.begin(), keys.end(), [&order](const auto& a, const auto& b) { return order.less(a, b); });
    for (qsizetype row = 0; row < keys.size(); ++row)
        starts_[row] = keys[row].start;
}
