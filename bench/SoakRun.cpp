// The soak run of scripts/soak (not a benchmark and not in CI): the program in demonstration mode on the
// offscreen platform, the SIN measurement recorded with three graph windows open, for a given time. It
// prints the blocks the emulator delivered, the blocks the recording holds (what the main window took),
// the blocks lost between the two, the resident memory at the start and at the end, and the size of the
// recording. Usage: r9_soak [minutes] (default 10).
#include "chart/ChartlibChart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "platform/MessageService.h"
#include "shell/Main.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include "ProcessUsage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double minutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble() : 10.0;
    QTemporaryDir folder;
    qputenv("R9_PROGRAM_DIR", folder.path().toLocal8Bit());
    // Nobody answers boxes in a soak: every question is answered Yes and printed.
    SetMessageBoxHandler([](const MessageRequest &request) {
        std::printf("message: %s\n", qPrintable(request.text));
        return int(IdYes);
    });
    SetChartDialogs({[](QWidget *, const TSaveDialogRequest &) { return QString(); }, {}, {}});

    auto form = std::make_unique<TMainForm>(QStringList{QStringLiteral("/demo")});
    form->resize(1600, 1000);
    form->show();
    DeviceSettings->Block.State = 0;
    DeviceSettings->Sin.State = 1;
    DeviceSettings->Sin.F1 = 3.3f;
    DeviceSettings->Mode |= 0x08;
    if (GraphParamSettings[0][1])
        GraphParamSettings[0][1]->Analyse = 1;
    form->Button_Start->click();
    if (!Emulator) {
        std::printf("the demo measurement did not start\n");
        return 1;
    }
    for (int kind : {0, 1, 2}) {
        form->CurrentIndex = kind;
        form->ShowGraphWindow();
    }
    long delivered = 0;
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&delivered, deliver](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        ++delivered;
        deliver(sender, block, n, t);
    };
    form->Button_SaveData->click();

    QElapsedTimer clock;
    clock.start();
    double startMemory = 0;
    const qint64 limit = qint64(minutes * 60 * 1000);
    while (clock.elapsed() < limit) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        if (startMemory == 0 && delivered >= 100)
            startMemory = double(ResidentBytes()) / (1 << 20);
    }
    const double endMemory = double(ResidentBytes()) / (1 << 20);
    const QString adc = folder.path() + QStringLiteral("/Data/R9_WriteData1.adc");
    const int32_t blockBytes = 2 * DeviceSettings->AdcSize;
    const long recorded = long(QFileInfo(adc).size() / blockBytes);
    const double recordingMegabytes = double(QFileInfo(adc).size()) / (1 << 20);
    // Counted before Stop, whose waiting still takes blocks that a measurement being ended does not record.
    const long deliveredBeforeStop = delivered;
    form->StopMeasurement(QString(), false);
    std::printf("minutes: %.1f\n", double(clock.elapsed()) / 60000);
    std::printf("blocks delivered by the emulator: %ld\n", deliveredBeforeStop);
    std::printf("blocks processed and recorded: %ld\n", recorded);
    std::printf("blocks lost: %ld\n", deliveredBeforeStop - recorded);
    std::printf("resident memory at the start (after 100 blocks): %.1f MB\n", startMemory);
    std::printf("resident memory at the end: %.1f MB\n", endMemory);
    std::printf("recorded samples: %.1f MB\n", recordingMegabytes);
    form.reset();
    return 0;
}
