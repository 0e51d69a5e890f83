#include "app/mainwindow/BagList.h"
#include "support/Form1Harness.h"

#include <QAccessible>
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {

QWidget* control(const Form1Probe& f, const QString& name) {
    const QHash<QString, QWidget*> controls{
        {"File1", f.File1},   {"Command1", f.Command1}, {"Command2", f.Command2}, {"Command3", f.Command3},
        {"Frame1", f.Frame1}, {"Picture1", f.Picture1}, {"Label1", f.Label1},     {"Picture2", f.Picture2}};
    return controls.value(name);
}

// A rectangle in the coordinates of the window's client area.
QRect inClientArea(const Form1Probe& f, QWidget* w) {
    return QRect(w->mapTo(f.form.centralWidget(), QPoint(0, 0)), w->size());
}

// The standard 16-colour palette the icon is drawn in.
const QList<QRgb> sixteenColours{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

QString lampColour(const QImage& image, QPoint at) {
    return image.pixelColor(at).name().toUpper();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void window() {
        Form1Harness h;
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        QCOMPARE(f.form.windowTitle(), QStringLiteral("STX"));
        QCOMPARE(f.form.centralWidget()->size(), QSize(301, 236));
        // Not resizable: whatever size it is given, it keeps its own.
        QCOMPARE(f.form.minimumSize(), f.form.maximumSize());
        const QSize before = f.form.size();
        f.form.resize(before + QSize(200, 150));
        QCOMPARE(f.form.size(), before);
        QCOMPARE(f.Command3->geometry(), QRect(190, 190, 91, 31));
    }

    void icon() {
        Form1Harness h;
        const QImage icon = h.start().windowIcon().pixmap(32, 32).toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        int opaque = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QColor c = icon.pixelColor(x, y);
                if (c.alpha() == 0)
                    continue;
                QCOMPARE(c.alpha(), 255);
                QVERIFY2(sixteenColours.contains(c.rgb() & 0xFFFFFF), qPrintable(c.name()));
                ++opaque;
            }
        }
        // A diagonal hammer: the upper left and lower right corners are empty, the handle reaches the lower
        // left.
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(icon.pixelColor(31, 31).alpha(), 0);
        QCOMPARE(icon.pixelColor(1, 29).alpha(), 255);
        QVERIFY(opaque > 150 && opaque < 700);
        // Steel head at the upper right, wooden handle at the lower left.
        QVERIFY(sixteenColours.mid(7, 2).contains(icon.pixel(22, 9) & 0xFFFFFF) ||
                icon.pixel(22, 9) == 0xFFFFFFFF);
        QVERIFY(QList<QRgb>({0x800000, 0x808000, 0xFFFF00}).contains(icon.pixel(8, 23) & 0xFFFFFF));
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("visible");
        const QString safetyTip = QStringLiteral("Displays status of safety requests");
        QTest::newRow("File1") << "File1" << QRect(20, 0, 161, 166) << QString() << "Displays saved prop bags"
                               << "Saved prop bags" << true << true;
        QTest::newRow("Command1") << "Command1" << QRect(200, 30, 81, 31) << "&Load"
                                  << "Loads selected file"
                                  << "Load" << false << true;
        QTest::newRow("Command2") << "Command2" << QRect(200, 100, 81, 31) << "&Save"
                                  << "Saves current prop file"
                                  << "Save" << true << true;
        QTest::newRow("Command3") << "Command3" << QRect(190, 190, 91, 31) << "Start &Palace"
                                  << "Launches Palace32 client"
                                  << "Start Palace" << true << true;
        QTest::newRow("Frame1") << "Frame1" << QRect(10, 160, 281, 71) << QString() << QString()
                                << "Safety requests" << true << true;
        QTest::newRow("Picture1") << "Picture1" << QRect(20, 190, 41, 22) << QString() << safetyTip
                                  << "Safety On" << true << true;
        QTest::newRow("Label1") << "Label1" << QRect(90, 190, 81, 21) << "Safety On" << QString() << QString()
                                << true << true;
        QTest::newRow("Picture2") << "Picture2" << QRect(20, 190, 41, 22) << QString() << safetyTip
                                  << "Safety Off" << true << false;
    }
    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(QString, accessibleName);
        QFETCH(bool, enabled);
        QFETCH(bool, visible);

        Form1Harness h;
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.form));
        QWidget* w = control(f, name);
        QCOMPARE(inClientArea(f, w), rect);
        QCOMPARE(w->toolTip(), tip);
        QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Description), tip);
        // The keyboard focus shows round each control that takes it; round the list with no entry current.
        if (w->isEnabled() && w->isVisible() && w->focusPolicy() != Qt::NoFocus)
            QVERIFY(focusShowsAround(*w, w == f.Command2 ? *f.Command3 : *f.Command2));
        QCOMPARE(w->isEnabled(), enabled);
        QCOMPARE(w->isVisible(), visible);
        if (!accessibleName.isEmpty())
            QCOMPARE(w->accessibleName(), accessibleName);
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            QCOMPARE(button->text(), caption);
            // The caption fits inside the button's face in the default font.
            const int textWidth = button->fontMetrics().horizontalAdvance(QString(caption).remove('&'));
            QVERIFY2(textWidth + 8 <= button->width(), qPrintable(QString::number(textWidth)));
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            QCOMPARE(label->text(), caption);
            // Both captions it ever shows fit.
            for (const QString& text : {QStringLiteral("Safety On"), QStringLiteral("Safety Off")})
                QVERIFY(label->fontMetrics().horizontalAdvance(text) <= label->width());
        }
    }

    // Each picture box: a 2-pixel sunken border round its 37 x 18 image, drawn unscaled from the top left.
    void lampImages_data() {
        QTest::addColumn<bool>("safetyOn");
        QTest::addColumn<QString>("leftLamp");
        QTest::addColumn<QString>("rightLamp");
        QTest::newRow("Picture1 green lit") << true << ""
                                            << "#00FF00";
        QTest::newRow("Picture2 red lit") << false << "#FF1F00"
                                          << "";
    }
    void lampImages() {
        QFETCH(bool, safetyOn);
        QFETCH(QString, leftLamp);
        QFETCH(QString, rightLamp);
        Form1Harness h;
        Form1Probe f = h.start();
        QLabel* box = safetyOn ? f.Picture1 : f.Picture2;
        QCOMPARE(box->frameWidth(), 2);
        QCOMPARE(box->frameShadow(), QFrame::Sunken);
        QCOMPARE(box->contentsRect(), QRect(2, 2, 37, 18));
        QCOMPARE(box->pixmap().size(), QSize(37, 18));

        const QImage drawn = box->grab().toImage();
        const QPoint interior(2, 2);
        QCOMPARE(lampColour(drawn, interior), QStringLiteral("#AAAAAA"));
        const QPoint left = interior + QPoint(10, 10);
        const QPoint right = interior + QPoint(26, 10);
        // A lit lamp is one solid colour; an unlit one is a checkerboard, so neighbours differ.
        for (const auto& [at, lit] : {std::pair{left, leftLamp}, std::pair{right, rightLamp}}) {
            if (!lit.isEmpty()) {
                QCOMPARE(lampColour(drawn, at), lit);
                QCOMPARE(lampColour(drawn, at + QPoint(1, 0)), lit);
            } else {
                QVERIFY(lampColour(drawn, at) != lampColour(drawn, at + QPoint(1, 0)));
            }
        }
    }

    void startPalaceAndListAreDrawnAboveTheStrip() {
        Form1Harness h;
        Form1Probe f = h.start();
        QWidget* client = f.form.centralWidget();
        for (const QPoint& corner : {QPoint(191, 191), QPoint(280, 191), QPoint(191, 220), QPoint(280, 220)})
            QCOMPARE(client->childAt(corner), static_cast<QWidget*>(f.Command3));
        QVERIFY(f.File1->isAncestorOf(client->childAt(QPoint(100, 164))) ||
                client->childAt(QPoint(100, 164)) == f.File1);
    }

    void menus_data() {
        QTest::addColumn<int>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("shortcuts");
        QTest::addColumn<QList<bool>>("enabled");
        QTest::newRow("File") << 0 << "&File" << QStringList{"&Delete", "Rena&me", "&Close"}
                              << QStringList{"Del", "", "F4"} << QList<bool>{false, false, true};
        QTest::newRow("Options") << 1 << "&Options"
                                 << QStringList{"Set Path to Palace Files", "Disable Safety Requests"}
                                 << QStringList{"F1", "F2"} << QList<bool>{true, true};
        QTest::newRow("About") << 2 << "&About" << QStringList{"STX"} << QStringList{""} << QList<bool>{true};
    }
    void menus() {
        QFETCH(int, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, shortcuts);
        QFETCH(QList<bool>, enabled);
        Form1Harness h;
        Form1Probe f = h.start();
        const QList<QAction*> menus = f.form.menuBar()->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[menu]->text(), title);
        const QList<QAction*> items = menus[menu]->menu()->actions();
        QCOMPARE(items.size(), captions.size());
        for (int i = 0; i < items.size(); ++i) {
            QVERIFY(!items[i]->isSeparator());
            QVERIFY(items[i]->menu() == nullptr);
            QCOMPARE(items[i]->text(), captions[i]);
            QCOMPARE(items[i]->shortcut().toString(QKeySequence::NativeText), shortcuts[i]);
            QCOMPARE(items[i]->isEnabled(), enabled[i]);
            QVERIFY(!items[i]->isChecked());
        }
    }

    void focusStartsInTheListAndTabSkipsWhatIsUnavailable() {
        Form1Harness h;
        writeFile(h.bagPath("a.prp"), "a");
        Form1Probe f = h.start();
        f.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.form));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.File1));

        const auto tabs = [&](int count) {
            QList<QWidget*> visited;
            for (int i = 0; i < count; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                visited.append(QApplication::focusWidget());
            }
            return visited;
        };
        // Load is unavailable, Picture2 hidden, the frame and the label never take the focus.
        QCOMPARE(tabs(4), (QList<QWidget*>{f.Command2, f.Command3, f.Picture1, f.File1}));

        QVERIFY(f.selectBag(QStringLiteral("a.prp")));
        f.menDSR->trigger();
        QCOMPARE(tabs(5), (QList<QWidget*>{f.Command1, f.Command2, f.Command3, f.Picture2, f.File1}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
