#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1.h"
#include "support/BagPrompts.h"
#include "support/Form1Harness.h"
#include "support/Form1Probe.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>
#include <cerrno>
#include <cstring>

// Awkward typed names, each through the real window for save and for rename. A name is used as typed,
// with ".prp" appended, unless it is not one file name in the program directory: then nothing is written
// anywhere and the operation takes its failure path.
namespace {

enum class Outcome {
    Written, // save: the new bag holds the live bytes; rename: the new bag holds a.prp's bytes, a.prp gone
    NoName,  // nothing typed
    Refused, // not one file name: nothing written, the failure path
    Failed,  // the system refuses the name (errno in the row): nothing written, the failure path
    Kept,    // rename onto the bag's own name: nothing changes
};

struct BadName {
    QString typed;
    Outcome save;
    Outcome rename;
    int error = 0; // for Failed
};

int namesTried = 0;

// The bags that an escaping name would write: "../x" beside the program directory, "/abs" in the root.
QStringList outsideProgramDirectory(const Form1Harness& scene) {
    const QDir parent = QFileInfo(scene.programDir.path()).dir();
    QStringList found = parent.entryList({QStringLiteral("x.prp"), QStringLiteral("abs.prp")},
                                         QDir::AllEntries | QDir::Hidden | QDir::System);
    if (QFileInfo::exists(QStringLiteral("/abs.prp")))
        found.append(QStringLiteral("/abs.prp"));
    return found;
}

} // namespace

Q_DECLARE_METATYPE(BadName)

class BadNamesTest : public QObject {
    Q_OBJECT

private slots:
    void names_data() {
        QTest::addColumn<BadName>("row");
        const QString nameMax = QString(251, QLatin1Char('x'));  // 255 bytes with ".prp"
        const QString nameOver = QString(252, QLatin1Char('x')); // 256 bytes with ".prp"
        const QString bytes300 = QString(300, QLatin1Char('n'));
        const QString wide300 = QString(150, QChar(0x00E9)); // 150 characters, 300 bytes in UTF-8
        QTest::newRow("empty") << BadName{{}, Outcome::NoName, Outcome::NoName};
        QTest::newRow("one space") << BadName{QStringLiteral(" "), Outcome::Written, Outcome::Written};
        QTest::newRow("dot") << BadName{QStringLiteral("."), Outcome::Refused, Outcome::Refused};
        QTest::newRow("dot dot") << BadName{QStringLiteral(".."), Outcome::Refused, Outcome::Refused};
        QTest::newRow("into an existing subfolder")
            << BadName{QStringLiteral("a/b"), Outcome::Refused, Outcome::Refused};
        QTest::newRow("up and out") << BadName{QStringLiteral("../x"), Outcome::Refused, Outcome::Refused};
        QTest::newRow("absolute") << BadName{QStringLiteral("/abs"), Outcome::Refused, Outcome::Refused};
        QTest::newRow("trailing slash") << BadName{QStringLiteral("a/"), Outcome::Refused, Outcome::Refused};
        QTest::newRow("NUL inside") << BadName{QStringLiteral("z") + QChar(0) + QStringLiteral("y"),
                                               Outcome::Refused, Outcome::Refused};
        QTest::newRow("300 bytes") << BadName{bytes300, Outcome::Failed, Outcome::Failed, ENAMETOOLONG};
        QTest::newRow("300 bytes in 150 characters")
            << BadName{wide300, Outcome::Failed, Outcome::Failed, ENAMETOOLONG};
        QTest::newRow("longest that fits") << BadName{nameMax, Outcome::Written, Outcome::Written};
        QTest::newRow("one byte too long")
            << BadName{nameOver, Outcome::Failed, Outcome::Failed, ENAMETOOLONG};
        QTest::newRow("newline inside")
            << BadName{QStringLiteral("a\nb"), Outcome::Written, Outcome::Written};
        QTest::newRow("carriage return inside")
            << BadName{QStringLiteral("a\rb"), Outcome::Written, Outcome::Written};
        QTest::newRow("control character") << BadName{QStringLiteral("a\x01"
                                                                     "b"),
                                                      Outcome::Written, Outcome::Written};
        QTest::newRow("backslash") << BadName{QStringLiteral("a\\b"), Outcome::Written, Outcome::Written};
        QTest::newRow("wildcard") << BadName{QStringLiteral("*"), Outcome::Written, Outcome::Written};
        QTest::newRow("typed extension")
            << BadName{QStringLiteral("a.prp"), Outcome::Written, Outcome::Written};
        QTest::newRow("selected bag's name in capitals")
            << BadName{QStringLiteral("A"), Outcome::Written, Outcome::Written};
        QTest::newRow("other bag's name in capitals")
            << BadName{QStringLiteral("MYPROP"), Outcome::Written, Outcome::Written};
        QTest::newRow("selected bag's own name")
            << BadName{QStringLiteral("a"), Outcome::Written, Outcome::Kept};
        QTest::newRow("like our temporary files")
            << BadName{QStringLiteral(".stowbox-AbC123.tmp"), Outcome::Written, Outcome::Written};
        QTest::newRow("our temporary prefix")
            << BadName{QStringLiteral(".stowbox-AbC123"), Outcome::Written, Outcome::Written};
        QTest::newRow("hidden") << BadName{QStringLiteral(".hidden"), Outcome::Written, Outcome::Written};
    }

    void names() {
        QFETCH(BadName, row);
        ++namesTried;
        checkSave(row);
        if (QTest::currentTestFailed())
            return;
        checkRename(row);
    }

    void cleanupTestCase() { qInfo("bad names tried: %d (each through save and rename)", namesTried); }

private:
    // A window with a.prp selected, and what lay around it before a name was tried.
    struct Trial {
        Form1Harness scene{Form1Harness::Palace::Stored};
        DirectoryContents expected; // the program files once the name has been tried
        DirectoryContents palaceBefore;
        QStringList outsideBefore;
    };

    static void prepare(Form1Harness& scene) {
        // With a subfolder "a" in the program directory, "a/b" could really be written if it were let
        // through.
        QVERIFY(QDir(scene.programDir.path()).mkdir(QStringLiteral("a")));
    }

    static Form1Probe begin(Trial& t) {
        prepare(t.scene);
        Form1Probe f = t.scene.open(QStringLiteral("a.prp"));
        t.expected = t.scene.programFiles();
        t.palaceBefore = t.scene.palaceFiles();
        t.outsideBefore = outsideProgramDirectory(t.scene);
        return f;
    }

    // The program directory holds what was expected; nothing changed anywhere else.
    static void checkFiles(const Trial& t) {
        QCOMPARE(describe(t.scene.programFiles()), describe(t.expected));
        QCOMPARE(describe(t.scene.palaceFiles()), describe(t.palaceBefore));
        QCOMPARE(outsideProgramDirectory(t.scene), t.outsideBefore);
    }

    static void checkSave(const BadName& row) {
        Trial t;
        Form1Probe f = begin(t);
        const QString bag = row.typed + QStringLiteral(".prp");
        if (row.save == Outcome::Written)
            t.expected.insert(bag, Form1Harness::liveBytes);
        t.scene.prompter.answerText(row.typed);
        const bool fails = row.save == Outcome::Refused || row.save == Outcome::Failed;
        if (fails)
            t.scene.prompter.answerMessage(Pressed::Ok);

        QTest::mouseClick(f.Command2, Qt::LeftButton);

        QCOMPARE(describe(t.scene.prompter.requests),
                 fails ? QStringList({askBagName, palaceFilesError}) : QStringList({askBagName}));
        checkFiles(t);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(controlStates(f), fails ? QStringLiteral("load:off save:off list:on delete:on rename:on")
                                         : QStringLiteral("load:off save:on list:on delete:on rename:on"));
        if (row.save == Outcome::Written)
            QVERIFY(f.bagNames().contains(bag));
        checkStartUpKeepsEveryBag(t.scene, t.expected);
    }

    static void checkRename(const BadName& row) {
        Trial t;
        Form1Probe f = begin(t);
        const QString bag = row.typed + QStringLiteral(".prp");
        if (row.rename == Outcome::Written)
            t.expected.insert(bag, t.expected.take(QStringLiteral("a.prp")));
        t.scene.prompter.answerText(row.typed);
        QStringList prompts{askNewBagName};
        if (row.rename == Outcome::NoName)
            prompts.append(renameNoNameError);
        if (row.rename == Outcome::Refused || row.rename == Outcome::Failed) {
            const QString reason = row.rename == Outcome::Failed
                                       ? QString::fromLocal8Bit(std::strerror(row.error))
                                       : QStringLiteral("The name must be one file name, without a folder.");
            prompts.append(renameError(t.scene.bagPath(QStringLiteral("a.prp")),
                                       t.scene.programDir.path() + QLatin1Char('/') + bag, reason));
        }
        for (int i = 1; i < prompts.size(); ++i)
            t.scene.prompter.answerMessage(Pressed::Ok);

        f.menRename->trigger();

        QCOMPARE(describe(t.scene.prompter.requests), prompts);
        checkFiles(t);
        if (QTest::currentTestFailed())
            return;
        const bool carriedOut = row.rename == Outcome::Written || row.rename == Outcome::NoName;
        QCOMPARE(controlStates(f), carriedOut
                                       ? QStringLiteral("load:off save:on list:on delete:on rename:off")
                                       : QStringLiteral("load:on save:on list:on delete:on rename:on"));
        if (row.rename == Outcome::Written)
            QVERIFY(f.bagNames().contains(bag));
        checkStartUpKeepsEveryBag(t.scene, t.expected);
    }

    // The clean-up of a later start removes only our own temporary files, never a bag the user named.
    static void checkStartUpKeepsEveryBag(Form1Harness& scene, const DirectoryContents& expected) {
        scene.fileSteps.steps.removeLeftovers({QFile::encodeName(scene.programDir.path())});
        QCOMPARE(describe(scene.programFiles()), describe(expected));
    }
};

QTEST_MAIN(BadNamesTest)
#include "tst_badnames.moc"
