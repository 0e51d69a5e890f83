#include "settings/IniText.h"

#include "platform/files/PosixFileSystem.h"
#include "settings/IniFileSettingsStore.h"
#include "support/FileBytes.h"

#include <QDataStream>
#include <QDate>
#include <QDir>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString pathKey = QStringLiteral("Spath/Pathkey");

// What QSettings reads from a file: whether Spath/Pathkey is there, its value, and every key's value.
struct QtReading {
    bool present = false;
    QVariant value;
    QVariantMap all;
};

// A value in Qt's notation for a variant, as another program may have written it: the bytes QDataStream
// writes, less the last few where a stream is to be cut short, each byte escaped.
QByteArray variantText(const QByteArray& notation, QDataStream::Version version, const QVariant& value,
                       int cut = 0) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(version);
    stream << value;
    bytes.chop(cut);
    QByteArray text = notation;
    for (const char byte : bytes)
        text += "\\x" + QByteArray::number(uchar(byte), 16);
    return text + ')';
}

// The real file calls, without the wait for the disk: how durable a save is is checked elsewhere.
class UnsyncedFileSystem : public PosixFileSystem {
public:
    int fsync(int fd) override {
        Q_UNUSED(fd);
        return 0;
    }
};

// Whether the reader finds Spath/Pathkey in the text: setting it rewrites the line it is read from, where
// there is one, and adds lines where there is none.
bool hasKey(const QByteArray& text) {
    const auto lineEnds = [](const QByteArray& bytes) { return bytes.count('\n') + bytes.count('\r'); };
    return lineEnds(IniText::withValue(text, "Spath", "Pathkey", "x")) <= lineEnds(text);
}
} // namespace

class IniTextTest : public QObject {
    Q_OBJECT

private slots:
    void isSound_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("sound");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("as qt writes it") << QByteArray("[Spath]\nPathkey=C:\\\\Palace\\\\\n") << true;
        QTest::newRow("several sections") << QByteArray("[Other]\na=1\n\n[Spath]\nPathkey=/x/\n") << true;
        QTest::newRow("windows line ends") << QByteArray("[Spath]\r\nPathkey=/x/\r\n") << true;
        QTest::newRow("comment") << QByteArray("; written by hand\n[Spath]\nPathkey=/x/\n") << true;
        QTest::newRow("quoted value") << QByteArray("[Spath]\nPathkey=\" /x/ \"\n") << true;
        QTest::newRow("escaped quote") << QByteArray("[Spath]\nPathkey=a\\\"b\n") << true;
        QTest::newRow("utf-8") << QByteArray("[Spath]\nPathkey=/j\xc3\xbcrgen/\n") << true;
        QTest::newRow("no final line end") << QByteArray("[Spath]\nPathkey=/x/") << true;
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf[Spath]\nPathkey=/x/\n") << true;
        QTest::newRow("unclosed section") << QByteArray("[Spath\nPathkey=/x/\n") << false;
        QTest::newRow("line without equals") << QByteArray("[Spath]\njunk\n") << false;
        QTest::newRow("hash comment") << QByteArray("# not a comment to Qt\n") << false;
        QTest::newRow("unbalanced quote") << QByteArray("[Spath]\nPathkey=\"/x/\nnext=1\n") << false;
        QTest::newRow("continued line") << QByteArray("[Spath]\nPathkey=/x/\\\nnext=1\n") << false;
        QTest::newRow("equals only inside quotes") << QByteArray("\"a=b\"\n") << false;
        QTest::newRow("invalid utf-8") << QByteArray("[Spath]\nPathkey=\xff\n") << false;
        QTest::newRow("truncated utf-8") << QByteArray("[Spath]\nPathkey=\xc3") << false;
        QTest::newRow("nul") << QByteArray("[Spath]\nPathkey=a\0b\n", 19) << false;
        QTest::newRow("escape character") << QByteArray("[Spath]\nPathkey=\x1b[0m\n") << false;
        QTest::newRow("open quote in a heading") << QByteArray("[Spath] \"\nPathkey=/x/\n") << false;
    }

    void isSound() {
        QFETCH(QByteArray, text);
        QFETCH(bool, sound);
        QCOMPARE(IniText::isSound(text), sound);
    }

    // Every call parses its own text: nothing read before may answer for what is read now.
    void valuesComeFromTheTextGivenEachTime() {
        for (int round = 0; round < 50; ++round) {
            const QByteArray value = "/p/" + QByteArray::number(round % 10) + "/";
            QCOMPARE(IniText::value("[Spath]\nPathkey=" + value + "\n", "Spath", "Pathkey").value,
                     QString(value));
        }
        QCOMPARE(IniText::value("", "Spath", "Pathkey").value, QString());
    }

    // Files put together at random, one family of pieces a row, from what Qt's reader treats specially:
    // the reader agrees with QSettings on whether Spath/Pathkey is there and on its value, a file made
    // of well-formed lines is sound, and two values set one after the other in a sound file, in memory
    // and through the store, are each what QSettings then reads, every other key as it was.
    // QSettings reads a file lazily, section by section, so where Spath/Pathkey can be spelled from
    // another section (Spath\Pathkey under [General]), or a section such as [Spath\A] sorts between
    // [Spath] and the key, what it reads depends on what was asked before: no file here holds either, nor
    // a key with a leading, trailing or doubled slash, which QSettings lists but reads as another.
    // Qt's notation for a variant comes whole: from stray bytes QSettings makes up types, with a warning.
    void valuesAsQtReadsThem_data() {
        QTest::addColumn<QByteArrayList>("headings");
        QTest::addColumn<QByteArrayList>("keys");
        QTest::addColumn<QByteArrayList>("pieces"); // of values, each complete in itself
        QTest::addColumn<QByteArrayList>("noise");  // what breaks a line, in the files of odd lines only
        QTest::addColumn<QStringList>("stored");    // pieces of the values set
        QTest::addColumn<quint32>("seed");
        const QByteArrayList headings = {"[Spath]", " [Spath] ;c", "[Other]", "[General]"};
        const QByteArrayList keys = {"Pathkey",      " Pathkey\t", "Path%6bey",
                                     "%U0050athkey", "pathkey",    "other"};
        const QStringList stored = {"/x/", " ", ";,=", "\"\\", "@", "\n\r\t"};
        QTest::newRow("sections and comments")
            << headings + QByteArrayList{"[general]", "[%general]",       "[ Spath ]", "[Spath]x]",
                                         "[%53path]", "[Spath\\Pathkey]", "[Sp]"}
            << keys + QByteArrayList{"Pathkey\\z", "ath\\Pathkey", "Path key"}
            << QByteArrayList{"a", "/x/", " ", "\t", ";c", "=", " ; [Spath]"}
            << QByteArrayList{"[Spath", "[Other", "junk", "#c", "\"a=b\""} << stored << 20240607u;
        QTest::newRow("quotes, escapes and commas")
            << headings << keys
            << QByteArrayList{"\"a b\"",
                              "\\\"",
                              "\\\\",
                              "\\n",
                              "\\t",
                              "\\x41",
                              "\\101",
                              "\\0",
                              "\\x",
                              ",",
                              "\" , \"",
                              "\"\"",
                              "\\;",
                              "\";=\"",
                              "\\q",
                              "\\x4g",
                              "\\a\\b\\f\\v\\?\\'"}
            << QByteArrayList{"\"", "\\", "\\\n", "\\\r\n", "\"\n", "a\"b"}
            << stored + QStringList{"\"", ",", " \\x41 "} << 1u;
        QTest::newRow("typed values")
            << headings << keys
            << QByteArrayList{variantText("@Variant(", QDataStream::Qt_4_0, QStringLiteral("/v/")),
                              variantText("@DateTime(", QDataStream::Qt_5_6, QStringLiteral("/d/")),
                              variantText("@Variant(", QDataStream::Qt_4_0, QString()),
                              variantText("@Variant(", QDataStream::Qt_4_0, QByteArray("/b/")),
                              variantText("@Variant(", QDataStream::Qt_4_0, 5),
                              variantText("@Variant(", QDataStream::Qt_4_0, QDate(2020, 1, 2)),
                              variantText("@DateTime(", QDataStream::Qt_5_6,
                                          QDateTime(QDate(2020, 1, 2), {})),
                              variantText("@Variant(", QDataStream::Qt_4_0, QStringList{"/l/"}),
                              variantText("@Variant(", QDataStream::Qt_4_0, QStringLiteral("/cut/"), 3),
                              "@Rect(1 2 3 4)",
                              "@Size(1 2)",
                              "@Point(1 2)",
                              "@Invalid()",
                              "@ByteArray(/b/)",
                              "@String(/s/)",
                              "@@x",
                              "@",
                              ")",
                              "x"}
            << QByteArrayList{"\"", "@Variant(\\0\\0\\0\\n\\xff", "@DateTime(\\0\\0\\0\\n"}
            << stored + QStringList{"@Variant(", "@DateTime(x)", "@Rect(1 2 3 4)", ")"} << 2u;
        QTest::newRow("control bytes, latin-1 and long lines")
            << headings << keys << QByteArrayList{"\t",
                                                  "\\x7f",
                                                  "\\x1b",
                                                  "\xc3\xa9",
                                                  "\xef\xbb\xbf",
                                                  "\\xfeff",
                                                  "\xf0\x9f\x8e\xaa",
                                                  QByteArray(3000, 'p')}
            << QByteArrayList{"\x7f", "\x1b", "\x01", QByteArray(1, '\0'), "\xe9", "\xff", "\xc3", "\xef\xbb"}
            << stored + QStringList{QChar(0x7f), QChar(0xfeff), QChar(0x1f), QChar(0),
                                    "1",         "é",           "🎪",         QString(2000, QLatin1Char('q'))}
            << 3u;
    }

    void valuesAsQtReadsThem() {
        QFETCH(QByteArrayList, headings);
        QFETCH(QByteArrayList, keys);
        QFETCH(QByteArrayList, pieces);
        QFETCH(QByteArrayList, noise);
        QFETCH(QStringList, stored);
        QFETCH(quint32, seed);
        QTemporaryDir folder;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath(QStringLiteral("config"))));
        QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("config"))));
        const QString storeFile = IniFileSettingsStore::fileOf(PalacePathSetting::application);
        UnsyncedFileSystem fs;
        IniFileSettingsStore store(fs);
        int files = 0;
        // What QSettings reads, from a file of its own: it keeps what it read of each file. The file goes
        // at once, as a folder of thousands of files is slow to add to.
        const auto qtReads = [&](const QByteArray& text) {
            const QString path = folder.filePath(QString::number(++files));
            writeFile(path, text);
            QtReading reading;
            {
                QSettings settings(path, QSettings::IniFormat);
                reading = {settings.contains(pathKey), settings.value(pathKey), {}};
                for (const QString& key : settings.allKeys())
                    reading.all.insert(key, settings.value(key));
            }
            QFile::remove(path);
            return reading;
        };
        QRandomGenerator random(seed);
        const auto any = [&](const auto& list) { return list[random.bounded(int(list.size()))]; };
        const auto storedValue = [&] {
            QString value;
            for (int n = random.bounded(5); n > 0; --n)
                value += any(stored);
            return value;
        };
        const QByteArrayList lineEnds = {"\n", "\r\n", "\r"};
        const QByteArrayList comments = {"; c", ";", " ;x=y", ""};
        for (int round = 0; round < 1000; ++round) {
            // Half the files hold only well-formed lines; the others have odd bytes mixed in.
            const bool wellFormed = round % 2 == 0;
            QByteArray text = random.bounded(8) == 0 ? "\xef\xbb\xbf" : "";
            for (int line = random.bounded(1, 7); line > 0; --line) {
                const int kind = random.bounded(wellFormed ? 8 : 10);
                if (kind < 2)
                    text += any(headings);
                else if (kind == 2)
                    text += any(comments);
                else if (kind >= 8)
                    text += any(noise);
                else
                    text += any(keys) + '=';
                for (int n = kind > 2 && kind < 8 ? random.bounded(5) : 0; n > 0; --n)
                    text += !wellFormed && random.bounded(4) == 0 ? any(noise) : any(pieces);
                if (line > 1 || random.bounded(4) != 0)
                    text += any(lineEnds);
            }
            const QByteArray shown = text.toPercentEncoding();
            const QtReading before = qtReads(text);
            const StepValue<QString> ours = IniText::value(text, "Spath", "Pathkey");
            const int qtType = before.value.typeId();
            const bool qtText = qtType == QMetaType::QString || qtType == QMetaType::QByteArray;
            // A value that is no text, or not all there, may be refused; any other reads as Qt reads it.
            if (ours.result)
                QVERIFY2(ours.value == before.value.toString() &&
                             (qtText || qtType == QMetaType::QStringList || !before.value.isValid()),
                         shown);
            else
                QVERIFY2(before.present && (!qtText || before.value.toString().isEmpty()), shown);
            QVERIFY2(hasKey(text) == before.present, shown);
            const bool sound = IniText::isSound(text);
            QVERIFY2(sound || !wellFormed, shown);
            if (!sound)
                continue;
            QVariantMap expected = before.all;
            QByteArray changed = text;
            const bool throughStore = round % 7 == 0;
            if (throughStore)
                writeFile(storeFile, text);
            for (int write = 0; write < 2; ++write) {
                const QString value = storedValue();
                expected.insert(pathKey, value);
                changed = IniText::withValue(changed, "Spath", "Pathkey", value);
                const QByteArray shownChange = shown + " as " + changed.toPercentEncoding();
                const QtReading after = qtReads(changed);
                QVERIFY2(after.all == expected && after.value == value, shownChange);
                QVERIFY2(IniText::isSound(changed), shownChange);
                if (!throughStore)
                    continue;
                QVERIFY2(store.saveSetting(PalacePathSetting::application, "Spath", "Pathkey", value),
                         shownChange);
                QVERIFY2(readFile(storeFile) == changed, shownChange);
                QVERIFY2(store.readSetting(PalacePathSetting::application, "Spath", "Pathkey").value == value,
                         shownChange);
                QVERIFY2(QDir(folder.filePath(QStringLiteral("config")))
                                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ==
                             QStringList(QStringLiteral("Stowbox.conf")),
                         shownChange);
            }
        }
    }
};

QTEST_GUILESS_MAIN(IniTextTest)
#include "tst_initext.moc"
