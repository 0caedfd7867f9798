#include "shell/DesktopStart.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct StartMessage {
    QtMsgType type;
    int line;
    QString text;
    std::string file, function, category;
};

std::mutex startMutex;
std::vector<StartMessage> startMessages;
std::string startProgramPath = "r9";

void StartHandler(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s: %s %s /demo\n", startProgramPath.c_str(), NoDisplayLine(), startProgramPath.c_str());
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
    const std::lock_guard lock(startMutex);
    startMessages.push_back({type, context.line, text, context.file ? context.file : "",
                             context.function ? context.function : "", context.category ? context.category : ""});
}

} // namespace

const char *NoDisplayLine() {
    return "для работы нужен графический дисплей (DISPLAY не задан или недоступен); без дисплея запустите "
           "под Xvfb: xvfb-run -a";
}

void GuardApplicationStart(const char *path) {
    if (path && *path)
        startProgramPath = path;
    qInstallMessageHandler(StartHandler);
}

void ReportStartedApplication() {
    qInstallMessageHandler(nullptr);
    std::vector<StartMessage> held;
    {
        const std::lock_guard lock(startMutex);
        held.swap(startMessages);
    }
    for (const StartMessage &m : held) {
        const QMessageLogContext context(m.file.empty() ? nullptr : m.file.c_str(), m.line,
                                         m.function.empty() ? nullptr : m.function.c_str(),
                                         m.category.empty() ? nullptr : m.category.c_str());
        qt_message_output(m.type, context, m.text);
    }
}

QTranslator *LoadQtTranslations(QApplication &app) {
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

void SetProgramIcon(QApplication &app) {
    app.setWindowIcon(QIcon(QStringLiteral(":/r9/r9.svg")));
}
