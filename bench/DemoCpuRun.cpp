// The whole program in demonstration mode as a user first tries it: the main window of 1600x1000, NOISE
// measured in blocks of 2048 samples, one spectrum window maximised in the window area. After a few seconds
// of settling it measures for a given time (default 30 s) and prints the program's CPU time (every thread)
// as a share of one core, and the blocks the emulator delivered. Run it under xvfb-run to draw to a real
// screen; with R9_SCREENSHOTS naming a folder it keeps a picture of the main window there. Usage:
// r9_demo_cpu [seconds].
#include "engine/EngineBuffers.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "platform/MessageService.h"
#include "shell/Main.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include "ProcessUsage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <memory>

namespace {

// The program's own event loop, as it runs for the user.
void RunFor(qint64 milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 30.0;
    QTemporaryDir folder;
    qputenv("R9_PROGRAM_DIR", folder.path().toLocal8Bit());
    SetMessageBoxHandler([](const MessageRequest &request) {
        std::printf("message: %s\n", qPrintable(request.text));
        return int(IdYes);
    });

    auto form = std::make_unique<TMainForm>(QStringList{QStringLiteral("/demo")});
    form->resize(1600, 1000);
    form->show();
    DeviceSettings->Block.State = 0;
    DeviceSettings->Noise.State = 1;
    DeviceSettings->Mode |= 0x80;
    form->Button_Start->click();
    if (!Emulator) {
        std::printf("the demo measurement did not start\n");
        return 1;
    }
    form->CurrentIndex = 1;
    QWidget *spectrum = form->ShowGraphWindow();
    if (QMdiSubWindow *sub = spectrum ? form->SubWindowOf(spectrum) : nullptr)
        sub->showMaximized();
    long delivered = 0;
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&delivered, deliver](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        ++delivered;
        deliver(sender, block, n, t);
    };
    RunFor(3000);

    const long deliveredBefore = delivered;
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    RunFor(qint64(seconds * 1000));
    const double wall = double(clock.elapsed()) / 1000;
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    std::printf("signal kind: %d, block size: %d, spectrum window: %dx%d\n", int(SignalKind),
                int(DeviceSettings->AdcSize), spectrum ? spectrum->width() : 0, spectrum ? spectrum->height() : 0);
    std::printf("blocks delivered: %ld in %.1f s\n", delivered - deliveredBefore, wall);
    std::printf("cpu share of one core: %.2f %%\n", 100 * cpu / wall);
    // A picture of what was measured, for a look by eye.
    if (const QString shots = qEnvironmentVariable("R9_SCREENSHOTS"); !shots.isEmpty())
        form->grab().save(shots + QStringLiteral("/demo_maximised_spectrum.png"));
    form->StopMeasurement(QString(), false);
    form.reset();
    return 0;
}
