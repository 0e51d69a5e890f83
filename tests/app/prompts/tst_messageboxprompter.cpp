#include "app/prompts/Prompter.h"
#include "app/prompts/MessageBoxLook.h"
#include "app/prompts/MessageBoxPrompter.h"
#include "support/FakePrompter.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using Buttons = QMessageBox::StandardButtons;
using Button = QMessageBox::StandardButton;

namespace {

enum class Act { Click, Return, Escape, CloseBox };

// Runs action on the next modal box to appear, from inside the box's own event loop.
// Gives up after about two seconds so that a box that never shows cannot hang the test.
void whenModalShows(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, action] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr && ++*tries < 200)
            return;
        poll->stop();
        poll->deleteLater();
        if (box != nullptr)
            action(box);
    });
    poll->start(10);
}

QLabel* textLabel(QMessageBox& box) {
    return box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
}

} // namespace

class MessageBoxPrompterTest : public QObject {
    Q_OBJECT

private slots:
    // Every style code the program uses, against the decoding and against the box actually built.
    void styleCodes_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<Button>("defaultButton");
        QTest::addColumn<Button>("escapeButton");
        QTest::newRow("0 notice") << 0 << Buttons(QMessageBox::Ok) << QMessageBox::NoIcon << QMessageBox::Ok
                                  << QMessageBox::Ok;
        QTest::newRow("16 error") << 16 << Buttons(QMessageBox::Ok) << QMessageBox::Critical
                                  << QMessageBox::Ok << QMessageBox::Ok;
        QTest::newRow("17 final load") << 17 << Buttons(QMessageBox::Ok | QMessageBox::Cancel)
                                       << QMessageBox::Critical << QMessageBox::Ok << QMessageBox::Cancel;
        QTest::newRow("36 save first") << 36 << Buttons(QMessageBox::Yes | QMessageBox::No)
                                       << QMessageBox::Question << QMessageBox::Yes << QMessageBox::No;
        QTest::newRow("260 start client") << 260 << Buttons(QMessageBox::Yes | QMessageBox::No)
                                          << QMessageBox::NoIcon << QMessageBox::No << QMessageBox::No;
        QTest::newRow("292 delete") << 292 << Buttons(QMessageBox::Yes | QMessageBox::No)
                                    << QMessageBox::Question << QMessageBox::No << QMessageBox::No;
        QTest::newRow("308 permanent delete") << 308 << Buttons(QMessageBox::Yes | QMessageBox::No)
                                              << QMessageBox::Warning << QMessageBox::No << QMessageBox::No;
    }
    void styleCodes() {
        QFETCH(int, style);
        QFETCH(Buttons, buttons);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(Button, defaultButton);
        QFETCH(Button, escapeButton);

        const MessageBoxLook look = messageBoxLook(style);
        QCOMPARE(look.buttons, buttons);
        QCOMPARE(look.icon, icon);
        QCOMPARE(look.defaultButton, defaultButton);
        QCOMPARE(look.escapeButton, escapeButton);

        const auto box =
            MessageBoxPrompter::buildMessageBox(QStringLiteral("text"), style, QStringLiteral("Title"));
        QCOMPARE(box->standardButtons(), buttons);
        QCOMPARE(box->buttons().size(), buttons == QMessageBox::Ok ? 1 : 2);
        QCOMPARE(box->icon(), icon);
        QCOMPARE(box->iconPixmap().isNull(), icon == QMessageBox::NoIcon);
        QCOMPARE(box->standardButton(box->defaultButton()), defaultButton);
        QCOMPARE(box->standardButton(box->escapeButton()), escapeButton);
        QCOMPARE(box->windowTitle(), QStringLiteral("Title"));
    }

    // The real modal box, answered by a click, Enter, Escape or its close box.
    void answers_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<Act>("act");
        QTest::addColumn<Button>("clicked");
        QTest::addColumn<int>("answer");
        const Button none = QMessageBox::NoButton;
        QTest::newRow("0 ok") << 0 << Act::Click << QMessageBox::Ok << Pressed::Ok;
        QTest::newRow("0 enter") << 0 << Act::Return << none << Pressed::Ok;
        QTest::newRow("0 escape") << 0 << Act::Escape << none << Pressed::Ok;
        QTest::newRow("16 ok") << 16 << Act::Click << QMessageBox::Ok << Pressed::Ok;
        QTest::newRow("16 close box") << 16 << Act::CloseBox << none << Pressed::Ok;
        QTest::newRow("17 ok") << 17 << Act::Click << QMessageBox::Ok << Pressed::Ok;
        QTest::newRow("17 cancel") << 17 << Act::Click << QMessageBox::Cancel << Pressed::Cancel;
        QTest::newRow("17 enter") << 17 << Act::Return << none << Pressed::Ok;
        QTest::newRow("17 escape") << 17 << Act::Escape << none << Pressed::Cancel;
        QTest::newRow("17 close box") << 17 << Act::CloseBox << none << Pressed::Cancel;
        QTest::newRow("36 yes") << 36 << Act::Click << QMessageBox::Yes << Pressed::Yes;
        QTest::newRow("36 no") << 36 << Act::Click << QMessageBox::No << Pressed::No;
        QTest::newRow("36 enter") << 36 << Act::Return << none << Pressed::Yes;
        QTest::newRow("36 escape") << 36 << Act::Escape << none << Pressed::No;
        QTest::newRow("36 close box") << 36 << Act::CloseBox << none << Pressed::No;
        QTest::newRow("260 yes") << 260 << Act::Click << QMessageBox::Yes << Pressed::Yes;
        QTest::newRow("260 enter") << 260 << Act::Return << none << Pressed::No;
        QTest::newRow("260 close box") << 260 << Act::CloseBox << none << Pressed::No;
        QTest::newRow("292 yes") << 292 << Act::Click << QMessageBox::Yes << Pressed::Yes;
        QTest::newRow("292 no") << 292 << Act::Click << QMessageBox::No << Pressed::No;
        QTest::newRow("292 enter") << 292 << Act::Return << none << Pressed::No;
        QTest::newRow("292 escape") << 292 << Act::Escape << none << Pressed::No;
    }
    void answers() {
        QFETCH(int, style);
        QFETCH(Act, act);
        QFETCH(Button, clicked);
        QFETCH(int, answer);

        bool shown = false;
        whenModalShows([&](QWidget* widget) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            shown = box != nullptr;
            if (!shown)
                return;
            switch (act) {
            case Act::Click:
                box->button(clicked)->click();
                break;
            case Act::Return:
                QTest::keyClick(box, Qt::Key_Return);
                break;
            case Act::Escape:
                QTest::keyClick(box, Qt::Key_Escape);
                break;
            case Act::CloseBox:
                box->close();
                break;
            }
        });
        MessageBoxPrompter prompter;
        const int code = prompter.showMessage(QStringLiteral("Question?"), style, QStringLiteral("Title"));
        QVERIFY(shown);
        QCOMPARE(code, answer);
    }

    // A box stands centred over the window that asked, modal for the whole program; so does the next box of
    // the same step, which comes while no window is active yet. It leaves the window manager room for its
    // title in bold beside the frame's icon and buttons: six squares of the title's height.
    void boxFitsOverTheAskingWindow_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("style");
        QTest::newRow("delete") << "Confirm File Delete" << 292;
        QTest::newRow("start") << "Run Palace Confirmation" << 260;
        QTest::newRow("load") << "File Load Confirmation" << 36;
    }
    void boxFitsOverTheAskingWindow() {
        QFETCH(QString, title);
        QFETCH(int, style);
        QWidget window;
        window.setGeometry(40, 60, 300, 200);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QFont font = QApplication::font("QMdiSubWindowTitleBar");
        font.setBold(true);
        const int needed = QFontMetrics(font).horizontalAdvance(title) + 6 * QFontMetrics(font).height();
        MessageBoxPrompter prompter;
        for (int box = 0; box < 2; ++box, QApplication::setActiveWindow(nullptr)) {
            QRect shown;
            bool modal = false;
            whenModalShows([&](QWidget* b) {
                shown = b->frameGeometry();
                modal = b->windowModality() == Qt::ApplicationModal;
                b->close();
            });
            prompter.showMessage(QStringLiteral("Sure?"), style, title);
            QVERIFY(modal && shown.width() >= needed);
            QVERIFY((shown.center() - window.frameGeometry().center()).manhattanLength() <= 4);
        }
    }

    void carriageReturnStartsANewLine() {
        const auto oneLine = MessageBoxPrompter::buildMessageBox(QStringLiteral("First line"), 16, {});
        const auto twoLines =
            MessageBoxPrompter::buildMessageBox(joinLines({"First line", "Second line"}), 16, {});
        QCOMPARE(textLabel(*twoLines)->text(), QStringLiteral("First line\nSecond line"));
        const int lineHeight = textLabel(*oneLine)->sizeHint().height();
        QVERIFY2(textLabel(*twoLines)->sizeHint().height() >= 2 * lineHeight - 2,
                 "two lines should take twice the height of one");

        // Two carriage returns in a row leave a blank line.
        const auto blankBetween =
            MessageBoxPrompter::buildMessageBox(joinLines({"First", "", "Third"}), 0, {});
        QVERIFY(textLabel(*blankBetween)->sizeHint().height() >= 3 * lineHeight - 3);
    }

    void leadingSpacesAndMarkupShowAsTyped() {
        const QString words = QStringLiteral("Would you like to save existing file first?");
        const auto plain = MessageBoxPrompter::buildMessageBox(joinLines({"x", words}), 36, {});
        const auto indented =
            MessageBoxPrompter::buildMessageBox(joinLines({"x", QString(28, QChar(' ')) + words}), 36, {});
        const QFontMetrics metrics(textLabel(*indented)->font());
        const int widthDifference =
            textLabel(*indented)->sizeHint().width() - textLabel(*plain)->sizeHint().width();
        QCOMPARE(widthDifference, metrics.horizontalAdvance(QString(28, QChar(' '))));

        // The indented line is kept whole, so it stays lined up under the line above it.
        QVERIFY(textLabel(*indented)->minimumWidth() >=
                metrics.horizontalAdvance(QString(28, QChar(' ')) + words));
        // A line too long for a readable box still wraps.
        const auto longLine = MessageBoxPrompter::buildMessageBox(QString(400, QChar('w')), 0, {});
        QVERIFY(textLabel(*longLine)->minimumWidth() < metrics.horizontalAdvance(QString(400, QChar('w'))));

        // A file name is text, not markup.
        const QString name = QStringLiteral("Delete file <b>x</b>.prp?");
        const auto markup = MessageBoxPrompter::buildMessageBox(name, 292, {});
        QCOMPARE(textLabel(*markup)->textFormat(), Qt::PlainText);
        QVERIFY(textLabel(*markup)->sizeHint().width() >= metrics.horizontalAdvance(name));
    }

    // A line narrower than the wrap width is never wrapped, whatever fraction of a pixel its width ends in.
    void shortLinesStayWhole() {
        const auto box = MessageBoxPrompter::buildMessageBox(QStringLiteral("x"), 0, {});
        const QFontMetricsF metrics(textLabel(*box)->font());
        int fractional = 0;
        for (QString line = QStringLiteral("Delete"); metrics.horizontalAdvance(line) < 600;
             line += QStringLiteral(" file")) {
            const qreal width = metrics.horizontalAdvance(line);
            fractional += width != std::floor(width);
            QVERIFY2(textLabel(*MessageBoxPrompter::buildMessageBox(line, 0, {}))->minimumWidth() >= width,
                     qPrintable(line));
        }
        QVERIFY(fractional > 0);
    }

    void inputBoxShowsItsRequest() {
        const auto box = MessageBoxPrompter::buildInputBox(joinLines({"Name?", "NOTE: none"}),
                                                           QStringLiteral("Title"), QStringLiteral("myprop"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Title"));
        QCOMPARE(box->labelText(), QStringLiteral("Name?\nNOTE: none"));
        QCOMPARE(box->findChild<QLabel*>()->textFormat(), Qt::PlainText);
        QCOMPARE(box->findChild<QLineEdit*>()->text(), QStringLiteral("myprop"));
    }

    void inputAnswers_data() {
        QTest::addColumn<QString>("typed"); // replaces the default text; null keeps it
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("answer");
        QTest::newRow("default accepted") << QString() << true << QStringLiteral("myprop");
        QTest::newRow("typed name") << QStringLiteral(" two words ") << true << QStringLiteral(" two words ");
        QTest::newRow("accepted empty") << QStringLiteral("") << true << QString();
        QTest::newRow("cancelled") << QStringLiteral("typed") << false << QString();
    }
    void inputAnswers() {
        QFETCH(QString, typed);
        QFETCH(bool, accept);
        QFETCH(QString, answer);

        bool shown = false;
        whenModalShows([&](QWidget* widget) {
            auto* box = qobject_cast<QInputDialog*>(widget);
            shown = box != nullptr;
            if (!shown)
                return;
            auto* edit = box->findChild<QLineEdit*>();
            if (!typed.isNull()) {
                edit->selectAll();
                edit->del();
                QTest::keyClicks(edit, typed);
            }
            QTest::keyClick(edit, accept ? Qt::Key_Return : Qt::Key_Escape);
        });
        MessageBoxPrompter prompter;
        const QString text =
            prompter.askText(QStringLiteral("Name?"), QStringLiteral("Title"), QStringLiteral("myprop"));
        QVERIFY(shown);
        QCOMPARE(text, answer);
    }
};

QTEST_MAIN(MessageBoxPrompterTest)
#include "tst_messageboxprompter.moc"
