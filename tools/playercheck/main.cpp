// Plays a recording through the player adapter without a window on screen and prints the
// position and telemetry once a second, changing speed and seeking on the way, until the
// recording ends. Usage: zyn-playercheck RECORDING [SCREENSHOT.png]; with a second argument
// the stand-in main window is shown and pictured at the third second.
#include "platform/AppMessage.h"
#include "platform/Library.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"
#include "player/PVEXstat3.h"
#include "player/PVEXstat9.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

// Stands in for the main window: it only needs to hear that the last record was reached, or
// that the recording could not be opened at all.
class Owner : public QWidget
{
public:
    bool lastRecord = false;
    bool openFailed = false;

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != platform::AppMessage::eventType())
            return QWidget::event(event);
        auto* message = static_cast<platform::AppMessage*>(event);
        if (message->message() == platform::UM_LAST_RECORD)
            lastRecord = true;
        else if (message->message() == platform::UM_OPEN_FAILED)
            openFailed = true;
        message->setResult(1);
        return true;
    }
};

void printLine(int tick, PVEXAdap& adapter)
{
    std::array<char, 128> gps{};
    std::array<std::uint8_t, 12> sensor{};
    const bool copies = adapter.telemetryCopies(gps, sensor);
    float xyz[3] = {};
    std::memcpy(xyz, sensor.data(), sizeof xyz);
    std::printf("%3d s  state %d  position %6.2f / %5.2f  record %u of %d  %s  G %.3f %.3f %.3f\n",
        tick, adapter.current()->stateNumberOf(), double(adapter.position.load()),
        double(adapter.length.load()), adapter.recordIndex.load(), adapter.recordTotal.load(),
        copies && gps[0] ? gps.data() : "(no position)", double(xyz[0]), double(xyz[1]),
        double(xyz[2]));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: zyn-playercheck RECORDING [SCREENSHOT.png]\n");
        return 2;
    }
    if (!QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        std::fprintf(stderr, "zyn-playercheck: %s: no such recording\n", argv[1]);
        return 2;
    }
    Owner owner;
    owner.resize(1020, 780);
    const QString screenshot = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (!screenshot.isEmpty())
        owner.show();
    PVEXAdap adapter(&owner);
    adapter.current()->placeVideo(0, 24, 52, 640, 480);
    const QByteArray library = platform::Library::playerLibraryFile().toLocal8Bit();
    if (const int result = adapter.current()->loadLibrary(library.constData())) {
        std::fprintf(stderr, "cannot load %s (%d)\n", library.constData(), result);
        return 1;
    }
    adapter.switchState(adapter.stateLoading.get());
    adapter.current()->openFile(argv[1], "");

    int tick = 0;
    QTimer failure;
    QObject::connect(&failure, &QTimer::timeout, [&] {
        if (!owner.openFailed)
            return;
        std::printf("-- cannot be opened: %s\n", adapter.failedFileName().c_str());
        app.quit();
    });
    failure.start(50);
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++tick;
        printLine(tick, adapter);
        if (tick == 3 && !screenshot.isEmpty())
            std::printf("-- picture %s\n", owner.grab().save(screenshot) ? "saved" : "NOT saved");
        if (tick == 2) {
            std::printf("-- speed 2x\n");
            adapter.current()->changeSpeed(2.f, 0);
        } else if (tick == 4) {
            std::printf("-- seek to 1 s, speed 1x\n");
            adapter.current()->seek(1.f, 0);
            adapter.current()->changeSpeed(1.f, 0);
        } else if (tick == 6) {
            std::printf("-- seek 2 s forward\n");
            adapter.current()->seek(2.f, 1);
        }
        const bool ended = owner.lastRecord || adapter.current() == adapter.stateIdle.get();
        if (ended || tick > 600) {
            std::printf("-- %s\n", owner.lastRecord ? "last record reached" : "ended");
            app.quit();
        }
    });
    timer.start(1000);
    app.exec();
    return owner.lastRecord ? 0 : 1;
}
