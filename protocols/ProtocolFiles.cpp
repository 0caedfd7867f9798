#include "protocols/ProtocolFiles.h"

#include "chart/HtmlText.h"
#include "chartlib/Chartlib.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "protocols/Form_cmt.h"
#include "protocols/PackageWork.h"
#include "protocols/ProtocolEntry.h"
#include "protocols/ProtocolState.h"
#include "state/MainGlobals.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

TProtocolHost &ProtocolHost() {
    static TProtocolHost host;
    return host;
}

QString &ProtocolDirReport() {
    static QString own;
    QString *registered = ProtocolHost().DirReport ? ProtocolHost().DirReport() : nullptr;
    return registered ? *registered : own;
}

namespace {

// A dialog of the protocol is open or a close runs; closes asked for meanwhile wait in deferred*.
int onHold = 0;
bool deferredClose = false;
bool deferredUnattended = false;

const QByteArray CommentMarker = QByteArrayLiteral("<NOBR/NOBR>");

QString PageName(const char *stem) {
    return QString::fromLatin1(stem) + QString::number(InstanceNumber) + QStringLiteral(".html");
}

QString Head(const QString &title, const QString &body, const QString &after) {
    return QStringLiteral("<HTML><HEAD><TITLE>") + title + QStringLiteral("</TITLE>\n") +
           QStringLiteral("<META content=\"text/html; charset=windows-1251\" http-equiv=Content-Type>\n") + body +
           QStringLiteral("</HEAD>\n<BODY>\n") + after;
}

const QString HeadingStyle =
    QStringLiteral("<style type=\"text/css\"> h5 { margin-top: 1em; margin-bottom: 0.5em;} </style>\n");

QString PageHead(int kind) {
    switch (kind) {
    case ListPage:
        return Head(LoadStr(449),
                    QStringLiteral("<BODY aLink=#0000ff bgColor=#A9A9A9 text=#000000 vLink=#0000ff>\n"
                                   "<BASE TARGET=\"Frame2\">\n"),
                    QStringLiteral("<H5 align=left><NOBR>") + LoadStr(444) + QStringLiteral("</NOBR></H5>\n"));
    case ContentsPage:
        return Head(LoadStr(449), QStringLiteral("<BODY aLink=#0000ff bgColor=\"white\" text=#000000 vLink=#0000ff>\n"),
                    QString());
    case DataPage:
        return Head(LoadStr(449), QStringLiteral("<BODY aLink=#0000ff vLink=#0000ff>\n"), HeadingStyle);
    default:
        return Head(LoadStr(446), QStringLiteral("<BODY aLink=#0000ff vLink=#0000ff>\n"),
                    HeadingStyle + QStringLiteral("<style type=\"text/css\"> table { page-break-after: always; "
                                                  "margin-top: 0.5em; margin-bottom: 0.5em; } </style>\n"));
    }
}

QStringList WorkPages(const QString &folder, const char *pattern) {
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name : dir.entryList({QLatin1String(pattern)}, QDir::Files))
        paths << dir.filePath(name);
    return paths;
}

bool IsPage(const QString &name) {
    return name == PageName("_Start_") || name == PageName("cnt0_") || name == PageName("cnt1_") ||
           QDir::match(QStringLiteral("*_data_*.html"), name) || QDir::match(QStringLiteral("*_sett_*.html"), name);
}

// Moves the pictures (every file that is not a page) into the target; one whose name the target holds
// already goes under a free name, and the data pages that show it follow.
void MovePictures(const QString &work, const QString &target) {
    const QDir from(work);
    const QDir to(target);
    const QStringList dataPages = WorkPages(work, "*_data_*.html");
    for (const QString &name : from.entryList(QDir::Files)) {
        if (IsPage(name))
            continue;
        const QString free = FreeName(to, name);
        if (!QFile::rename(from.filePath(name), to.filePath(free)) || free == name)
            continue;
        const QByteArray was = ToCp1251(QStringLiteral("\".\\") + name + '"');
        const QByteArray now = ToCp1251(QStringLiteral("\".\\") + free + '"');
        for (const QString &page : dataPages) {
            QFile file(page);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            QByteArray bytes = file.readAll();
            file.close();
            if (bytes.contains(was))
                WriteFileAtomically(page, bytes.replace(was, now));
        }
    }
}

void FileProtocol(bool batch) {
    if (ProtocolComment.isEmpty())
        ProtocolComment = QStringLiteral(" ");
    const QString work = QFileInfo(ProtocolFilePaths[ListPage]).absolutePath() + '/';
    const QString target = ProtocolDirReport();
    // Pages already in the chosen folder (the work folder itself chosen) are only given their comment.
    batch = batch || QFileInfo(target).canonicalFilePath() == QFileInfo(work).canonicalFilePath();
    if (!batch)
        MovePictures(work, target);
    for (const QString &page : WorkPages(work, "*_data_*.html")) {
        FillCommentField(page);
        if (!batch)
            MergeProtocolPage(page, DataPage);
    }
    if (!batch)
        for (const QString &page : WorkPages(work, "*_sett_*.html"))
            MergeProtocolPage(page, SettingsPage);
    FillCommentField(ProtocolFilePaths[ListPage]);
    FillCommentField(ProtocolFilePaths[ContentsPage]);
    if (!batch) {
        for (int page : {FramesetPage, ListPage, ContentsPage})
            MergeProtocolPage(ProtocolFilePaths[std::size_t(page)], page);
        // Whatever is left (a page that could not be appended) is kept beside the filed pages.
        ClearOrMoveFiles(ReportTempFolder(), target, true);
    }
    ProtocolState = 0;
}

void CloseNow(bool unattended) {
    if (ProtocolState != 1 || ProtocolFilePaths[ContentsPage].isEmpty()) {
        ProtocolState = 0;
        return;
    }
    AppendToProtocolPage(ContentsPage, {QStringLiteral("</table>\n")});
    QString &dirReport = ProtocolDirReport();
    bool filed = true;
    if (unattended || UnderRemoteControl == 1) {
        dirReport =
            ProgramDir() + (unattended ? QStringLiteral("Report/UnsavedProtocol/") : QStringLiteral("Report/Remote/"));
        QDir().mkpath(dirReport);
        ProtocolComment = unattended ? QString() : LoadStr(452);
    } else if (PackageWork) {
        dirReport = ProtocolWorkFolder();
        QDir().mkpath(dirReport);
    } else if (BatchMessagesDiverted()) {
        // The closing program deleted the batch controller and its result folder with it, and still nobody
        // is there to answer a dialog: the pages stay where the run wrote them.
        dirReport = QFileInfo(ProtocolFilePaths[ListPage]).absolutePath() + '/';
    } else {
        filed = AskProtocolDialog(1);
    }
    UnderRemoteControl = 0;
    if (filed) {
        FileProtocol(PackageWork != nullptr);
    } else {
        ClearOrMoveFiles(ReportTempFolder(), QString(), false);
        ProtocolState = -1;
    }
}

void RunDeferredClose() {
    if (onHold > 0 || !deferredClose)
        return;
    const bool unattended = deferredUnattended;
    deferredClose = false;
    deferredUnattended = false;
    CloseProtocol(unattended);
}

} // namespace

void InitProtocolFiles() {
    const QString folder = ReportTempFolder();
    ProtocolFileNames = {PageName("_Start_"), PageName("cnt0_"), PageName("cnt1_"), QString(), QString()};
    bool all = true;
    for (int page : {FramesetPage, ListPage, ContentsPage}) {
        ProtocolFilePaths[std::size_t(page)] = folder + ProtocolFileNames[std::size_t(page)];
        all = all && QFileInfo::exists(ProtocolFilePaths[std::size_t(page)]);
    }
    ProtocolState = all ? 1 : 0;
    if (!all)
        ProtocolFilePaths = {};
}

bool ProtocolClosing() {
    return onHold > 0;
}

void CloseProtocol(bool unattended) {
    if (onHold > 0) {
        deferredClose = true;
        deferredUnattended = deferredUnattended || unattended;
        return;
    }
    ++onHold;
    CloseNow(unattended);
    --onHold;
    RunDeferredClose();
}

bool AskProtocolDialog(int mode) {
    ++onHold;
    const bool ok = RunCommentDialog(mode);
    --onHold;
    RunDeferredClose();
    return ok;
}

QString CommentFieldText(const QString &comment) {
    QString kept;
    for (const QChar c : comment)
        if (c.unicode() >= 0x20 && EncodableInCp1251(c))
            kept += c;
    const QString escaped = HtmlEscaped(kept);
    qsizetype cut = std::min<qsizetype>(escaped.size(), ProtocolCommentFieldSize);
    // An entity that the cut would split goes whole.
    const qsizetype amp = cut > 0 ? escaped.lastIndexOf(QLatin1Char('&'), cut - 1) : -1;
    if (amp >= 0 && escaped.indexOf(QLatin1Char(';'), amp) >= cut)
        cut = amp;
    return escaped.left(cut).leftJustified(ProtocolCommentFieldSize, QLatin1Char(' '));
}

void FillCommentField(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = file.readAll();
    file.close();
    const QByteArray field = ToCp1251(CommentFieldText(ProtocolComment));
    bool changed = false;
    for (qsizetype at = bytes.indexOf(CommentMarker); at >= 0; at = bytes.indexOf(CommentMarker, at + 1)) {
        const qsizetype length = std::min<qsizetype>(field.size(), bytes.size() - at);
        bytes.replace(at, length, field.left(length));
        changed = true;
    }
    if (changed)
        WriteFileAtomically(path, bytes);
}

void MergeProtocolPage(const QString &path, int kind) {
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    const QString target = ProtocolDirReport() + QFileInfo(path).fileName();
    if (kind == FramesetPage) {
        if (QFileInfo::exists(target))
            QFile::remove(path);
        else
            QFile::rename(path, target);
        return;
    }
    if (!QFileInfo::exists(target)) {
        std::unique_ptr<QFile> file;
        if (!OpenFileStream(file, target, FileOpenMode::Create, SeekOrigin::Begin) ||
            !WriteTextToFile(*file, PageHead(kind)))
            return;
    }
    AppendFileTo(target, path, false);
}
