#pragma once

#include "views/masks/MaskFileAsk.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QListWidget;
class QPushButton;
class TFormPlacement;

// The modal "Выбор маски" dialog: the user picks the mask files of one mask side from a folder and
// combines them. It works on the mask directly: what was included or removed stays after closing. The
// caller provides the mask and its file pattern and frees the mask when no file is left.
class TForm_SetMask : public QDialog {
    Q_OBJECT
public:
    // maskFolder is the main window's last mask folder ('/'-terminated), kept up to date by the dialog.
    TForm_SetMask(QWidget *parent, TMASK *mask, const QString &fileMask, QString *maskFolder);

    QComboBox *DriveComboBox1;
    QListWidget *DirLBox;
    QLabel *Label_Src;
    QListWidget *SrcList;
    QLabel *Label_Dst;
    QListWidget *DstList;
    QPushButton *IncludeBtn;
    QPushButton *IncAllBtn;
    QPushButton *ExcludeBtn;
    QPushButton *ExcAllBtn;
    QPushButton *Button1;
    QPushButton *Button_SetMask;
    TFormPlacement *FormPlacement1;

    // Missing mask files are asked for through this.
    TMaskFileAsk FileAsk;
    // The save dialog of "Сохранить набор" (owner, folder with file name, filter); tests replace it.
    std::function<QString(QWidget *owner, const QString &start, const QString &filter)> AskSaveFileName;

    QString CurrentFolder() const { return folder_; }

public slots:
    void FormCreate();
    void FormActivate();
    void DirLBoxChange(const QString &folder);
    void IncludeBtnClick();
    void IncAllBtnClick();
    void ExcludeBtnClick();
    void ExcAllBtnClick();
    void Button1Click();
    void Button_SetMaskClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormKeyDown(QKeyEvent *event);
    bool SrcListKeyDown(QKeyEvent *event);
    bool DstListKeyDown(QKeyEvent *event);
    void FillFolderLists();
    void UpdateButtons();
    void AppendFile(const QString &name);
    void ReloadMask();

    TMASK *mask_;
    QString fileMask_;
    QString *maskFolder_;
    QString folder_;
    bool activated_ = false;
};
