#include "app/mainwindow/BagList.h"
#include "support/Form1Harness.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Availability as "LSDR": Load, Save, Delete, Rename, each a letter when available and "-" when not.
QString commandState(const Form1Probe& f) {
    QString state;
    state += f.Command1->isEnabled() ? 'L' : '-';
    state += f.Command2->isEnabled() ? 'S' : '-';
    state += f.menDelete->isEnabled() ? 'D' : '-';
    state += f.menRename->isEnabled() ? 'R' : '-';
    return state;
}

void clickEntry(const Form1Probe& f, const QString& name, Qt::KeyboardModifiers modifiers = {},
                Qt::MouseButton button = Qt::LeftButton) {
    const int row = static_cast<int>(f.bagNames().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name));
    const QRect rect = f.File1->visualRect(f.File1->model()->index(row, 0));
    QTest::mouseClick(f.File1->viewport(), button, modifiers, rect.center());
}

// One step of a scripted session; the steps a user can take on the window, plus file changes behind its back.
void act(Form1Harness& h, const QString& step) {
    Form1Probe f = *h.form;
    const QString verb = step.section(' ', 0, 0);
    const QString name = step.section(' ', 1);
    QWidget* client = f.form.centralWidget();
    if (verb == "click")
        clickEntry(f, name);
    else if (verb == "ctrlclick")
        clickEntry(f, name, Qt::ControlModifier);
    else if (verb == "rightclick" || verb == "middleclick")
        clickEntry(f, name, {}, verb == "rightclick" ? Qt::RightButton : Qt::MiddleButton);
    else if (verb == "key")
        QTest::keyClick(f.File1, name == "Down" ? Qt::Key_Down : Qt::Key_Up);
    else if (verb == "ctrlkey")
        QTest::keyClick(f.File1, Qt::Key_Down, Qt::ControlModifier);
    else if (verb == "background")
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(190, 10));
    else if (verb == "background-left")
        QTest::mouseClick(client, Qt::LeftButton, {}, QPoint(5, 100));
    else if (verb == "background-right-button")
        QTest::mouseClick(client, Qt::RightButton, {}, QPoint(190, 10));
    else if (verb == "strip")
        QTest::mouseClick(f.Frame1, Qt::LeftButton, {}, QPoint(200, 10));
    else if (verb == "label")
        QTest::mouseClick(f.Label1, Qt::LeftButton, {}, QPoint(5, 5));
    else if (verb == "list-blank")
        QTest::mouseClick(f.File1->viewport(), Qt::LeftButton, {},
                          QPoint(5, f.File1->viewport()->height() - 3));
    else if (verb == "add")
        writeFile(h.bagPath(name), "new");
    else if (verb == "save-off") // as a failed save leaves it
        f.Command2->setEnabled(false);
    else
        QFAIL(qPrintable("unknown step " + step));
}

} // namespace

class SelectionTest : public QObject {
    Q_OBJECT

private slots:
    void availability_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("selfile");
        QTest::addColumn<QString>("shownSelected");
        QTest::addColumn<QStringList>("listed");
        const QStringList two{"a.prp", "b.prp"};
        const QStringList three{"a.prp", "b.prp", "c.prp"};

        QTest::newRow("start-up, with the focus in the list") << QStringList{} << "-S--"
                                                              << ""
                                                              << "" << two;
        QTest::newRow("entry clicked") << QStringList{"click b.prp"} << "LSDR"
                                       << "b.prp"
                                       << "b.prp" << two;
        QTest::newRow("another entry clicked") << QStringList{"click b.prp", "click a.prp"} << "LSDR"
                                               << "a.prp"
                                               << "a.prp" << two;
        QTest::newRow("first arrow key selects the first entry") << QStringList{"key Down"} << "LSDR"
                                                                 << "a.prp"
                                                                 << "a.prp" << two;
        QTest::newRow("arrow keys move the selection") << QStringList{"click a.prp", "key Down"} << "LSDR"
                                                       << "b.prp"
                                                       << "b.prp" << two;
        QTest::newRow("ctrl+arrow still selects") << QStringList{"click a.prp", "ctrlkey"} << "LSDR"
                                                  << "b.prp"
                                                  << "b.prp" << two;
        QTest::newRow("ctrl+click keeps the entry selected")
            << QStringList{"click a.prp", "ctrlclick a.prp"} << "LSDR"
            << "a.prp"
            << "a.prp" << two;
        QTest::newRow("click beside the entries changes nothing")
            << QStringList{"click a.prp", "list-blank"} << "LSDR"
            << "a.prp"
            << "a.prp" << two;
        QTest::newRow("background click withdraws, keeps the name, re-reads")
            << QStringList{"click a.prp", "add c.prp", "background"} << "-S--"
            << "a.prp"
            << "" << three;
        QTest::newRow("background left of the list")
            << QStringList{"click b.prp", "background-left"} << "-S--"
            << "b.prp"
            << "" << two;
        QTest::newRow("background click with nothing selected")
            << QStringList{"add c.prp", "background"} << "-S--"
            << ""
            << "" << three;
        QTest::newRow("new selection after a background click")
            << QStringList{"click a.prp", "background", "click b.prp"} << "LSDR"
            << "b.prp"
            << "b.prp" << two;
        QTest::newRow("background click makes Save available again")
            << QStringList{"click a.prp", "save-off", "background"} << "-S--"
            << "a.prp"
            << "" << two;
        QTest::newRow("selecting makes Save available again")
            << QStringList{"save-off", "click b.prp"} << "LSDR"
            << "b.prp"
            << "b.prp" << two;
        QTest::newRow("clicking the selected entry again is a selection")
            << QStringList{"click a.prp", "save-off", "click a.prp"} << "LSDR"
            << "a.prp"
            << "a.prp" << two;
        QTest::newRow("a click in the strip is no background click")
            << QStringList{"click a.prp", "add c.prp", "strip"} << "LSDR"
            << "a.prp"
            << "a.prp" << two;
        QTest::newRow("a click on the label is no background click")
            << QStringList{"click a.prp", "label"} << "LSDR"
            << "a.prp"
            << "a.prp" << two;
        QTest::newRow("the right button on an entry selects nothing")
            << QStringList{"rightclick b.prp"} << "-S--"
            << ""
            << "" << two;
        QTest::newRow("the middle button on an entry selects nothing")
            << QStringList{"click b.prp", "save-off", "middleclick a.prp"} << "L-DR"
            << "b.prp"
            << "b.prp" << two;
        QTest::newRow("the right button moves no cursor")
            << QStringList{"rightclick b.prp", "key Down"} << "LSDR"
            << "a.prp"
            << "a.prp" << two;
        QTest::newRow("the right button is no click")
            << QStringList{"click a.prp", "background-right-button"} << "LSDR"
            << "a.prp"
            << "a.prp" << two;
    }
    void availability() {
        QFETCH(QStringList, steps);
        QFETCH(QString, state);
        QFETCH(QString, selfile);
        QFETCH(QString, shownSelected);
        QFETCH(QStringList, listed);

        Form1Harness h;
        writeFile(h.bagPath("a.prp"), "a");
        writeFile(h.bagPath("b.prp"), "b");
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.File1));
        for (const QString& step : steps) {
            act(h, step);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(commandState(f), state);
        QVERIFY(f.Command3->isEnabled());
        QVERIFY(f.File1->isEnabled());
        QCOMPARE(f.Selfile, selfile);
        QCOMPARE(f.File1->selectedName(), shownSelected);
        QCOMPARE(f.File1->selectionModel()->selectedIndexes().size(), shownSelected.isEmpty() ? 0 : 1);
        QCOMPARE(f.bagNames(), listed);
        QCOMPARE(h.prompter.requests.size(), 0);
    }

    // Keys of unavailable commands do nothing; the same keys work once the command is available.
    void keysOfUnavailableCommands_data() {
        QTest::addColumn<bool>("selected");
        QTest::newRow("nothing selected") << false;
        QTest::newRow("a bag selected") << true;
    }
    void keysOfUnavailableCommands() {
        QFETCH(bool, selected);
        Form1Harness h;
        writeFile(h.bagPath("a.prp"), "a");
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        if (selected)
            clickEntry(f, QStringLiteral("a.prp"));
        // Answer whatever the commands ask with No or Cancel; this test is about whether they run at all.
        for (int i = 0; i < 4; ++i)
            h.prompter.answerMessage(Pressed::Cancel);

        QSignalSpy pressed(f.Command1, &QPushButton::pressed);
        QSignalSpy load(f.Command1, &QPushButton::clicked);
        QSignalSpy deleteItem(f.menDelete, &QAction::triggered);
        QTest::keyClick(&f.form, Qt::Key_L, Qt::AltModifier);
        QTest::keyClick(f.Command2, Qt::Key_Delete);
        // A button pressed by its access key is down at once and clicks a moment later.
        QCOMPARE(pressed.size(), selected ? 1 : 0);
        QTRY_COMPARE(load.size(), selected ? 1 : 0);
        QCOMPARE(deleteItem.size(), selected ? 1 : 0);
        if (!selected)
            QCOMPARE(h.prompter.requests.size(), 0);
        QVERIFY(QFile::exists(h.bagPath("a.prp")));
    }

    void closeKeyEndsTheProgram() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        QTest::keyClick(&f.form, Qt::Key_F4);
        QCOMPARE(h.endProgramCalls, 1);
    }
};

QTEST_MAIN(SelectionTest)
#include "tst_selection.moc"
