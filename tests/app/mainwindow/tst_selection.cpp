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

// The listed names; a bag in bold, described as holding palace.prp's props, followed by " (loaded)".
QStringList marked(const Form1Probe& f) {
    QStringList rows = f.bagNames();
    for (int row = 0; row < rows.size(); ++row) {
        const QModelIndex at = f.File1->model()->index(row, 0);
        const QString described = at.data(Qt::AccessibleDescriptionRole).toString();
        if (described.contains("palace.prp") == at.data(Qt::FontRole).value<QFont>().bold())
            rows[row] += described.isEmpty() ? "" : " (loaded)";
        else
            rows[row] += " (?)";
    }
    return rows;
}

// One step of a scripted session; the steps a user can take on the window, plus file changes behind its back,
// which may come before it starts.
void act(Form1Harness& h, const QString& step) {
    const QString verb = step.section(' ', 0, 0);
    const QString name = step.section(' ', 1);
    if (verb == "add")
        return writeFile(h.bagPath(name), "new");
    if (verb == "many") { // more bags than are marked at a time
        for (int i = 1000; i < 2100; ++i)
            writeFile(h.bagPath(QStringLiteral("n%1.prp").arg(i)), "new");
        return;
    }
    if (verb == "live") // palace.prp of those bytes, its directory stored
        return writeFile(h.livePath(), name.toUtf8()), h.storePalaceDirectory();
    if (verb == "forget") // nothing stored any more
        return void(QFile::remove(IniFileSettingsStore::fileOf(PalacePathSetting::application)));
    if (verb == "unreadable")
        return Form1Harness::makeSettingsUnreadable();
    Form1Probe f = *h.form;
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
    else if (verb == "load") { // with the safety requests off: nothing asked
        f.menDSR->trigger();
        QTest::mouseClick(f.Command1, Qt::LeftButton);
    } else if (verb == "save") { // palace.prp saved under the name it asks for
        h.prompter.answerText(name);
        QTest::mouseClick(f.Command2, Qt::LeftButton);
        h.prompter.clear();
    } else if (verb == "save-off") // as a failed save leaves it
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
        // A bag is loaded when it holds palace.prp's bytes; b.prp has their size only.
        const QString none;
        const QStringList aLoaded{"a.prp (loaded)", "b.prp"};
        QTest::newRow("start-up marks the loaded bag")
            << QStringList{"live a", "start"} << "-S--" << none << none << aLoaded;
        QTest::newRow("bags of the same bytes")
            << QStringList{"add c.prp", "add d.prp", "live new", "start"} << "-S--" << none << none
            << QStringList{"a.prp", "b.prp", "c.prp (loaded)", "d.prp (loaded)"};
        QTest::newRow("settings unreadable at a background click")
            << QStringList{"live a", "start", "unreadable", "background"} << "-S--" << none << none << two;
        QTest::newRow("palace.prp changed and stored after start-up, then a background click")
            << QStringList{"live b", "forget", "start", "live a", "background"} << "-S--" << none << none
            << aLoaded;
        QTest::newRow("after a load") << QStringList{"live b", "start", "click a.prp", "load"} << "LSDR"
                                      << "a.prp"
                                      << "a.prp" << aLoaded;
        QTest::newRow("after a load with nothing stored any more")
            << QStringList{"live a", "start", "click b.prp", "forget", "load"} << "LSDR"
            << "b.prp"
            << "b.prp" << two;
        QStringList many = two;
        for (int i = 1000; i < 2100; ++i)
            many << QStringLiteral("n%1.prp (loaded)").arg(i);
        QTest::newRow("more bags than are marked at a time")
            << QStringList{"many", "live new", "start"} << "-S--" << none << none << many;
        QTest::newRow("after a save") << QStringList{"live a", "start", "save c"} << "-S--" << none << none
                                      << QStringList{"a.prp (loaded)", "b.prp", "c.prp (loaded)"};
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
        const qsizetype started = steps.indexOf("start"); // the steps before it set the scene
        for (const QString& step : steps.mid(0, std::max(started, qsizetype(0))))
            act(h, step);
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.File1));
        for (const QString& step : steps.mid(started + 1)) {
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
        QTRY_VERIFY(f.marksWorkedOut());
        QCOMPARE(marked(f), listed);
        QCOMPARE(h.prompter.requests.size(), 0);
        for (const FaultyFileSystem::Step& call : h.fileSystem.trace) // no bag of another size is opened
            if (call.call == FaultyFileSystem::Call::Close && call.path.endsWith(".prp") &&
                call.path.startsWith(QFile::encodeName(h.programDir.path() + '/')))
                QCOMPARE(QFileInfo(call.path).size(), QFileInfo(h.livePath()).size());
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
