// List refresh: a click on the main window's background (Form_Click, which re-reads the saved-bag list)
// with many bags, against a bare readdir of the same directory filtered to "*.prp".
//
//   QT_QPA_PLATFORM=offscreen build-release/bench/refresh_bench [BAGS] [RUNS]
//
// The real main window is shown on the offscreen platform over a temporary program directory, wired as
// main.cpp wires it (the real file system, bag store and settings store), with a recording prompter and
// fake client detector and starter. Its settings are its own: a Palace directory is stored there whose
// palace.prp has a size no bag has, so that every bag's size is looked at and none is opened. Our figure is
// the handler plus the events it leaves behind (the list's new layout and repaint), which is what the user
// waits for. The rows in parentheses split it: the handler alone, and the bag store's listing alone (read,
// keep, sort); the last one is the time until every bag has been held against palace.prp, which the list
// does a slice at a time once it is shown.
#include "BenchTable.h"

#include "app/mainwindow/BagList.h"
#include "app/mainwindow/Form1.h"
#include "app/pathdialog/PathDialogStart.h"
#include "app/pathdialog/sources/SystemDirectoryLister.h"
#include "app/pathdialog/sources/SystemDriveSource.h"
#include "platform/drives/DriveScanner.h"
#include "platform/files/PosixFileSystem.h"
#include "props/BagStore.h"
#include "settings/IniFileSettingsStore.h"
#include "support/FakePrompter.h"
#include "support/Fakes.h"
#include "support/Form1Probe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>

namespace {

constexpr int warmUps = 5;

// The offscreen platform says that it passes no size hints on; that is no concern here.
void quietPlatformNotices(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtWarningMsg || !message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

std::vector<std::string> bareListing(const char* directory) {
    std::vector<std::string> names;
    DIR* stream = opendir(directory);
    if (!stream)
        return names;
    while (const dirent* entry = readdir(stream)) {
        const size_t length = std::strlen(entry->d_name);
        if (length >= 4 && std::memcmp(entry->d_name + length - 4, ".prp", 4) == 0)
            names.emplace_back(entry->d_name, length);
    }
    closedir(stream);
    return names;
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietPlatformNotices);
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    const int bags = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 51;
    if (bags < 0 || runs <= 0 || runs > 10000)
        return 2;

    QTemporaryDir programDir;
    for (int i = 0; i < bags; ++i) {
        QFile bag(programDir.filePath(QStringLiteral("Prop bag %1.prp").arg(i, 5, 10, QLatin1Char('0'))));
        if (!bag.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(bag.fileName()));
            return 1;
        }
    }
    const QByteArray directory = QFile::encodeName(programDir.path());

    PosixFileSystem fileSystem;
    Trash trash(fileSystem, TrashOwner::fromEnvironment());
    FileSteps steps(fileSystem, &trash);
    BagStore store(fileSystem, steps, directory);
    IniFileSettingsStore settings(fileSystem);
    QTemporaryDir palaceDir;
    QFile live(palaceDir.filePath(QStringLiteral("palace.prp")));
    if (!live.open(QIODevice::WriteOnly) || live.write(QByteArray(4000, 'q')) != 4000 ||
        !settings.saveSetting(PalacePathSetting::application, PalacePathSetting::section,
                              PalacePathSetting::key, palaceDir.path() + QLatin1Char('/'))) {
        std::fprintf(stderr, "cannot store a Palace directory\n");
        return 1;
    }
    live.close();
    FakeClientDetector client;
    FakeProgramStarter starter;
    FakePrompter prompter;
    SystemDriveSource drives;
    SystemDirectoryLister directories;
    PathDialogStart start(settings, DriveScanner::winePrefix(), QDir::homePath());
    Form1 window({settings, store, client, starter, prompter,
                  Form2Services{settings, prompter, drives, directories, start}, [] {}});
    window.show();
    const Form1Probe form(window);
    QCoreApplication::processEvents();

    std::vector<double> handler, handlerAndPaint, marked, listing, readdirOnly;
    size_t listed = 0;
    for (int round = -warmUps; round < runs; ++round) {
        const auto clicked = std::chrono::steady_clock::now();
        form.Form_Click();
        const double handlerMs = BenchTable::millisecondsSince(clicked);
        QCoreApplication::processEvents();
        const double totalMs = BenchTable::millisecondsSince(clicked);
        while (!form.marksWorkedOut())
            QCoreApplication::processEvents();
        const double markedMs = BenchTable::millisecondsSince(clicked);

        const auto listingStart = std::chrono::steady_clock::now();
        const StepValue<BagNames> stored = store.list();
        const double listingMs = BenchTable::millisecondsSince(listingStart);

        const auto readdirStart = std::chrono::steady_clock::now();
        listed = bareListing(directory.constData()).size();
        const double readdirMs = BenchTable::millisecondsSince(readdirStart);
        if (round >= 0) {
            handler.push_back(handlerMs);
            handlerAndPaint.push_back(totalMs);
            marked.push_back(markedMs);
            listing.push_back(listingMs);
            readdirOnly.push_back(readdirMs);
        }
    }
    if (form.File1->model()->rowCount() != bags || listed != size_t(bags)) {
        std::fprintf(stderr, "listed %d and %zu names of %d bags\n", form.File1->model()->rowCount(), listed,
                     bags);
        return 1;
    }

    using BenchTable::Goal;
    const std::string what = "list refresh (Form_Click), " + std::to_string(bags) + " bags";
    BenchTable::row(what.c_str(), BenchTable::median(handlerAndPaint), "bare readdir *.prp",
                    BenchTable::median(readdirOnly), "ms", {Goal::RatioAtMost, 2});
    BenchTable::row("  (the handler alone, without repaint)", BenchTable::median(handler),
                    "bare readdir *.prp", BenchTable::median(readdirOnly), "ms", {});
    BenchTable::row("  (the listing alone: read, keep, sort)", BenchTable::median(listing),
                    "bare readdir *.prp", BenchTable::median(readdirOnly), "ms", {});
    BenchTable::row("  (until every bag is marked)", BenchTable::median(marked), "bare readdir *.prp",
                    BenchTable::median(readdirOnly), "ms", {});
    return 0;
}
