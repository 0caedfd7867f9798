#pragma once

#include <QString>

class QWidget;

#include <functional>

// Filing the HTML measurement protocol: the pages built in the work folder are given their heads and
// appended to the pages of the same kind in the target folder, and the pictures move there, so one folder
// collects protocols.

// What the filing reaches of the main window: its protocol folder DirReport (ending in a separator),
// which the save dialog starts from and every filing sets, and the window the dialog is centred on. While
// nothing is registered the filing keeps the folder itself.
struct TProtocolHost {
    std::function<QString *()> DirReport;
    std::function<QWidget *()> MainWindow;
};
TProtocolHost &ProtocolHost();
QString &ProtocolDirReport();

// At start: the frameset, list and contents pages of this copy in Report/Temp<n>/. When all three exist,
// a protocol an earlier run left open is open (ProtocolState 1); otherwise none, and their paths are
// empty.
void InitProtocolFiles();

// Files the open protocol. unattended (at start, and when the remote link takes this analyser over):
// into Report/UnsavedProtocol/ with blank comment fields; under remote control into Report/Remote/; while
// batch control runs the pages stay in the batch result folder; otherwise the save dialog asks for the
// folder and the comment, and Cancel deletes the work files (ProtocolState -1). A close asked for while
// the save dialog is open, or while another close runs, waits and runs when that has ended.
void CloseProtocol(bool unattended);
// True from the start of a close (or of the protocol button's comment dialog) until it has ended: the
// protocol's pages must not grow meanwhile.
bool ProtocolClosing();
// Runs the comment or save dialog (mode 0 comment only, 1 folder and comment); true for OK. Either way
// ProtocolComment, and in mode 1 the protocol folder, hold what the dialog showed. A close that arrived
// meanwhile runs once the dialog has ended.
bool AskProtocolDialog(int mode);

// The comment as it stands in a comment field: HTML-escaped, only what windows-1251 can encode, cut to
// the field without splitting an entity and filled with blanks to exactly 59 characters.
QString CommentFieldText(const QString &comment);
// Writes ProtocolComment into every comment field of one page; a page that cannot be read is left alone.
void FillCommentField(const QString &path);
// Moves (frameset, kind 0) or appends (list 1, contents 2, data 3, settings 4, each given its head in a
// new target) one page into the protocol folder.
void MergeProtocolPage(const QString &path, int kind);
