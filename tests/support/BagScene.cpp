#include "support/BagScene.h"

#include "app/BagList.h"
#include "settings/SettingsStore.h"
#include "support/Form1Probe.h"

#include <QDir>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

const QByteArray BagScene::liveBytes("live props\0\x01\xff\r\n", 15);
const QByteArray BagScene::bagABytes("bag a\0", 6);
const QByteArray BagScene::myPropBytes("bag myprop");
const QByteArray BagScene::latin1Bag("caf\xe9.prp");
const QByteArray BagScene::lookAlikeBag("caf\xef\xbf\xbd.prp");
const QString BagScene::latin1Shown = QStringLiteral("caf\uFFFD.prp");

namespace {
const QString sneakedBag = QStringLiteral("sneaked.prp");
}

BagScene::BagScene(Palace palace) : palace_(palace), previousCurrentDir_(QDir::currentPath()) {
    QDir::setCurrent(currentDir.path());
    Form1Harness::writeFile(h.bagPath(QStringLiteral("a.prp")), bagABytes);
    Form1Harness::writeFile(h.bagPath(QStringLiteral("myprop.prp")), myPropBytes);
    switch (palace) {
    case Palace::Stored:
        h.storePalaceDirectory();
        Form1Harness::writeFile(h.livePath(), liveBytes);
        break;
    case Palace::StoredAfterStart:
        Form1Harness::writeFile(h.livePath(), liveBytes);
        break;
    case Palace::NoLiveFile:
        h.storePalaceDirectory();
        break;
    case Palace::DirectoryGone:
        h.settings.saveSetting(PalacePathSetting::application, PalacePathSetting::section,
                               PalacePathSetting::key,
                               h.palaceDir.filePath(QStringLiteral("gone")) + QDir::separator());
        break;
    case Palace::NotStored:
        break;
    case Palace::NotStoredLiveHere:
        Form1Harness::writeFile(currentDir.filePath(QStringLiteral("palace.prp")), liveBytes);
        break;
    }
}

BagScene::~BagScene() {
    QDir::setCurrent(previousCurrentDir_);
    // Qt cannot reach a name that is not valid text, so the temporary folder could not be removed.
    ::unlink((QFile::encodeName(h.programDir.path()) + '/' + latin1Bag).constData());
}

Form1& BagScene::start(const QString& selectName) {
    Form1& form = h.start();
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        qWarning("the main window was not exposed");
    if (palace_ == Palace::StoredAfterStart)
        h.storePalaceDirectory();
    if (!selectName.isEmpty())
        clickBag(selectName);
    return form;
}

void BagScene::clickBag(const QString& name) {
    BagList* list = h.probe().File1;
    const int row = static_cast<int>(list->names().indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name + QStringLiteral(" is not listed")));
    const QRect item = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QCOMPARE(h.probe().Selfile, name);
}

void BagScene::writeRawBag(const QByteArray& fileName) {
    const QByteArray path = QFile::encodeName(h.programDir.path()) + '/' + fileName;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0 && ::write(fd, fileName.constData(), size_t(fileName.size())) == fileName.size());
    QCOMPARE(::close(fd), 0);
}

void BagScene::sneakBagIn() {
    Form1Harness::writeFile(h.bagPath(sneakedBag), "sneaked");
    QVERIFY(!h.probe().File1->names().contains(sneakedBag));
}

bool BagScene::listWasRefreshed() const {
    return h.probe().File1->names().contains(sneakedBag);
}

void BagScene::checkOutcome(const Outcome& expected) const {
    QCOMPARE(describe(h.prompter.requests), expected.prompts);
    QCOMPARE(h.prompter.unusedAnswers(), 0);
    QCOMPARE(h.client.calls, expected.clientCalls);
    QCOMPARE(describe(programFiles()), describe(expected.programFiles));
    QCOMPARE(describe(palaceFiles()), describe(expected.palaceFiles));
    if (expected.currentDirFiles)
        QCOMPARE(describe(currentDirFiles()), describe(*expected.currentDirFiles));
    QCOMPARE(controlStates(h.probe()), expected.controls);
    QCOMPARE(listWasRefreshed(), expected.refreshed);
    QCOMPARE(h.probe().Selfile, expected.selfile);
}
