#include "app/pathdialog/DirList.h"
#include "app/pathdialog/DriveList.h"
#include "app/pathdialog/Form2.h"
#include "support/DialogDriver.h"
#include "support/Form2Harness.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QWindow>
#include <QtTest>

using DialogDriver::navigate;

namespace {

using Rig = Form2Harness;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

const QString emptyPathError = messageRequest("ERROR", 16, "You cannot set an empty path");
const QString diskError = messageRequest(
    "Disk Error", 16,
    "The specified drive cannot be found.\rPlease ensure the drive is connected and operating properly.");
QString storeError(const QString& location, const QString& reason) {
    return messageRequest("Settings Error", 16,
                          "The Palace directory could not be stored.\rThe settings file " + location +
                              " cannot be written: " + reason + ".\rNothing was changed.");
}

} // namespace

class Form2Test : public QObject {
    Q_OBJECT

private slots:
    // Each row is a user's way through the dialog. Steps: show, open:<dir under the temporary root>,
    // openRoot, ok, cancel, frame (closed through the window frame). `stored` uses $T for that root.
    void userPaths_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("text1");

        const QString sep = QDir::separator();
        QTest::newRow("first Ok with nothing chosen")
            << QStringList{"show", "ok"} << "<none>" << QStringList{emptyPathError} << true << "";
        QTest::newRow("open a directory, Ok") << QStringList{"show", "open:home/.wine/drive_c/Palace", "ok"}
                                              << native("$T/home/.wine/drive_c/Palace") + sep << QStringList{}
                                              << false << native("$T/home/.wine/drive_c/Palace");
        QTest::newRow("the root doubles its separator")
            << QStringList{"show", "openRoot", "ok"} << sep + sep << QStringList{} << false << sep;
        QTest::newRow("a second Ok adds one more")
            << QStringList{"show", "open:home/alpha", "ok", "show", "ok"}
            << native("$T/home/alpha") + sep + sep << QStringList{} << false << "";
        QTest::newRow("Cancel, then Ok reuses the earlier directory")
            << QStringList{"show", "open:home/.hidden", "cancel", "show", "ok"}
            << native("$T/home/.hidden") + sep << QStringList{} << false << "";
        QTest::newRow("frame close, then Ok reuses the earlier directory")
            << QStringList{"show", "open:home/Beta", "frame", "show", "ok"} << native("$T/home/Beta") + sep
            << QStringList{} << false << "";
        QTest::newRow("Cancel stores nothing") << QStringList{"show", "open:home/Beta", "cancel"} << "<none>"
                                               << QStringList{} << false << native("$T/home/Beta");
        QTest::newRow("frame close stores nothing")
            << QStringList{"show", "openRoot", "frame"} << "<none>" << QStringList{} << false << sep;
        QTest::newRow("Ok after a refused Ok")
            << QStringList{"show", "ok", "open:home/alpha", "ok"} << native("$T/home/alpha") + sep
            << QStringList{emptyPathError} << false << native("$T/home/alpha");
    }

    void userPaths() {
        QFETCH(QStringList, steps);
        QFETCH(QString, stored);
        QFETCH(QStringList, prompts);
        QFETCH(bool, open);
        QFETCH(QString, text1);
        Rig rig;
        for (const QString& step : steps) {
            if (step == "show")
                rig.form->showDialog();
            else if (step.startsWith("open:"))
                QVERIFY2(navigate(*rig.probe().Dir1, rig.at(step.mid(5))), qPrintable(step));
            else if (step == "openRoot")
                QVERIFY(navigate(*rig.probe().Dir1, QDir::rootPath()));
            else if (step == "ok")
                QTest::mouseClick(rig.probe().Command1, Qt::LeftButton);
            else if (step == "cancel")
                QTest::mouseClick(rig.probe().Command2, Qt::LeftButton);
            else if (step == "frame")
                rig.form->windowHandle()->close();
            else
                QFAIL(qPrintable("unknown step " + step));
        }
        QCOMPARE(rig.stored(), QString(stored).replace(native("$T"), native(rig.root.path())));
        QCOMPARE(describe(rig.prompter.requests), prompts);
        QCOMPARE(rig.form->isVisible(), open);
        QCOMPARE(rig.probe().Text1->text(), QString(text1).replace(native("$T"), native(rig.root.path())));
        if (stored != "<none>")
            QCOMPARE(rig.probe().Selpath, rig.stored());
    }

    void emptyOkMessage() {
        Rig rig;
        rig.prompter.answerMessage(Pressed::Ok);
        rig.form->showDialog();
        rig.probe().Command1->click();
        QCOMPARE(describe(rig.prompter.requests), QStringList{emptyPathError});
        QCOMPARE(rig.settings.saves, 0);
    }

    void eachOpeningStartsAfresh() {
        Rig rig;
        rig.form->showDialog();
        const QString start = rig.probe().Dir1->path();
        const int startDrive = rig.probe().Drive1->currentIndex();
        QCOMPARE(start, native(rig.at("home")));
        QCOMPARE(rig.probe().Drive1->currentText(), QStringLiteral("/"));
        QCOMPARE(rig.probe().Text1->text(), QString());
        QCOMPARE(rig.probe().Selpath, QString()); // placing the lists reports nothing
        QCOMPARE(rig.form->focusWidget(), rig.probe().Dir1);

        rig.probe().Drive1->setCurrentIndex(rig.driveIndex("c:"));
        QVERIFY(navigate(*rig.probe().Dir1, rig.at("home/.wine/drive_c/Palace")));
        rig.probe().Command2->click();
        rig.drives.list.append({"g:", rig.at("home/alpha")}); // a drive that appeared meanwhile
        rig.form->showDialog();

        QCOMPARE(rig.probe().Text1->text(), QString());
        QCOMPARE(rig.probe().Dir1->path(), start);
        QCOMPARE(rig.probe().Drive1->currentIndex(), startDrive);
        QCOMPARE(rig.probe().Drive1->count(), 5);
        QCOMPARE(rig.probe().Selpath, native(rig.at("home/.wine/drive_c/Palace")));
    }

    // The lists start at the stored directory while it exists, else at the Wine prefix's drive_c, and the
    // drive list shows the drive that holds it; placing them reports nothing.
    void startPlace_data() {
        QTest::addColumn<QStringList>("storedStartDrive"); // directories under the temporary root
        QTest::newRow("stored") << QStringList{"home/.wine/drive_c/Palace/", "home/.wine/drive_c/Palace",
                                               "c:"};
        QTest::newRow("stored, gone") << QStringList{"gone/", "wine/drive_c", "w:"};
    }
    void startPlace() {
        QFETCH(QStringList, storedStartDrive);
        Rig rig;
        QVERIFY(QDir().mkpath(rig.at("wine/drive_c")));
        rig.drives.list.append({"w:", rig.at("wine/drive_c")});
        rig.settings.values.insert("Stowbox/Spath/Pathkey", rig.at(storedStartDrive[0]));
        rig.form->showDialog();
        QCOMPARE(rig.probe().Dir1->path(), native(rig.at(storedStartDrive[1])));
        QCOMPARE(rig.probe().Drive1->currentText(), storedStartDrive[2]);
        QCOMPARE(rig.probe().Text1->text() + rig.probe().Selpath, QString());
    }

    void startsAtTheInnermostDrive() {
        Rig rig;
        rig.drives.list.append({"h:", rig.at("home")});
        rig.form->showDialog();
        QCOMPARE(rig.probe().Drive1->currentText(), QStringLiteral("h:"));
    }

    void startsAtAParentWhenHomeCannotBeListed() {
        Rig rig;
        rig.directories.refused.append(rig.at("home"));
        rig.form->showDialog();
        QCOMPARE(rig.probe().Dir1->path(), native(rig.root.path()));
    }

    // Picking a drive moves the directory list to the drive's directory; a drive whose directory cannot be
    // listed shows "Disk Error" and changes nothing else.
    void pickDrive_data() {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("Wine drive") << "c:" << true;
        QTest::newRow("directory gone") << "e:" << false;
        QTest::newRow("directory not listable") << "f:" << false;
    }

    void pickDrive() {
        QFETCH(QString, drive);
        QFETCH(bool, reachable);
        Rig rig;
        rig.form->showDialog();
        const QString before = rig.at("home/alpha");
        QVERIFY(navigate(*rig.probe().Dir1, before));
        const QStringList entriesBefore = rig.probe().entryPaths();
        if (!reachable)
            rig.prompter.answerMessage(Pressed::Ok);

        rig.probe().Drive1->setCurrentIndex(rig.driveIndex(drive));

        QCOMPARE(rig.probe().Drive1->currentText(), drive);
        const QString expected = native(reachable ? rig.driveDirectory(drive) : before);
        QCOMPARE(rig.probe().Dir1->path(), expected);
        QCOMPARE(rig.probe().Text1->text(), expected);
        QCOMPARE(rig.probe().Selpath, expected);
        QCOMPARE(describe(rig.prompter.requests), reachable ? QStringList{} : QStringList{diskError});
        if (!reachable)
            QCOMPARE(rig.probe().entryPaths(), entriesBefore);
        rig.probe().Command1->click();
        QCOMPARE(rig.stored(), expected + QDir::separator());
    }

    void pickDriveWithTheKeyboard() {
        Rig rig;
        rig.form->showDialog();
        rig.probe().Drive1->setFocus();
        QTest::keyClick(rig.probe().Drive1, Qt::Key_Down); // from "/" to "c:"
        QCOMPARE(rig.probe().Drive1->currentText(), QStringLiteral("c:"));
        QCOMPARE(rig.probe().Text1->text(), native(rig.at("home/.wine/drive_c")));
    }

    // The list shows the chain of parents, then every subdirectory, hidden ones and links included,
    // sorted without regard to case; files and broken links are not directories.
    void listsChainAndSubdirectories() {
        Rig rig;
        QVERIFY(QFile::link(rig.at("home/alpha"), rig.at("home/link")));
        QVERIFY(QFile::link(rig.at("nowhere"), rig.at("home/broken")));
        QFile file(rig.at("home/notes.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        rig.form->showDialog();

        QStringList expected;
        for (QString step = rig.at("home");; step = QFileInfo(step).path()) {
            expected.prepend(native(step));
            if (QDir(step).isRoot())
                break;
        }
        for (const char* name : {".hidden", ".wine", "alpha", "Beta", "link"})
            expected.append(native(rig.at("home/") + name));
        QCOMPARE(rig.probe().entryPaths(), expected);
        QCOMPARE(rig.probe().entryPaths().first(), QDir::separator());
    }

    void openingAnEntry_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("opens");
        QTest::newRow("double click") << "double"
                                      << "home/.wine" << true;
        QTest::newRow("Enter") << "enter"
                               << "home/.wine" << true;
        QTest::newRow("single click only highlights") << "click"
                                                      << "home/.wine" << false;
        QTest::newRow("a parent") << "double"
                                  << "" << true;
        QTest::newRow("the directory itself: no change") << "double"
                                                         << "home" << false;
    }

    void openingAnEntry() {
        QFETCH(QString, how);
        QFETCH(QString, entry);
        QFETCH(bool, opens);
        Rig rig;
        rig.form->showDialog();
        const QString target = QDir::cleanPath(rig.at(entry));
        if (how == "click")
            QVERIFY(DialogDriver::clickEntry(*rig.probe().Dir1, target));
        else
            QVERIFY(DialogDriver::openEntry(*rig.probe().Dir1, target,
                                            how == "enter" ? DialogDriver::OpenBy::Enter
                                                           : DialogDriver::OpenBy::DoubleClick));
        // Highlighted by the click, or standing as the directory now open.
        QCOMPARE(rig.probe().Dir1->currentItem()->text(0), QFileInfo(target).fileName());
        const QString shown = native(opens ? target : rig.at("home"));
        QCOMPARE(rig.probe().Dir1->path(), shown);
        QCOMPARE(rig.probe().Selpath, opens ? shown : QString());
        QCOMPARE(rig.probe().Text1->text(), opens ? shown : QString());
        QCOMPARE(rig.form->isVisible(), true);
    }

    void pickingTheDriveOfTheCurrentDirectoryReportsNoChange() {
        Rig rig;
        rig.drives.list.append({"h:", rig.at("home")});
        rig.prompter.answerMessage(Pressed::Ok);
        rig.form->showDialog();
        QCOMPARE(rig.probe().Drive1->currentText(), QStringLiteral("h:"));
        rig.probe().Drive1->setCurrentIndex(rig.driveIndex("e:")); // not ready: the list stays at home

        rig.probe().Drive1->setCurrentIndex(rig.driveIndex("h:"));

        QCOMPARE(describe(rig.prompter.requests), QStringList{diskError});
        QCOMPARE(rig.probe().Dir1->path(), native(rig.at("home")));
        QCOMPARE(rig.probe().Text1->text(), QString());
        QCOMPARE(rig.probe().Selpath, QString());
    }

    // An entry that cannot be opened leaves the list where it was, re-read, and reports nothing.
    void openingAnUnusableEntry_data() {
        QTest::addColumn<bool>("removed");
        QTest::newRow("removed after listing") << true;
        QTest::newRow("not listable") << false;
    }

    void openingAnUnusableEntry() {
        QFETCH(bool, removed);
        Rig rig;
        rig.form->showDialog();
        QVERIFY(navigate(*rig.probe().Dir1, rig.at("home/alpha")));
        QVERIFY(navigate(*rig.probe().Dir1, rig.at("home")));
        const QString target = rig.at("home/Beta");
        if (removed)
            QVERIFY(QDir(target).removeRecursively());
        else
            rig.directories.refused.append(target);

        QVERIFY(DialogDriver::openEntry(*rig.probe().Dir1, target));

        QCOMPARE(rig.probe().Dir1->path(), native(rig.at("home")));
        QCOMPARE(rig.probe().Selpath, native(rig.at("home")));
        QCOMPARE(rig.probe().entryPaths().contains(native(target)), !removed);
        QVERIFY(rig.prompter.requests.isEmpty());
    }

    // Neither button is the default or the cancel button.
    void enterAndEscapePressNoButton_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        for (const char* control : {"Text1", "Drive1", "Command1", "Command2"})
            for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape)})
                QTest::addRow("%s %x", control, key) << control << key;
    }

    void enterAndEscapePressNoButton() {
        QFETCH(QString, control);
        QFETCH(int, key);
        Rig rig;
        rig.form->showDialog();
        QVERIFY(navigate(*rig.probe().Dir1, rig.at("home/alpha")));
        QWidget* target = rig.control(control);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(rig.form->isVisible());
        QCOMPARE(rig.stored(), QStringLiteral("<none>"));
        QVERIFY(rig.prompter.requests.isEmpty());

        // The same focus and Space does press a focused button: the keys do reach the controls.
        if (target == rig.probe().Command2) {
            QTest::keyClick(target, Qt::Key_Space);
            QVERIFY(!rig.form->isVisible());
        }
    }

    void unwritableStoreKeepsTheDialogOpen() {
        Rig rig;
        rig.settings.writable = false;
        rig.prompter.answerMessage(Pressed::Ok);
        rig.form->showDialog();
        const QString chosen = native(rig.at("home/alpha"));
        QVERIFY(navigate(*rig.probe().Dir1, chosen));

        rig.probe().Command1->click();

        QVERIFY(rig.form->isVisible());
        QCOMPARE(describe(rig.prompter.requests),
                 QStringList{storeError("/test/Stowbox.conf", "Read-only file system")});
        QCOMPARE(rig.probe().Selpath, chosen);
        QCOMPARE(rig.probe().Text1->text(), chosen);
        QCOMPARE(rig.probe().Dir1->path(), chosen);
        QCOMPARE(rig.stored(), QStringLiteral("<none>"));

        // Once the store can be written, Ok stores the choice with one separator, not two.
        rig.settings.writable = true;
        rig.probe().Command1->click();
        QCOMPARE(rig.stored(), chosen + QDir::separator());
        QVERIFY(!rig.form->isVisible());
    }
};

QTEST_MAIN(Form2Test)
#include "tst_form2.moc"
