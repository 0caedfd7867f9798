#pragma once

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class TRadioGroup_Border;

// "Запись состояния генератора": the choice of the generator states a configuration stores
// (StateCfgLocal, StateCfgRemote, StateCfgConnect). The left column (the local generator, the two
// masters, the selective run and SYNC) holds at most one choice; of the peer's column only the group
// that matches the local choice is enabled. Closing writes the choice back; the dialog then frees
// itself.
class TForm_StateCfg : public QDialog {
    Q_OBJECT
public:
    explicit TForm_StateCfg(QWidget *owner = nullptr);

    // The preselection from the three values.
    void FormCreate();
    void CB1Click();
    // A group or button of the left column was clicked: the other local choices are cleared.
    void RG_Checked(QObject *sender);
    // Every enabled state from the choice and the settings.
    void RG_Enabled();
    // Writes the choice back into the three values.
    void FormClose();

    QCheckBox *CB1;
    TRadioGroup_Border *RG1, *RG1_masterF, *RG1_masterL;
    QGroupBox *GB_Mirvak, *GB_SYNC;
    QRadioButton *RB_Mirvak_SIN, *RB_Mirvak_Block, *RB_SYNC_Block;
    TRadioGroup_Border *RG2, *RG2_masterF, *RG2_masterL;
    QPushButton *BitBtn1;

    void done(int result) override;

private:
    void BuildControls();
};

// The open dialog, null otherwise.
extern QPointer<TForm_StateCfg> Form_StateCfg;
