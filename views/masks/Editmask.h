#pragma once

#include "engine/masks/MaskEditFile.h"

#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTableWidget;
class QToolButton;
class TFormPlacement;

// What the mask editor takes from the main window, which fills it at start. Empty members (tests, an
// editor without a main window) stand for R9.ini and the Masks folder in the program folder.
struct TMaskEditHost {
    std::function<QString()> IniFileName;
    std::function<QString()> MaskDir;
};
extern TMaskEditHost MaskEditHost;

// The mask editor "Редактор масок": a comment and an x/y table of one mask file, checked against the
// units and ranges of a mask kind before it is written. It only writes files; masks take effect when a
// window loads them. Mode 1 edits masks (every kind but the weighting characteristic), mode 0 the
// weighting characteristic (*.9wf).
class TForm_MaskEdit : public QWidget {
    Q_OBJECT
public:
    explicit TForm_MaskEdit(QWidget *parent = nullptr, int mode = 0);
    ~TForm_MaskEdit() override;

    TMaskKind Kind{};     // the kind chosen in ComboBox1
    int GridModified = 0; // the table changed since the last load or save
    QString EditText;     // the cell's text when its editing began
    int Mode = 0;
    QString CurrentPath; // the file last opened or saved; empty for a new text

    QWidget *ControlBar1 = nullptr;
    QToolButton *FileButton = nullptr; // "&Файл"
    QMenu *PopupMenu_File = nullptr;
    QToolButton *NewButton = nullptr;
    QToolButton *OpenButton = nullptr;
    QToolButton *SaveButton = nullptr;
    QToolButton *SaveAsButton = nullptr;
    QToolButton *Button_AddRow = nullptr;
    QToolButton *Button_DelRow = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QWidget *Panel1 = nullptr;
    QPlainTextEdit *Memo = nullptr;
    QSplitter *Splitter1 = nullptr;
    QTableWidget *StringGrid1 = nullptr;

    // The file dialogs (owner, folder with proposed name, filter); tests answer them. Empty: cancelled.
    std::function<QString(QWidget *owner, const QString &start, const QString &filter)> AskOpenFileName;
    std::function<QString(QWidget *owner, const QString &start, const QString &filter)> AskSaveFileName;

    // The kinds ComboBox1 offers, as rows of MaskKindTable.
    const std::vector<int> &KindRows() const { return kindRows_; }

    void New1Click();
    void Open1Click();
    void Exit1Click();
    void SaveButtonClick();
    void SaveAsButtonClick();
    void Button_AddRowClick();
    void Button_DelRowClick();
    void ComboBox1Change();

    bool AskSaveChanges();
    bool SaveToCurrentFile();
    bool SaveMaskFileAs();
    bool SaveMaskFile(const QString &path);
    bool ValidateMask();
    void ClearComment();
    void ResetGrid();
    void ShowKindHeader();

    // Opens a file as Open does after its dialog; false (and nothing changed) when it cannot be read.
    bool LoadMaskFile(const QString &path);
    // The table's data rows as they stand.
    std::vector<TMaskRow> GridRows() const;

private:
    void BuildControls();
    void SetCaption();
    void SetCell(int row, int column, const QString &text);
    void EditCell(int row, int column);
    bool Modified() const;
    void ClearModified();
    QString MaskFolder() const;

    TFormPlacement *FormStorage1 = nullptr;
    std::vector<int> kindRows_;
    bool filling_ = false; // the program, not the user, is writing cells
};
