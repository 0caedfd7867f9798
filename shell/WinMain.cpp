#include "shell/WinMain.h"

#include "platform/InstanceLock.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "shell/DesktopStart.h"
#include "shell/Main.h"
#include "shell/ModalWatch.h"
#include "state/MainGlobals.h"

#include <QApplication>

#include <exception>

int TakeInstanceNumber(TInstanceLock &lock) {
    switch (lock.Acquire(3)) {
    case TInstanceLock::Taken:
        InstanceNumber = lock.Number();
        return InstanceNumber;
    case TInstanceLock::AllTaken:
        ShowMessage({LoadStr(70), QString::fromUtf8(DefaultProgramName), MsgIcon::None, MsgButtons::Ok});
        return 0;
    case TInstanceLock::Failed:
        break;
    }
    ShowMessage({LoadStr(22), QString::fromUtf8(DefaultProgramName), MsgIcon::None, MsgButtons::Ok});
    return 0;
}

int WinMain(int argc, char **argv) {
    GuardApplicationStart(argc > 0 ? argv[0] : nullptr);
    QApplication app(argc, argv);
    ReportStartedApplication();
    LoadQtTranslations(app);
    SetProgramIcon(app);
    InitNumberFormat();
    WatchModalWindows();
    TInstanceLock lock;
    if (TakeInstanceNumber(lock) == 0)
        return 0;
    // The name messages carry; the main window's title is its own caption, so no display name is set
    // (Qt would append it to every window title).
    QCoreApplication::setApplicationName(InstanceNumber == 1
                                             ? QString::fromUtf8(DefaultProgramName)
                                             : QStringLiteral("R9 копия ") + QString::number(InstanceNumber));
    try {
        TMainForm window(app.arguments().mid(1));
        window.show();
        app.exec();
    } catch (const std::exception &e) {
        ShowMessage({QString::fromUtf8(e.what()), QCoreApplication::applicationName(), MsgIcon::Error, MsgButtons::Ok});
    }
    return 0;
}
