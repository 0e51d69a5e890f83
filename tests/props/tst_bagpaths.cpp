#include "client/ClientNames.h"
#include "props/BagPaths.h"

#include <QtTest>

class BagPathsTest : public QObject {
    Q_OBJECT

private slots:
    void palaceDirectoryPaths_data() {
        QTest::addColumn<QString>("palaceDirectory");
        QTest::addColumn<QString>("liveFile");
        QTest::addColumn<QString>("clientProgram");
        QTest::newRow("stored by the dialog") << "/home/me/palace/"
                                              << "/home/me/palace/palace.prp"
                                              << "/home/me/palace/palace32.exe";
        QTest::newRow("never stored") << ""
                                      << "palace.prp"
                                      << "palace32.exe";
        QTest::newRow("doubled separator kept") << "/palace//"
                                                << "/palace//palace.prp"
                                                << "/palace//palace32.exe";
        QTest::newRow("missing separator: that directory") << "/palace"
                                                           << "/palace/palace.prp"
                                                           << "/palace/palace32.exe";
        QTest::newRow("the root") << "/"
                                  << "/palace.prp"
                                  << "/palace32.exe";
        QTest::newRow("a backslash is part of the name") << "C:\\Palace\\"
                                                         << "C:\\Palace\\/palace.prp"
                                                         << "C:\\Palace\\/palace32.exe";
    }

    void palaceDirectoryPaths() {
        QFETCH(QString, palaceDirectory);
        QFETCH(QString, liveFile);
        QFETCH(QString, clientProgram);
        QCOMPARE(BagPaths::liveFile(palaceDirectory).directory, FilePlace::split(liveFile).directory);
        QCOMPARE(BagPaths::liveFile(palaceDirectory).name, FilePlace::split(liveFile).name);
        QCOMPARE(BagPaths::displayed(BagPaths::liveFile(palaceDirectory).path()), liveFile);
        QCOMPARE(ClientNames::programIn(palaceDirectory), clientProgram);
    }

    void isSingleFileName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("single");
        QTest::newRow("plain") << "myprops" << true;
        QTest::newRow("spaces") << "  my props  " << true;
        QTest::newRow("with extension") << "a.prp" << true;
        QTest::newRow("hidden") << ".hidden" << true;
        QTest::newRow("three dots") << "..." << true;
        QTest::newRow("non-ascii") << QStringLiteral("prøps 日本") << true;
        QTest::newRow("leading dash") << "-x" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("leading slash") << "/etc/passwd" << false;
        QTest::newRow("parent") << "../outside" << false;
        QTest::newRow("trailing slash") << "a/" << false;
        QTest::newRow("nul") << QString("a") + QChar(0) + "b" << false;
        QTest::newRow("backslash is an ordinary character") << "a\\b" << true;
    }

    void isSingleFileName() {
        QFETCH(QString, name);
        QFETCH(bool, single);
        QCOMPARE(BagPaths::isSingleFileName(name), single);
    }
};

QTEST_GUILESS_MAIN(BagPathsTest)
#include "tst_bagpaths.moc"
