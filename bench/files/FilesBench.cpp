// Listing a card folder of 5000 recordings of a tab's kind (beside 5000 of the other kinds and
// a few other files): the folder read alone, and the file selector's whole choice of the
// folder for a tab (read once, the list filled, the counters refreshed). Goal: under 300 ms.
#include "files/FilesOpenPopup.h"
#include "files/RecordingFolder.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kPerKind = 5000;
QString g_card;

bool writeCard(const QString& folder)
{
    const QDir dir(folder);
    const auto touch = [&](const QString& name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly);
    };
    for (int i = 0; i < kPerKind; ++i) {
        // Seconds apart, spread over days, created out of order as a camera's card may be.
        const int n = (i * 7919) % kPerKind;
        const QString stamp = QString::asprintf(
            "202405%02d_%02d%02d%02d", 1 + n / 3600 % 28, n / 3600 % 24, n / 60 % 60, n % 60);
        if (!touch("evt_" + stamp + ".mp4") || !touch("drf_" + stamp + ".mp4"))
            return false;
    }
    return touch("notes.txt") && dir.mkdir("evt_20230101_000000.mp4");
}

void BM_ListRecordings(benchmark::State& state)
{
    for (auto _ : state) {
        const files::FolderListing listing = files::listRecordings(g_card, recording::Event);
        if (listing.names.size() != kPerKind)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(BM_ListRecordings)->Unit(benchmark::kMillisecond);

void BM_ChooseFolderForTab(benchmark::State& state)
{
    platform::RecordingMessageBox messages;
    QWidget owner;
    FilesOpenPopup popup(&owner);
    popup.SetVisible(5);
    popup.findChild<QTabBar*>(QStringLiteral("1246"))->setCurrentIndex(1); // the list on show
    for (auto _ : state) {
        if (popup.ScanFolder(g_card, 1) != kPerKind)
            state.SkipWithError("wrong count");
        QApplication::processEvents(); // the list's layout and paint belong to the cost
    }
}
BENCHMARK(BM_ChooseFolderForTab)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    g_card = folder.path();
    if (!folder.isValid() || !writeCard(g_card)) {
        std::fprintf(stderr, "could not write the benchmark folder\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
