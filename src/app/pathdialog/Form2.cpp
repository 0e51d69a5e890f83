#include "app/pathdialog/Form2.h"

#include "app/controls/ControlTip.h"
#include "app/controls/FocusRing.h"
#include "app/controls/Images.h"
#include "app/controls/WindowPlacement.h"
#include "app/pathdialog/DirList.h"
#include "app/pathdialog/DriveList.h"
#include "app/pathdialog/Form2Texts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

QPushButton* makeButton(QWidget* parent, const QString& caption, const QString& tip, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    ControlTip::set(*button, tip);
    button->setGeometry(geometry);
    // Neither button answers Enter or Escape: only a click, or Space while it has the focus.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

Form2::Form2(Form2Services services, const QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)), mainWindow_(mainWindow) {
    setWindowTitle(Form2Texts::windowTitle);
    setWindowIcon(Images::pathDialog());
    setFixedSize(312, 232);

    Dir1 = new DirList(services_.directories, this);
    Dir1->setGeometry(30, 40, 251, 150);
    Dir1->setAccessibleName(Form2Texts::directoriesName);

    Text1 = new QLineEdit(this);
    Text1->setGeometry(30, 10, 251, 24);
    ControlTip::set(*Text1, Form2Texts::pathTip);
    Text1->setAccessibleName(Form2Texts::pathName);
    // Only the program writes the path box; typing into it would suggest an effect it cannot have.
    Text1->setReadOnly(true);

    Drive1 = new DriveList(services_.drives, this);
    Drive1->setGeometry(0, 200, 151, 24);
    Drive1->setAccessibleName(Form2Texts::drivesName);

    Command1 = makeButton(this, Form2Texts::okCaption, Form2Texts::okTip, {160, 200, 51, 21});
    Command2 = makeButton(this, Form2Texts::cancelCaption, Form2Texts::cancelTip, {220, 200, 61, 21});

    setTabOrder(Dir1, Text1);
    setTabOrder(Text1, Drive1);
    setTabOrder(Drive1, Command1);
    setTabOrder(Command1, Command2);
    new FocusRing(*this);

    connect(Dir1, &DirList::changed, this, &Form2::Dir1_Change);
    connect(Drive1, &DriveList::changed, this, &Form2::Drive1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

void Form2::showDialog() {
    if (isVisible()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    } else {
        Form_Load();
        placeBesideMainWindow();
        show();
    }
    raise();
    activateWindow();
}

void Form2::placeBesideMainWindow() {
    if (mainWindow_ == nullptr)
        return;
    // Before the window manager has framed the dialog its frame is unknown: the main window's is the
    // best guess, from the same window manager.
    const QSize frame = size() + mainWindow_->frameGeometry().size() - mainWindow_->size();
    move(WindowPlacement::besideWindow(mainWindow_->frameGeometry(), frame,
                                       mainWindow_->screen()->availableGeometry()));
}
