#include "support/Form1Harness.h"

#include "app/mainwindow/BagList.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

const QByteArray Form1Harness::liveBytes("live props\0\x01\xff\r\n", 15);
const QByteArray Form1Harness::latin1Bag("caf\xe9.prp");
const QByteArray Form1Harness::lookAlikeBag("caf\xef\xbf\xbd.prp");
const QString Form1Harness::latin1Shown = QStringLiteral("caf\uFFFD.prp");
const QByteArray Form1Harness::bagABytes("bag a\0", 6);
const QByteArray Form1Harness::myPropBytes("bag myprop");

namespace {
const QString sneakedBag = QStringLiteral("sneaked.prp");
}

Form1Harness::Form1Harness() : previousCurrentDir_(QDir::currentPath()) {
    // Whatever else happens, never touch a real user's settings.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qFatal("tests must run with their own XDG_CONFIG_HOME (run them through ctest)");
    QFile::remove(config + QStringLiteral("/Stowbox.conf"));
    QDir(config + QStringLiteral("/Stowbox.conf")).removeRecursively();
    QDir::setCurrent(currentDir.path());
}

Form1Harness::Form1Harness(Palace palace) : Form1Harness() {
    palace_ = palace;
    writeFile(bagPath(QStringLiteral("a.prp")), bagABytes);
    writeFile(bagPath(QStringLiteral("myprop.prp")), myPropBytes);
    switch (palace) {
    case Palace::Stored:
    case Palace::Unreadable:
        storePalaceDirectory();
        writeFile(livePath(), liveBytes);
        break;
    case Palace::StoredAfterStart:
        writeFile(livePath(), liveBytes);
        break;
    case Palace::NoLiveFile:
        storePalaceDirectory();
        break;
    case Palace::DirectoryGone:
        settings.saveSetting(PalacePathSetting::application, PalacePathSetting::section,
                             PalacePathSetting::key,
                             palaceDir.filePath(QStringLiteral("gone")) + QDir::separator());
        break;
    case Palace::NotStored:
        break;
    case Palace::NotStoredLiveHere:
        writeFile(currentDir.filePath(QStringLiteral("palace.prp")), liveBytes);
        break;
    }
}

Form1Harness::~Form1Harness() {
    // Qt cannot reach a name that is not valid text, so the temporary folder could not be removed.
    ::unlink((QFile::encodeName(programDir.path()) + '/' + latin1Bag).constData());
    QDir::setCurrent(previousCurrentDir_);
}

Form1& Form1Harness::start() {
    const Form2Services dialog{settings, prompter, drives, directories, dialogStart};
    form = std::make_unique<Form1>(
        Form1Services{settings, bags, client, starter, prompter, dialog, [this] { ++endProgramCalls; }});
    if (palace_ == Palace::StoredAfterStart)
        storePalaceDirectory();
    if (palace_ == Palace::Unreadable)
        makeSettingsUnreadable();
    return *form;
}

Form1& Form1Harness::open(const QString& selectName) {
    Form1& window = start();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        QTest::qFail("the main window was not exposed", __FILE__, __LINE__);
    if (!selectName.isEmpty())
        clickBag(selectName);
    return window;
}

void Form1Harness::storePalaceDirectory() {
    settings.saveSetting(PalacePathSetting::application, PalacePathSetting::section, PalacePathSetting::key,
                         palaceDirectory());
}

void Form1Harness::makeSettingsUnreadable() {
    const QString file = IniFileSettingsStore::fileOf(PalacePathSetting::application);
    QFile::remove(file);
    QDir().mkpath(file);
}

void Form1Harness::setHomeTrashUsable(bool usable) {
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
    QFile::remove(trash);
    QDir(trash).removeRecursively();
    if (!usable)
        writeFile(trash, "not a folder");
}

QString Form1Harness::palaceDirectory() const {
    return palaceDir.path() + QDir::separator();
}

QString Form1Harness::bagPath(const QString& name) const {
    return programDir.filePath(name);
}

QString Form1Harness::livePath() const {
    return palaceDir.filePath(QStringLiteral("palace.prp"));
}

void Form1Harness::writeRawBag(const QByteArray& fileName) {
    const QByteArray path = QFile::encodeName(programDir.path()) + '/' + fileName;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0 && ::write(fd, fileName.constData(), size_t(fileName.size())) == fileName.size());
    QCOMPARE(::close(fd), 0);
}

void Form1Harness::clickBag(const QString& name) {
    BagList* list = probe().File1;
    const int row = static_cast<int>(probe().bagNames().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name + QStringLiteral(" is not listed")));
    const QRect item = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QCOMPARE(probe().Selfile, name);
}

void Form1Harness::sneakBagIn() {
    writeFile(bagPath(sneakedBag), "sneaked");
    QVERIFY(!probe().bagNames().contains(sneakedBag));
}

bool Form1Harness::listWasRefreshed() const {
    return probe().bagNames().contains(sneakedBag);
}

void Form1Harness::checkOutcome(const Outcome& expected) const {
    QCOMPARE(describe(prompter.requests), expected.prompts);
    QCOMPARE(prompter.unusedAnswers(), 0);
    QCOMPARE(client.calls, expected.clientCalls);
    QCOMPARE(describe(programFiles()), describe(expected.programFiles));
    QCOMPARE(describe(palaceFiles()), describe(expected.palaceFiles));
    if (expected.currentDirFiles)
        QCOMPARE(describe(currentDirFiles()), describe(*expected.currentDirFiles));
    QCOMPARE(controlStates(probe()), expected.controls);
    QCOMPARE(listWasRefreshed(), expected.refreshed);
    QCOMPARE(probe().Selfile, expected.selfile);
}
