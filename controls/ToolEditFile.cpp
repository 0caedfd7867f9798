#include "controls/ToolEditFile.h"

#include "controls/FileUtil.h"
#include "controls/LibraryErrors.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>

namespace {

// The default glyph: an open folder, 14 x 12.
QPixmap FolderGlyph() {
    QImage image(14, 12, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 255, 128));
    painter.drawPolygon(QPolygon({QPoint(0, 2), QPoint(4, 2), QPoint(5, 3), QPoint(10, 3), QPoint(10, 10),
                                  QPoint(0, 10)}));
    painter.setBrush(QColor(192, 160, 0));
    painter.drawPolygon(QPolygon({QPoint(2, 5), QPoint(13, 5), QPoint(10, 10), QPoint(0, 10)}));
    painter.end();
    return QPixmap::fromImage(image);
}

QString FolderOf(const QString &name) {
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : name.left(cut + 1);
}

QString FilePartOf(const QString &name) {
    return name.mid(FolderOf(name).size());
}

// The file system's root stands where the dialog has no folder to start from.
const QString kRoot = QStringLiteral("/");

} // namespace

TFileDirEdit::TFileDirEdit(QWidget *parent) : TCustomComboEdit(parent) {
    SetGlyphKind(gkDefault);
}

QPixmap TFileDirEdit::GetDefaultBitmap() const {
    static const QPixmap glyph = FolderGlyph();
    return glyph;
}

void TFileDirEdit::DoBeforeDialog(QString &name, bool &action) {
    if (onBeforeDialog_)
        onBeforeDialog_(this, name, action);
}

void TFileDirEdit::DoAfterDialog(QString &name, bool &action) {
    if (onAfterDialog_)
        onAfterDialog_(this, name, action);
}

void TFileDirEdit::DropFiles(const QStringList &names) {
    if (names.isEmpty())
        return;
    ClearFileList();
    for (const QString &name : multiple_ ? names : names.mid(0, 1))
        ReceptFileDir(name);
    if (onDropFiles_)
        onDropFiles_(this);
}

void TFileDirEdit::dragEnterEvent(QDragEnterEvent *event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFileDirEdit::dropEvent(QDropEvent *event) {
    QStringList names;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    DropFiles(names);
    event->acceptProposedAction();
}

TFilenameEdit::TFilenameEdit(QWidget *parent) : TFileDirEdit(parent) {}

QString TFilenameEdit::FileNamePart(const QString &text) {
    if (QFileInfo(text).isFile())
        return text;
    QString program, parameters;
    SplitCommandLine(text, program, parameters);
    return program;
}

QString TFilenameEdit::QuoteFileName(const QString &text) {
    if (text.contains(QLatin1Char(' ')) && !text.startsWith(QLatin1Char('"')))
        return QStringLiteral("\"%1\"").arg(text);
    return text;
}

QString TFilenameEdit::FileName() const {
    return FileNamePart(Text());
}

void TFilenameEdit::SetFileName(const QString &value) {
    if (!value.isEmpty() && !ValidFileName(FileNamePart(value)))
        throw EComboEditError(QStringLiteral("Invalid file name - %1").arg(value));
    setText(QuoteFileName(value));
    ClearFileList();
}

void TFilenameEdit::SetAllowMultiSelect(bool value) {
    SetMultiple(value);
    if (!value)
        ClearFileList();
}

QString TFilenameEdit::GetLongName() const {
    return ShortToLongFileName(FileName());
}

QString TFilenameEdit::GetShortName() const {
    return LongToShortFileName(FileName());
}

void TFilenameEdit::ReceptFileDir(const QString &name) {
    if (!Multiple()) {
        SetFileName(name);
        return;
    }
    if (files_.isEmpty())
        SetFileName(name);
    files_ << name;
}

void TFilenameEdit::ButtonClick() {
    TFileDirEdit::ButtonClick();
    QString name = FileNamePart(Text());
    bool action = true;
    DoBeforeDialog(name, action);
    if (!action)
        return;
    if (ValidFileName(name)) {
        if (DirExists(FolderOf(name)))
            initialDir_ = FolderOf(name);
        if (FilePartOf(name).isEmpty() || !ValidFileName(FilePartOf(name)))
            name.clear();
    }
    action = ExecuteDialog(name);
    setFocus(Qt::OtherFocusReason);
    DoAfterDialog(name, action);
    if (!action)
        return;
    setText(QuoteFileName(name));
    initialDir_ = FolderOf(name);
}

bool TFilenameEdit::ExecuteDialog(QString &name) {
    // The library's filters are "text|pattern|text|pattern"; the dialog wants "text (pattern);;...".
    const QStringList parts = filter_.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
    const QString start = name.isEmpty() ? initialDir_ : name;
    const QString joined = filters.join(QStringLiteral(";;"));
    if (dialogKind_ == dkSave || dialogKind_ == dkSavePicture) {
        const QString chosen = QFileDialog::getSaveFileName(this, dialogTitle_, start, joined);
        if (chosen.isEmpty())
            return false;
        name = chosen;
        return true;
    }
    if (Multiple()) {
        const QStringList chosen = QFileDialog::getOpenFileNames(this, dialogTitle_, start, joined);
        if (chosen.isEmpty())
            return false;
        files_ = chosen;
        name = chosen.front();
        return true;
    }
    const QString chosen = QFileDialog::getOpenFileName(this, dialogTitle_, start, joined);
    if (chosen.isEmpty())
        return false;
    name = chosen;
    return true;
}

TDirectoryEdit::TDirectoryEdit(QWidget *parent) : TFileDirEdit(parent) {}

QString TDirectoryEdit::GetLongName() const {
    if (!MultipleDirs())
        return ShortToLongPath(Text());
    QStringList result;
    for (const QString &piece : Text().split(QLatin1Char(';'))) {
        const QString converted = ShortToLongPath(piece);
        if (!converted.isEmpty())
            result << converted;
    }
    return result.join(QLatin1Char(';'));
}

QString TDirectoryEdit::GetShortName() const {
    return GetLongName();
}

void TDirectoryEdit::ReceptFileDir(const QString &name) {
    const QString folder = QFileInfo(name).isFile() ? RemoveBackSlash(FolderOf(name)) : name;
    if (!text().isEmpty() && MultipleDirs())
        setText(text() + QLatin1Char(';') + folder);
    else
        setText(folder);
}

void TDirectoryEdit::ButtonClick() {
    TFileDirEdit::ButtonClick();
    QString folder = Text();
    bool action = true;
    DoBeforeDialog(folder, action);
    if (!action)
        return;
    if (folder.isEmpty())
        folder = initialDir_.isEmpty() ? kRoot : initialDir_;
    if (!DirExists(folder))
        folder = kRoot;
    action = ExecuteDialog(folder);
    setFocus(Qt::OtherFocusReason);
    DoAfterDialog(folder, action);
    if (!action)
        return;
    if (hasSelectedText())
        del();
    if (!text().isEmpty() && MultipleDirs())
        setText(text() + QLatin1Char(';') + folder);
    else
        setText(folder);
    if (!folder.isEmpty() && DirExists(folder))
        initialDir_ = folder;
}

bool TDirectoryEdit::ExecuteDialog(QString &folder) {
    return BrowseDirectory(folder, dialogText_, 0, this);
}
