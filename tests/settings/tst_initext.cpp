#include "settings/IniText.h"

#include "support/FileBytes.h"

#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

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
            QCOMPARE(IniText::value("[Spath]\nPathkey=" + value + "\n", "Spath", "Pathkey"), QString(value));
        }
        QCOMPARE(IniText::value("", "Spath", "Pathkey"), QString());
    }

    // Texts put together at random from what Qt's reader treats specially: the value reads as QSettings
    // reads it, and a new value (as odd) set in a sound text is what QSettings then reads, all else
    // unchanged.
    void valuesAsQtReadsThem() {
        const QList<QByteArray> headings = {"[Spath]", " [Spath] ;c", "[Other]", "[General]", "[Other"};
        const QList<QByteArray> keys = {"Pathkey",      " Pathkey\t", "Path%6bey",
                                        "%U0050athkey", "pathkey",    "other"};
        const QList<QByteArray> pieces = {
            " ",        "\t",   "\"",          "\\",  "\\\"", ";",   ",",        "=",
            "@",        "@@",   "@ByteArray(", ")",   "a",    "/x/", "\xc3\xa9", "@Rect(1 2 3 4)",
            "@String(", "\\x4", "\\101",       "\\n", "\\\n", "\n"};
        const QList<QByteArray> lineEnds = {"\n", "\r\n", "\r"};
        QTemporaryDir folder;
        int files = 0;
        const QString lazily = QStringLiteral("<read alone>"); // no key: keys here have no '<'
        // The value and then every key as QSettings reads them, from a file of its own: it keeps what it
        // read.
        const auto qtReads = [&](const QByteArray& text) {
            const QString path = folder.filePath(QString::number(++files));
            writeFile(path, text);
            QSettings settings(path, QSettings::IniFormat);
            QVariantMap all{{lazily, settings.value("Spath/Pathkey")}};
            for (const QString& key : settings.allKeys())
                all.insert(key, settings.value(key));
            return all;
        };
        QRandomGenerator random(20240607);
        const auto any = [&](const QList<QByteArray>& list) {
            return list[random.bounded(int(list.size()))];
        };
        for (int round = 0; round < 3000; ++round) {
            QByteArray text = random.bounded(8) == 0 ? "\xef\xbb\xbf" : "";
            for (int line = random.bounded(1, 6); line > 0; --line) {
                text += random.bounded(3) == 0 ? any(headings) : any(keys) + '=';
                for (int n = random.bounded(5); n > 0; --n)
                    text += any(pieces);
                text += any(lineEnds);
            }
            QVariantMap read = qtReads(text);
            const QByteArray shown = text.toPercentEncoding();
            QVERIFY2(IniText::value(text, "Spath", "Pathkey") == read.value(lazily).toString(), shown);
            if (!IniText::isSound(text))
                continue;
            const QString value = QString::fromUtf8(any(pieces) + any(pieces) + any(pieces));
            read.insert(lazily, value);
            read.insert(QStringLiteral("Spath/Pathkey"), value);
            QVERIFY2(qtReads(IniText::withValue(text, "Spath", "Pathkey", value)) == read, shown);
        }
    }
};

QTEST_GUILESS_MAIN(IniTextTest)
#include "tst_initext.moc"
