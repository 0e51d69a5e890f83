#include "platform/files/FilePlace.h"
#include "platform/safecopy/TemporaryFile.h"

#include <QSet>
#include <QtTest>

class FilePlaceTest : public QObject {
    Q_OBJECT

private slots:
    void split_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("directory");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("absolute") << QByteArray("/opt/bags/a.prp") << QByteArray("/opt/bags")
                                  << QByteArray("a.prp");
        QTest::newRow("in the root") << QByteArray("/a.prp") << QByteArray("/") << QByteArray("a.prp");
        QTest::newRow("bare name") << QByteArray("palace.prp") << QByteArray(".") << QByteArray("palace.prp");
        QTest::newRow("relative") << QByteArray("sub/a.prp") << QByteArray("sub") << QByteArray("a.prp");
        QTest::newRow("doubled separator")
            << QByteArray("/palace//palace.prp") << QByteArray("/palace/") << QByteArray("palace.prp");
        QTest::newRow("folder") << QByteArray("/opt/bags/") << QByteArray("/opt/bags") << QByteArray();
    }

    void split() {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, directory);
        QFETCH(QByteArray, name);
        const FilePlace parts = FilePlace::split(path);
        QCOMPARE(parts.directory, directory);
        QCOMPARE(parts.name, name);
    }

    // Temporary files must be hidden, never look like a bag, be recognised as ours, and not collide.
    void temporaryNames() {
        QSet<QByteArray> names;
        for (int i = 0; i < 2000; ++i) {
            const QByteArray name = TemporaryFile::makeName();
            QVERIFY(name.startsWith('.'));
            QVERIFY(!name.endsWith(".prp"));
            QVERIFY2(TemporaryFile::isOurs(name), name.constData());
            names.insert(name);
        }
        QVERIFY(names.size() > 1990);
    }
};

QTEST_GUILESS_MAIN(FilePlaceTest)
#include "tst_fileplace.moc"
