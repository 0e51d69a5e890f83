#include "support/Form1Harness.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QtTest>

namespace {

// Fails the test if a lamp is shown while the other one is still visible.
class LampWatcher : public QObject {
public:
    LampWatcher(QWidget* one, QWidget* other) : one_(one), other_(other) {
        one_->installEventFilter(this);
        other_->installEventFilter(this);
    }
    int bothVisible = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && (watched == one_ ? other_ : one_)->isVisible())
            ++bothVisible;
        return false;
    }

private:
    QWidget* one_;
    QWidget* other_;
};

} // namespace

class SafetyToggleTest : public QObject {
    Q_OBJECT

private slots:
    // The menu item and its key F2, each chosen twice: off, then back on where it started.
    void toggle_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("menu item") << false;
        QTest::newRow("F2") << true;
    }
    void toggle() {
        QFETCH(bool, byKey);
        Form1Harness h;
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        LampWatcher watcher(f.Picture1, f.Picture2);

        const auto choose = [&] {
            if (byKey)
                QTest::keyClick(&f.form, Qt::Key_F2);
            else
                f.menDSR->trigger();
        };
        const auto expectState = [&](bool on) {
            QCOMPARE(f.DSR, qint16(on ? 0 : 1));
            QCOMPARE(f.menDSR->isChecked(), !on);
            QCOMPARE(f.menDSR->text(), QStringLiteral("Disable Safety Requests"));
            QCOMPARE(f.Picture1->isVisible(), on);
            QCOMPARE(f.Picture2->isVisible(), !on);
            QCOMPARE(f.Label1->text(), on ? QStringLiteral("Safety On") : QStringLiteral("Safety Off"));
        };

        expectState(true);
        choose();
        expectState(false);
        choose();
        expectState(true);
        QCOMPARE(watcher.bothVisible, 0);
        // Nothing asked, nothing stored.
        QCOMPARE(h.prompter.requests.size(), 0);
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QVERIFY(!QFile::exists(config + QStringLiteral("/Stowbox.conf")));
    }

    void everyStartHasRequestsOn() {
        Form1Harness first;
        first.start();
        first.probe().menDSR->trigger();
        QCOMPARE(first.probe().DSR, qint16(1));

        Form1Harness second;
        Form1Probe f = second.start();
        QCOMPARE(f.DSR, qint16(0));
        QVERIFY(!f.menDSR->isChecked());
        QVERIFY(!f.Picture1->isHidden());
        QVERIFY(f.Picture2->isHidden());
        QCOMPARE(f.Label1->text(), QStringLiteral("Safety On"));
    }

    // A screen reader hears the state through whichever lamp is showing, and through the label.
    void indicatorReadsTheState() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        const auto shownLampName = [&] {
            return f.Picture1->isVisible() ? f.Picture1->accessibleName() : f.Picture2->accessibleName();
        };
        QCOMPARE(shownLampName(), QStringLiteral("Safety On"));
        f.menDSR->trigger();
        QCOMPARE(shownLampName(), QStringLiteral("Safety Off"));
        QCOMPARE(f.Label1->text(), shownLampName());
    }
};

QTEST_MAIN(SafetyToggleTest)
#include "tst_safetytoggle.moc"
