// List refresh: a click on the main window's background (Form_Click, which re-reads the saved-bag list)
// with many bags, against a bare readdir of the same directory filtered to "*.prp".
//
//   QT_QPA_PLATFORM=offscreen build-release/bench/refresh_bench [BAGS] [RUNS]
//
// The real main window is shown on the offscreen platform by the window tests' harness, over a temporary
// program directory, with a recording prompter and fake client detector and starter. Our figure is the
// handler plus the events it leaves behind (the list's new layout and repaint), which is what the user waits
// for.
#include "BenchTable.h"

#include "app/BagList.h"
#include "support/Form1Harness.h"

#include <QApplication>
#include <QFile>

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
    QApplication app(argc, argv);
    const int bags = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 51;
    if (bags < 0 || runs <= 0 || runs > 10000)
        return 2;

    Form1Harness harness;
    const QTemporaryDir& programDir = harness.programDir;
    for (int i = 0; i < bags; ++i) {
        QFile bag(programDir.filePath(QStringLiteral("Prop bag %1.prp").arg(i, 5, 10, QLatin1Char('0'))));
        if (!bag.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(bag.fileName()));
            return 1;
        }
    }
    const QByteArray directory = QFile::encodeName(programDir.path());

    harness.start().show();
    const Form1Probe form = harness.probe();
    QCoreApplication::processEvents();

    std::vector<double> handler, handlerAndPaint, readdirOnly;
    size_t listed = 0;
    for (int round = -warmUps; round < runs; ++round) {
        const auto clicked = std::chrono::steady_clock::now();
        form.Form_Click();
        const double handlerMs = BenchTable::millisecondsSince(clicked);
        QCoreApplication::processEvents();
        const double totalMs = BenchTable::millisecondsSince(clicked);

        const auto listingStart = std::chrono::steady_clock::now();
        listed = bareListing(directory.constData()).size();
        const double listingMs = BenchTable::millisecondsSince(listingStart);
        if (round >= 0) {
            handler.push_back(handlerMs);
            handlerAndPaint.push_back(totalMs);
            readdirOnly.push_back(listingMs);
        }
    }
    if (form.File1->names().size() != bags || listed != size_t(bags)) {
        std::fprintf(stderr, "listed %lld and %zu names of %d bags\n",
                     static_cast<long long>(form.File1->names().size()), listed, bags);
        return 1;
    }

    using BenchTable::Goal;
    const std::string what = "list refresh (Form_Click), " + std::to_string(bags) + " bags";
    BenchTable::row(what.c_str(), BenchTable::median(handlerAndPaint), "bare readdir *.prp",
                    BenchTable::median(readdirOnly), "ms", {Goal::RatioAtMost, 3});
    BenchTable::row("  (the handler alone, without repaint)", BenchTable::median(handler),
                    "bare readdir *.prp", BenchTable::median(readdirOnly), "ms", {});
    return 0;
}
