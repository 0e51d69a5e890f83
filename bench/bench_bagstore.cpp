#include "platform/files/PosixFileSystem.h"
#include "props/BagStore.h"
#include "settings/IniFileSettingsStore.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {
constexpr int listedFiles = 10000;
constexpr int otherFiles = 1000;
constexpr qsizetype copiedBytes = qsizetype(64) << 20;
} // namespace

class BagStoreBench : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    PosixFileSystem fs;
    Trash trash{fs, {QFile::encodeName(dir.filePath("Trash")), getuid()}}; // never the user's own trash
    FileSteps steps{fs, &trash};
    BagStore store{fs, steps, QFile::encodeName(dir.filePath("bags"))};

private slots:
    void initTestCase() {
        QDir(dir.path()).mkdir("bags");
        for (int i = 0; i < listedFiles; ++i)
            writeFile(dir.filePath(QStringLiteral("bags/bag %1.prp").arg(i)), "p");
        for (int i = 0; i < otherFiles; ++i)
            writeFile(dir.filePath(QStringLiteral("bags/other %1.txt").arg(i)), "o");
        writeFile(dir.filePath("source.prp"), QByteArray(copiedBytes, 'x'));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("config"));
    }

    void listTenThousandBags() {
        BagNames bags;
        QBENCHMARK {
            bags = store.list().value;
        }
        QCOMPARE(bags.size(), listedFiles);
    }

    void copySixtyFourMebibytes() {
        QBENCHMARK {
            QVERIFY(steps
                        .copy(FilePlace::split(dir.filePath("source.prp")),
                              FilePlace::split(dir.filePath("copy.prp")))
                        .ok());
        }
    }

    void readSetting() {
        IniFileSettingsStore settings(fs);
        QVERIFY(settings.saveSetting("Stowbox", "Spath", "Pathkey", "/home/me/.wine/drive_c/Palace/").ok());
        QString value;
        QBENCHMARK {
            value = settings.readSetting("Stowbox", "Spath", "Pathkey").value;
        }
        QCOMPARE(value, QStringLiteral("/home/me/.wine/drive_c/Palace/"));
    }
};

QTEST_GUILESS_MAIN(BagStoreBench)
#include "bench_bagstore.moc"
