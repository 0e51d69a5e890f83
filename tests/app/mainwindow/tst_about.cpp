#include "app/mainwindow/BagList.h"
#include "app/prompts/MessageBoxPrompter.h"
#include "support/Form1Harness.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {

// Written out independently of the program's own text: every carriage return by hand.
const QString expectedAbout =
    QString::fromUtf8("Stowbox V1.02 \r"
                      "\r"
                      "This product is provided as is with no implicit or implied warranties.\r"
                      "The author takes no responsibility for any damages or losses which may occur from the "
                      "use of this product in "
                      "any way, shape, or form.\r"
                      "\r"
                      "\r"
                      "\r"
                      "Thanks to everyone for your support\r"
                      "\r"
                      "Copyright \xC2\xA9 2026 the Stowbox developers. All rights reserved.");

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private slots:
    void aboutBoxText() {
        Form1Harness h;
        writeFile(h.bagPath("a.prp"), "a");
        Form1Probe f = h.start();
        QVERIFY(f.selectBag(QStringLiteral("a.prp")));
        h.prompter.answerMessage(Pressed::Ok);

        f.menuStx->trigger();

        QCOMPARE(describe(h.prompter.requests),
                 QStringList{messageRequest(QStringLiteral("About STX"), 0, expectedAbout)});

        // The box changes nothing.
        QVERIFY(f.Command1->isEnabled());
        QVERIFY(f.menDelete->isEnabled());
        QCOMPARE(f.Selfile, QStringLiteral("a.prp"));
        QCOMPARE(f.DSR, qint16(0));
    }

    void aboutBoxAsShown() {
        const auto box = MessageBoxPrompter::buildMessageBox(expectedAbout, 0, QStringLiteral("About STX"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
        const QStringList lines =
            box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text().split('\n');
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[0], QStringLiteral("Stowbox V1.02 "));
        // One blank line between the parts; the two disclaimer sentences on consecutive lines.
        for (int blank : {1, 4, 6, 8})
            QVERIFY2(lines[blank].isEmpty(), qPrintable(QString::number(blank)));
        QVERIFY(lines[2].startsWith("This product"));
        QVERIFY(lines[3].startsWith("The author"));
        QCOMPARE(lines[7], QStringLiteral("Thanks to everyone for your support"));
        QVERIFY(lines[9].contains(QStringLiteral("All rights reserved.")));
    }
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
