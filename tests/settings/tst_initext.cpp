#include "settings/IniText.h"

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

    void withValueReplacesOnlyItsKey() {
        const std::optional<QByteArray> text = IniText::withValue(
            "[Other]\na=1\n\n[Spath]\nPathkey=/old/\nother=2\n", "Spath", "Pathkey", "/new/");
        QVERIFY(text);
        QVERIFY(IniText::isSound(*text));
        QCOMPARE(IniText::value(*text, "Spath", "Pathkey"), QStringLiteral("/new/"));
        QCOMPARE(IniText::value(*text, "Spath", "other"), QStringLiteral("2"));
        QCOMPARE(IniText::value(*text, "Other", "a"), QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(IniTextTest)
#include "tst_initext.moc"
