#pragma once

#include "app/mainwindow/Form1Services.h"
#include "platform/StepResult.h"
#include "platform/safecopy/FileSteps.h"
#include "props/BagName.h"

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>

class BagList;
class Form2;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;

// The main window. Its controls, state and handlers carry the names the program is described by;
// Form1.cpp builds the window, Form1Handlers.cpp holds what it does.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(Form1Services services, QWidget* parent = nullptr);
    ~Form1() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class Form1Probe; // the tests' view of the state and the controls

    // Handlers, in the order a user meets them.
    void Form_Load();
    void Form_Click();
    void File1_Click();
    void Command2_Click();
    void Fsave(QString& Sbox);
    void Command1_Click();
    void menDelete_Click();
    void File1_KeyUp(qint16& KeyCode, qint16 Shift);
    void Delfile(QString& Delbox);
    void menRename_Click();
    void RenFile(QString& rfile);
    void Command3_Click();
    void menExit_Click();
    void menPpal_Click();
    void menDSR_Click();
    void menuStx_Click();

    // Steps that more than one handler takes.
    StepResult readSelpath();
    StepValue<FilePlace> storedLiveFile();
    void showPalaceFilesError();
    bool refusedWhileClientRuns();
    bool copyBagOverLiveFile();
    bool agreesToLose(const StepResult& stopped);
    bool inPlace(const StepResult& result, const QString& title);
    static bool declined(const StepResult& result);
    QString displayedPath(const BagName& bag) const;

    Form1Services services_;
    const AskBeforeLoss askBeforeLoss_ = [this](const StepResult& stopped) { return agreesToLose(stopped); };
    std::unique_ptr<Form2> form2_; // the path dialog, once it has been opened

    // State for the whole run.
    BagName Selfile; // the bag last selected in the list
    QString Selpath; // the Palace directory as last read from the settings store
    QString Apath;   // the program directory
    qint16 DSR = 0;  // 1 while safety requests are off

    // Controls.
    BagList* File1 = nullptr;
    QPushButton* Command1 = nullptr; // Load
    QPushButton* Command2 = nullptr; // Save
    QPushButton* Command3 = nullptr; // Start Palace
    QFrame* Frame1 = nullptr;
    QLabel* Picture1 = nullptr; // safety-on lamps
    QLabel* Label1 = nullptr;
    QLabel* Picture2 = nullptr; // safety-off lamps
    QMenu* menFile = nullptr;
    QMenu* menOptions = nullptr;
    QMenu* menAbout = nullptr;
    QAction* menDelete = nullptr;
    QAction* menRename = nullptr;
    QAction* menExit = nullptr;
    QAction* menPpal = nullptr;
    QAction* menDSR = nullptr;
    QAction* menuStx = nullptr;
};
