#pragma once

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The protocol's save dialog: mode 0 asks for a comment to an entry, mode 1 also for the folder the
// protocol is filed into. Whichever button ends it, ProtocolComment takes the comment and, in mode 1, the
// protocol folder takes the chosen folder.
class TForm_Cmt : public QDialog {
    Q_OBJECT
public:
    TForm_Cmt(QWidget *owner, int mode);

    QWidget *Panel_Path;
    QLabel *Label1;
    QLineEdit *Edit2;
    QListWidget *DirList;
    QComboBox *DriveList;
    QWidget *Panel_Cmt;
    QLabel *Label3;
    QLineEdit *Edit1;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;

    // The folder the directory list shows, ending in '/'.
    QString CurrentFolder() const { return folder_; }
    void DirListChange(const QString &folder);
    void Edit2Exit();

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FillFolderLists();

    int mode_;
    QString folder_;
};

// The dialog while it is open.
extern QPointer<TForm_Cmt> Form_Cmt;

// Shows the dialog modally over the main window; true when it ended with OK. False at once while one is
// already open.
bool RunCommentDialog(int mode);
