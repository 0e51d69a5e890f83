#include "app/mainwindow/Form1.h"

#include "app/controls/ControlTip.h"
#include "app/controls/FocusRing.h"
#include "app/controls/Images.h"
#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1Texts.h"
#include "app/pathdialog/Form2.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// The client area and the controls' rectangles, in device-independent pixels (12 twips each).
constexpr QSize clientSize{301, 236};
constexpr QRect listRect{20, 0, 161, 166};
constexpr QRect loadRect{200, 30, 81, 31};
constexpr QRect saveRect{200, 100, 81, 31};
constexpr QRect startPalaceRect{190, 190, 91, 31};
constexpr QRect stripRect{10, 160, 281, 71};
// Inside the strip.
constexpr QRect lampRect{10, 30, 41, 22};
constexpr QRect labelRect{80, 30, 81, 21};
constexpr int lampBorder = 2;

QPushButton* makeButton(QWidget* parent, const QString& caption, const QString& tip, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    ControlTip::set(*button, tip);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setGeometry(geometry);
    return button;
}

// A sunken box showing its image unscaled from the interior's top-left corner.
QLabel* makePictureBox(QWidget* parent, const QPixmap& image, const QString& name) {
    auto* box = new QLabel(parent);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setLineWidth(lampBorder);
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setPixmap(image);
    ControlTip::set(*box, Form1Texts::safetyTip);
    box->setAccessibleName(name);
    box->setFocusPolicy(Qt::TabFocus);
    box->setGeometry(lampRect);
    return box;
}

QAction* makeItem(QMenu* menu, const QString& caption, QKeySequence shortcut, bool enabled) {
    QAction* item = menu->addAction(caption);
    item->setShortcut(shortcut);
    item->setEnabled(enabled);
    return item;
}

} // namespace

Form1::Form1(Form1Services services, QWidget* parent) : QMainWindow(parent), services_(std::move(services)) {
    setWindowTitle(Form1Texts::windowTitle);
    setWindowIcon(Images::hammer());

    auto* client = new QWidget(this);
    client->setFixedSize(clientSize);
    setCentralWidget(client);

    File1 = new BagList(
        services_.bags, [this] { return storedLiveFile(); }, client);
    File1->setGeometry(listRect);
    ControlTip::set(*File1, Form1Texts::listTip);
    File1->setAccessibleName(Form1Texts::listName);

    Command1 = makeButton(client, Form1Texts::loadCaption, Form1Texts::loadTip, loadRect);
    Command1->setEnabled(false);
    Command2 = makeButton(client, Form1Texts::saveCaption, Form1Texts::saveTip, saveRect);
    Command3 =
        makeButton(client, Form1Texts::startPalaceCaption, Form1Texts::startPalaceTip, startPalaceRect);

    Frame1 = new QFrame(client);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Frame1->setAccessibleName(Form1Texts::safetyStripName);
    Frame1->setGeometry(stripRect);
    Picture1 = makePictureBox(Frame1, Images::safetyOn(), Form1Texts::safetyOn);
    Label1 = new QLabel(Form1Texts::safetyOn, Frame1);
    Label1->setGeometry(labelRect);
    Picture2 = makePictureBox(Frame1, Images::safetyOff(), Form1Texts::safetyOff);
    Picture2->hide();
    // The list's lower edge and the Start Palace button lie over the strip: draw them above it,
    // so that the list keeps its whole border and the button is never hidden.
    File1->raise();
    Command3->raise();

    setTabOrder(File1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Picture1);
    setTabOrder(Picture1, Picture2);
    File1->setFocus();
    new FocusRing(*this);

    menFile = menuBar()->addMenu(Form1Texts::fileMenu);
    menDelete = makeItem(menFile, Form1Texts::deleteItem, QKeySequence(Qt::Key_Delete), false);
    menRename = makeItem(menFile, Form1Texts::renameItem, {}, false);
    menExit = makeItem(menFile, Form1Texts::closeItem, QKeySequence(Qt::Key_F4), true);
    menOptions = menuBar()->addMenu(Form1Texts::optionsMenu);
    menPpal = makeItem(menOptions, Form1Texts::setPathItem, QKeySequence(Qt::Key_F1), true);
    menDSR = makeItem(menOptions, Form1Texts::disableSafetyItem, QKeySequence(Qt::Key_F2), true);
    menDSR->setCheckable(true);
    menAbout = menuBar()->addMenu(Form1Texts::aboutMenu);
    menuStx = makeItem(menAbout, Form1Texts::aboutItem, {}, true);

    connect(File1, &BagList::entrySelected, this, &Form1::File1_Click);
    connect(File1, &BagList::keyReleased, this, [this](int key, Qt::KeyboardModifiers modifiers) {
        qint16 keyCode = key == Qt::Key_Delete ? qint16(46) : qint16(0);
        File1_KeyUp(keyCode, qint16(modifiers.toInt() >> 25));
    });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(menDelete, &QAction::triggered, this, &Form1::menDelete_Click);
    connect(menRename, &QAction::triggered, this, &Form1::menRename_Click);
    connect(menExit, &QAction::triggered, this, &Form1::menExit_Click);
    connect(menPpal, &QAction::triggered, this, &Form1::menPpal_Click);
    connect(menDSR, &QAction::triggered, this, &Form1::menDSR_Click);
    connect(menuStx, &QAction::triggered, this, &Form1::menuStx_Click);

    // The window keeps the size of its contents: it cannot be resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Form_Load();
}

Form1::~Form1() = default;

void Form1::mousePressEvent(QMouseEvent* event) {
    // Only the window's own surface counts: the strip, the label and the menu bar are controls.
    if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == centralWidget())
        Form_Click();
    QMainWindow::mousePressEvent(event);
}
