// A program instance of the pair test: the main window offscreen on the simulated instrument
// (R9_USB_BACKEND=sim) in the program folder R9_PROGRAM_DIR, its instrument on the measured line that
// R9_SIM_LINE names, driven by the script of its arguments.
#include "RemotePeerScript.h"

#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/ProgramDir.h"
#include "shell/Main.h"
#include "state/MainGlobals.h"
#include "support/SanitizerOptions.h"

#include <QApplication>
#include <QFile>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitNumberFormat();
    // Each peer has its own program folder, so both are copy 1 without taking the shared instance lock.
    InstanceNumber = 1;
    ConnectionKind = 1;
    // The simulated boot loader takes any firmware; this one is the smallest Intel-HEX file.
    QFile firmware(ProgramDir() + QStringLiteral("r9_307.i00"));
    if (!firmware.open(QIODevice::WriteOnly) || firmware.write(":0400100012345678D8\r\n:00000001FF\r\n") < 0)
        return 3;
    firmware.close();
    SetMessageBoxHandler([](const MessageRequest &request) {
        PeerSay(QStringLiteral("box ") + QString(request.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return int(IdYes);
    });
    TMainForm window({});
    window.show();
    TRemotePeerScript script(window, app.arguments().mid(1));
    script.Start();
    return app.exec();
}
