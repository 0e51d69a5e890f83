#include "client/ClientNames.h"

#include <QtTest>

class ClientNamesTest : public QObject {
    Q_OBJECT

private slots:
    void windowClass_data() {
        QTest::addColumn<QByteArray>("instance");
        QTest::addColumn<QByteArray>("windowClass");
        QTest::addColumn<bool>("isClient");
        QTest::newRow("native class") << QByteArray("palace") << QByteArray("Palace") << true;
        QTest::newRow("native class only in the instance")
            << QByteArray("Palace") << QByteArray("Other") << true;
        QTest::newRow("Wine") << QByteArray("palace32.exe") << QByteArray("palace32.exe") << true;
        QTest::newRow("Wine, upper case") << QByteArray("PALACE32.EXE") << QByteArray("PALACE32.EXE") << true;
        QTest::newRow("mixed case class only") << QByteArray("x") << QByteArray("pAlAcE") << true;
        QTest::newRow("another program") << QByteArray("xterm") << QByteArray("XTerm") << false;
        QTest::newRow("longer name") << QByteArray("palace32.exe.so") << QByteArray("PalaceChat") << false;
        QTest::newRow("shorter name") << QByteArray("palace32") << QByteArray("Palac") << false;
        QTest::newRow("trailing space") << QByteArray("Palace ") << QByteArray(" palace32.exe") << false;
        QTest::newRow("empty") << QByteArray() << QByteArray() << false;
        QTest::newRow("Latin-1 look-alike") << QByteArray("PAL\xc1"
                                                          "CE")
                                            << QByteArray("pal\xe1"
                                                          "ce")
                                            << false;
    }
    void windowClass() {
        QFETCH(QByteArray, instance);
        QFETCH(QByteArray, windowClass);
        QFETCH(bool, isClient);
        QCOMPARE(!ClientNames::clientWindowClass(instance, windowClass).isEmpty(), isClient);
    }

    void process_data() {
        QTest::addColumn<QByteArray>("comm");
        QTest::addColumn<QByteArray>("commandWord");
        QTest::addColumn<bool>("isClient");
        QTest::newRow("comm") << QByteArray("palace32.exe") << QByteArray("/usr/bin/wine") << true;
        QTest::newRow("comm, upper case") << QByteArray("Palace32.EXE") << QByteArray() << true;
        QTest::newRow("Windows path")
            << QByteArray("wine-preloader") << QByteArray("C:\\Program Files\\Palace\\palace32.exe") << true;
        QTest::newRow("Unix path") << QByteArray("x") << QByteArray("/home/u/.wine/drive_c/palace32.exe")
                                   << true;
        QTest::newRow("bare word") << QByteArray("x") << QByteArray("PALACE32.exe") << true;
        QTest::newRow("mixed separators") << QByteArray("x") << QByteArray("Z:/a\\b/palace32.exe") << true;
        QTest::newRow("wine itself") << QByteArray("wine") << QByteArray("/usr/bin/wine") << false;
        QTest::newRow("directory of that name")
            << QByteArray("x") << QByteArray("/opt/palace32.exe/run") << false;
        QTest::newRow("ends in a separator") << QByteArray("x") << QByteArray("C:\\palace32.exe\\") << false;
        QTest::newRow("window class is no process name")
            << QByteArray("Palace") << QByteArray("Palace") << false;
        QTest::newRow("similar") << QByteArray("palace32.ex") << QByteArray("palace32.exe.bak") << false;
        QTest::newRow("nothing") << QByteArray() << QByteArray() << false;
    }
    void process() {
        QFETCH(QByteArray, comm);
        QFETCH(QByteArray, commandWord);
        QFETCH(bool, isClient);
        QCOMPARE(!ClientNames::clientProgramName(comm, commandWord).isEmpty(), isClient);
    }
};

QTEST_GUILESS_MAIN(ClientNamesTest)
#include "tst_clientnames.moc"
