#include "app/pathdialog/DirList.h"
#include "app/pathdialog/DriveList.h"
#include "app/pathdialog/Form2.h"
#include "support/Form2Harness.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QtTest>

using Rig = Form2Harness;

class Form2LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void window() {
        Rig rig;
        QVERIFY(rig.form->isWindow());
        QCOMPARE(rig.form->parentWidget(), nullptr);
        QCOMPARE(rig.form->windowTitle(), QStringLiteral("Set Path to Palace"));
        QCOMPARE(rig.form->minimumSize(), QSize(312, 232));
        QCOMPARE(rig.form->maximumSize(), QSize(312, 232));
        QVERIFY(!(rig.form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(rig.form->windowFlags() & Qt::WindowCloseButtonHint);
    }

    // Positions in pixels at 12 twips each; tooltips as the user sees them.
    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("Dir1") << "Dir1" << QRect(30, 40, 251, 150) << ""
                              << "";
        QTest::newRow("Text1") << "Text1" << QRect(30, 10, 251, 24) << ""
                               << "Displays chosen path information";
        QTest::newRow("Drive1") << "Drive1" << QRect(0, 200, 151, 24) << ""
                                << "";
        QTest::newRow("Command1") << "Command1" << QRect(160, 200, 51, 21) << "Ok"
                                  << "Click here to accept path setting";
        QTest::newRow("Command2") << "Command2" << QRect(220, 200, 61, 21) << "Cancel"
                                  << "Ends the set path procedure";
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, tooltip);
        Rig rig;
        QWidget* control = rig.control(name);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->toolTip(), tooltip);
        // The keyboard focus shows round each control.
        QVERIFY(focusShowsAround(*control, *rig.control(name == "Text1" ? "Command2" : "Text1")));
        QVERIFY(rig.form->rect().contains(control->geometry()));
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption); // no access key
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
            // The caption fits between the button's margins in the default font.
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            QVERIFY2(button->fontMetrics().horizontalAdvance(caption) + 2 * margin <= geometry.width(),
                     qPrintable(caption));
            QVERIFY(button->fontMetrics().height() < geometry.height());
        }
    }

    void tabOrderStartsAtTheDirectoryList() {
        Rig rig;
        rig.form->showDialog();
        QApplication::setActiveWindow(rig.form.get());
        QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
        QCOMPARE(QApplication::focusWidget(), rig.probe().Dir1);
        QStringList order;
        for (int step = 0; step < 5; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            for (const char* name : {"Dir1", "Text1", "Drive1", "Command1", "Command2"})
                if (rig.control(name) == QApplication::focusWidget())
                    order.append(name);
        }
        QCOMPARE(order, QStringList({"Text1", "Drive1", "Command1", "Command2", "Dir1"}));
    }

    // The icon: 32 and 16 pixels, at most 16 colours, a transparent background around a drawn sheet
    // outlined in black with yellow in its face.
    void icon_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("32") << 32;
        QTest::newRow("16") << 16;
    }

    void icon() {
        QFETCH(int, size);
        Rig rig;
        const QIcon icon = rig.form->windowIcon();
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(size, size));
        QSet<QRgb> colours;
        int transparent = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    ++transparent;
                else
                    colours.insert(pixel);
            }
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(transparent > size * size / 4);
        QVERIFY(colours.size() <= 16);
        QVERIFY(colours.contains(qRgb(0, 0, 0)));
        QVERIFY(colours.contains(qRgb(255, 255, 0)));
        QVERIFY(colours.contains(qRgb(255, 255, 255)));
    }
};

QTEST_MAIN(Form2LayoutTest)
#include "tst_form2layout.moc"
