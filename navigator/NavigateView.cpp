#include "navigator/NavigateView.h"

#include "navigator/ComboBoxConnect.h"
#include "navigator/NavMask.h"
#include "navigator/NavMessages.h"
#include "platform/DriveTable.h"
#include "platform/MessageService.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProcess>
#include <QStyle>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int ColumnCount = 5;
const char *const ColumnTitles[ColumnCount] = {"Имя", "Тип", "Размер", "Дата", "Путь"};
constexpr int ColumnWidths[ColumnCount] = {160, 50, 80, 100, 120};

QDate DayOf(const QString &text) {
    // Two-digit years read as 1900-1999; a listing shows nothing before 1985, so 00 to 84 are 2000-2084.
    QDate day = QDateTime::fromString(text, "dd.MM.yy hh:mm").date();
    if (day.isValid() && day.year() < 1985)
        day = day.addYears(100);
    return day;
}

QString LastComponent(const QString &path) {
    return path.mid(path.lastIndexOf('\\') + 1);
}

} // namespace

TNavigateView::TNavigateView(QWidget *parent) : QTreeWidget(parent) {
    setColumnCount(ColumnCount);
    QStringList titles;
    for (const char *title : ColumnTitles)
        titles << title;
    setHeaderLabels(titles);
    for (int column = 0; column < ColumnCount; ++column)
        setColumnWidth(column, ColumnWidths[column]);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(true);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) { ChangeSort(column); });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item, int column) {
        const int index = indexOfTopLevelItem(item);
        if (showing_ || column != 0 || index < 0 || index >= int(Items.size()))
            return;
        Items[std::size_t(index)].Checked = item->checkState(0) == Qt::Checked;
        ShowItems();
        CountCheckedFiles();
    });
    OpenPage = [](const QString &local) { QDesktopServices::openUrl(QUrl::fromLocalFile(local)); };
    StartProgram = [](const QString &local) { QProcess::startDetached(local, {}); };
    ChangeSort(0);
}

TNavigateView::~TNavigateView() = default;

void TNavigateView::ShowItems() {
    showing_ = true;
    const int selected = Selected();
    clear();
    const QIcon images[] = {QIcon(), QIcon(), style()->standardIcon(QStyle::SP_FileIcon),
                            style()->standardIcon(QStyle::SP_DirIcon), style()->standardIcon(QStyle::SP_FileDialogToParent)};
    for (const NavigatorItem &row : Items) {
        auto *item = new QTreeWidgetItem(this);
        item->setText(0, row.Caption);
        for (int k = 0; k < row.SubItems.size() && k + 1 < ColumnCount; ++k)
            item->setText(k + 1, row.SubItems[k]);
        if (row.ImageIndex >= 0 && row.ImageIndex < int(std::size(images)))
            item->setIcon(0, images[row.ImageIndex]);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.Checked ? Qt::Checked : Qt::Unchecked);
        // Checked rows are drawn in red.
        if (row.Checked)
            for (int column = 0; column < ColumnCount; ++column)
                item->setForeground(column, QColor(0xFF, 0, 0));
    }
    if (selected >= 0 && selected < topLevelItemCount())
        Select(selected);
    showing_ = false;
}

int TNavigateView::Selected() const {
    const QList<QTreeWidgetItem *> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.first());
}

void TNavigateView::Select(int index) {
    QTreeWidgetItem *item = topLevelItem(index);
    if (!item)
        return;
    clearSelection();
    setCurrentItem(item);
    item->setSelected(true);
}

void TNavigateView::SetChecked(int index, bool checked) {
    if (index < 0 || index >= int(Items.size()))
        return;
    Items[std::size_t(index)].Checked = checked;
    ShowItems();
}

void TNavigateView::UpdateDir(const QString &path) {
    if (FileSystem()) {
        FileSystem()->ReadDir(path);
        SortItems();
    }
    ShowItems();
    UpdateStringPath();
    CountCheckedFiles();
}

bool TNavigateView::Less(const NavigatorItem &a, const NavigatorItem &b) const {
    const bool dirA = a.IsDir(), dirB = b.IsDir();
    if (dirA || dirB)
        return dirA && !dirB;
    if (FSortColumn < 0)
        return false;
    const auto text = [this](const NavigatorItem &item) {
        return FSortColumn == 0 ? item.Caption : item.SubItems.value(FSortColumn - 1);
    };
    int compare = 0;
    if (FSortColumn == 2) {
        const qint64 x = text(a).toLongLong(), y = text(b).toLongLong();
        compare = x < y ? -1 : x > y ? 1 : 0;
    } else if (FSortColumn == 3) {
        const QDate x = DayOf(text(a)), y = DayOf(text(b));
        compare = x < y ? -1 : x > y ? 1 : 0;
    } else {
        compare = text(a).compare(text(b), Qt::CaseInsensitive);
    }
    return FSortAscending ? compare < 0 : compare > 0;
}

void TNavigateView::SortItems() {
    std::stable_sort(Items.begin(), Items.end(), [this](const NavigatorItem &a, const NavigatorItem &b) { return Less(a, b); });
}

void TNavigateView::ChangeSort(int column) {
    if (column == FSortColumn) {
        FSortAscending = !FSortAscending;
    } else {
        FSortColumn = column;
        FSortAscending = true;
    }
    header()->setSortIndicator(column, FSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    SortItems();
    ShowItems();
}

void TNavigateView::SetPrevDirPosition(const QString &name) {
    if (Items.empty())
        return;
    int found = 0;
    if (!name.isEmpty()) {
        for (std::size_t i = 0; i < Items.size(); ++i) {
            if (Items[i].Caption.compare(name, Qt::CaseInsensitive) == 0) {
                found = int(i);
                break;
            }
        }
    }
    Select(found);
}

void TNavigateView::ChangeDir() {
    const int selected = Selected();
    if (!FileSystem() || selected < 0 || selected >= int(Items.size()))
        return;
    const NavigatorItem item = Items[std::size_t(selected)];
    if (!item.IsDir())
        return OpenFile(item);
    const QString current = FileSystem()->CurrentPath();
    const QString prev = item.Caption == ".." ? (current.contains('\\') ? LastComponent(current) : QString()) : "..";
    UpdateDir(item.SubItems.value(3));
    if (FileSystem() && FileSystem()->ListValid())
        SetPrevDirPosition(prev);
}

void TNavigateView::OpenFile(const NavigatorItem &item) {
    const QString ext = item.SubItems.value(0);
    const QString local = LocalPathOf(FileSystem()->CurrentPath() + "\\" + item.Caption + "." + ext);
    if ((ext.contains("htm") || ext.contains("HTM")) && !local.isEmpty()) {
        OpenPage(local);
        return;
    }
    if ((ext.toLower() == "exe" || ext.toLower() == "com") && !local.isEmpty()) {
        StartProgram(local);
        return;
    }
    NavBeep();
}

void TNavigateView::UpdateStringPath() {
    const QFont font = FPathInCaption ? QFontDatabase::systemFont(QFontDatabase::TitleFont) : this->font();
    const QFontMetrics metrics(font);
    QString text = FileSystem() ? FileSystem()->CurrentPath() : QString();
    if (metrics.horizontalAdvance(text) > FWidthPath) {
        QStringList pieces; // from the last component backwards, each with its leading "\"
        QString rest = text;
        for (qsizetype cut = rest.lastIndexOf('\\'); cut >= 0; cut = rest.lastIndexOf('\\')) {
            pieces << rest.mid(cut);
            rest.truncate(cut);
        }
        rest += "\\...";
        QString tail;
        for (const QString &piece : pieces) {
            if (metrics.horizontalAdvance(rest + piece + tail) >= FWidthPath)
                break;
            tail = piece + tail;
        }
        text = rest + tail;
    }
    FStringPath = text;
    if (OnUpdate)
        OnUpdate(this);
}

void TNavigateView::CountCheckedFiles() {
    std::int64_t sum = 0;
    int count = 0;
    for (const NavigatorItem &item : Items) {
        if (!item.Checked || item.Caption == "..")
            continue;
        ++count;
        sum += item.SubItems.value(1).toLongLong();
    }
    FHasChecked = count != 0;
    if (!FHasChecked) {
        FCheckedInfo.clear();
    } else {
        const std::int64_t kb = sum / 1024;
        FCheckedInfo = kb ? QString::number(kb) + " k в " + QString::number(count) + " выделенных файлах"
                          : QString::number(sum) + " байт в " + QString::number(count) + " выделенных файлах";
    }
    if (OnUpdateChecked)
        OnUpdateChecked(this);
}

void TNavigateView::SelectDeselect(const QString &mask, bool select) {
    QString nameMask, extMask;
    SplitMask(mask, nameMask, extMask);
    for (NavigatorItem &item : Items)
        if (item.Caption != ".." && MatchMask(nameMask, item.Caption) && MatchMask(extMask, item.SubItems.value(0)))
            item.Checked = select;
    ShowItems();
    CountCheckedFiles();
}

void TNavigateView::SetWidthPath(int width) {
    FWidthPath = width;
    UpdateStringPath();
}

void TNavigateView::SetPathInCaption(bool value) {
    FPathInCaption = value;
    UpdateStringPath();
}

void TNavigateView::SetConnectDrive(TComboBoxConnect *combo) {
    FConnectDrive = combo;
    if (combo)
        combo->SetNavigateView(this);
}

void TNavigateView::keyPressEvent(QKeyEvent *event) {
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ChangeDir();
        return;
    case Qt::Key_Insert: {
        const int selected = Selected();
        if (selected < 0)
            return;
        Items[std::size_t(selected)].Checked = !Items[std::size_t(selected)].Checked;
        ShowItems();
        Select(selected + 1 < int(Items.size()) ? selected + 1 : selected);
        CountCheckedFiles();
        return;
    }
    case Qt::Key_Asterisk:
    case Qt::Key_Slash:
        if (!keypad)
            break;
        for (NavigatorItem &item : Items)
            if (item.Caption != "..")
                item.Checked = event->key() == Qt::Key_Asterisk ? true : !item.Checked;
        ShowItems();
        CountCheckedFiles();
        return;
    default:
        break;
    }
    QTreeWidget::keyPressEvent(event);
}

void TNavigateView::mouseDoubleClickEvent(QMouseEvent *event) {
    QTreeWidgetItem *item = itemAt(event->position().toPoint());
    clearSelection();
    if (item) {
        setCurrentItem(item);
        item->setSelected(true);
    }
    ChangeDir();
}

// The file operations.

QString TNavigateView::EntryPath(int index) const {
    if (!FileSystem() || index < 0 || index >= int(Items.size()))
        return QString();
    return FileSystem()->CurrentPath() + "\\" + Items[std::size_t(index)].Name();
}

bool TNavigateView::IsViewEditor(QString &path) const {
    const int selected = Selected();
    if (selected < 0 || !FileSystem())
        return false;
    const NavigatorItem &item = Items[std::size_t(selected)];
    if (item.Caption == ".." || item.IsDir())
        return false;
    path = FileSystem()->CurrentPath() + "\\" + item.Name();
    return true;
}

void TNavigateView::MakeDir(const QString &path) {
    if (!FileSystem())
        return;
    if (!FileSystem()->CreateDir(path))
        NavError("Не могу создать каталог по " + path + "\n\nДлина пути превышает 256 символов.");
    UpdateDir(FileSystem()->CurrentPath());
    SetPrevDirPosition(LastComponent(path));
}

void TNavigateView::MakeFile(const QString &path) {
    if (!FileSystem())
        return;
    FileSystem()->CreateEmptyFile(path);
    UpdateDir(FileSystem()->CurrentPath());
    QString caption, ext;
    ListingColumns(LastComponent(path), caption, ext);
    SetPrevDirPosition(caption);
}

void TNavigateView::DeleteObj(QWidget *form) {
    TFileSystem *fs = FileSystem();
    if (!fs)
        return;
    const QString current = fs->CurrentPath();
    const int selected = Selected();
    QString question;
    if (FHasChecked) {
        question = "Удалить выделенные объекты из " + current + "?";
    } else {
        if (selected < 0 || Items[std::size_t(selected)].Caption == "..")
            return;
        const NavigatorItem &item = Items[std::size_t(selected)];
        question = item.IsDir() ? "Удалить каталог " + item.Caption + " из " + current + "?"
                                : "Удалить файл " + item.Name() + " из " + current + "?";
    }
    if (ShowMessage({question, "Удаление объекта", MsgIcon::None, MsgButtons::YesNo}) != IdYes)
        return;
    if (form)
        form->show();
    CancelAll = false;
    const std::vector<NavigatorItem> rows = Items;
    if (FHasChecked) {
        for (std::size_t i = 0; i < rows.size() && !CancelAll; ++i)
            if (rows[i].Checked && rows[i].Caption != "..")
                fs->Delete(current + "\\" + rows[i].Name(), rows[i].IsDir() ? 1 : 0);
    } else {
        fs->Delete(current + "\\" + rows[std::size_t(selected)].Name(), rows[std::size_t(selected)].IsDir() ? 1 : 0);
    }
    UpdateDir(current);
}

void TNavigateView::CopyObj(int index, const QString &dst, TNavigateView *destView) {
    if (!FileSystem() || index < 0 || index >= int(Items.size()))
        return;
    const NavigatorItem &item = Items[std::size_t(index)];
    const QString path = EntryPath(index);
    if (item.IsDir() && destView == this && IsSubPath(path, dst)) {
        NavError("Нельзя копировать каталог " + path + " в собственный подкаталог " + dst);
        return;
    }
    CancelAll = false;
    FileSystem()->CopyTo(path, dst, destView, item.IsDir() ? 1 : 0);
}

void TNavigateView::MoveRenameObj(int index, const QString &dst, TNavigateView *destView, int rename) {
    TFileSystem *fs = FileSystem();
    if (!fs || index < 0 || index >= int(Items.size()))
        return;
    const NavigatorItem item = Items[std::size_t(index)];
    const QString path = EntryPath(index);
    if (rename) {
        fs->Rename(path, dst);
        return;
    }
    if (item.IsDir() && destView == this && IsSubPath(path, dst)) {
        NavError("Нельзя копировать каталог " + path + " в собственный подкаталог " + dst);
        return;
    }
    // The source goes only when everything was written: a declined overwrite, a failed store or a
    // cancel keeps it.
    CancelAll = false;
    fs->BeginTransfer();
    const bool ok = fs->CopyTo(path, dst, destView, item.IsDir() ? 1 : 0);
    if (ok && !CancelAll && fs->TransferComplete())
        fs->Delete(path, item.IsDir() ? 1 : 0);
}

void TNavigateView::ConvertObjCfg(int index, const QString &dst, TNavigateView *destView, int tag, ConvertProc proc,
                                  QStringList *list) {
    if (!FileSystem() || index < 0 || index >= int(Items.size()))
        return;
    CancelAll = false;
    const NavigatorItem &item = Items[std::size_t(index)];
    FileSystem()->ConvertTo(EntryPath(index), dst, destView, tag, item.IsDir() ? 1 : 0, proc, list);
}
