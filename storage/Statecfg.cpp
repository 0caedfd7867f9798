#include "storage/Statecfg.h"

#include "controls/Radiogroup_border.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "storage/StateCfgChoice.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

int32_t StateCfgLocal = 5;
int32_t StateCfgRemote = 5;
int32_t StateCfgConnect = 0;
std::function<bool()> StateCfgRemoteLinkAvailable;
QPointer<TForm_StateCfg> Form_StateCfg;

namespace {

// The codes of the masters' groups start here; the selective run's and SYNC's codes follow them.
constexpr int32_t MasterFCode = 6, MasterLCode = 8, MirvakSinCode = 10, MirvakBlockCode = 11, SyncCode = 12;
constexpr int BlockItem = 5;
constexpr int MasterBlockItem = 1;

bool RemoteLinkAvailable() {
    return StateCfgRemoteLinkAvailable && StateCfgRemoteLinkAvailable();
}

TRadioGroup_Border *NewRadioGroup(QWidget *parent, const char *name, const QString &caption, const QStringList &items) {
    auto *group = new TRadioGroup_Border(parent);
    group->setObjectName(QLatin1String(name));
    group->setTitle(caption);
    group->SetItems(items);
    return group;
}

QRadioButton *NewRadio(QWidget *parent, const char *name, const QString &text) {
    auto *radio = new QRadioButton(text, parent);
    radio->setObjectName(QLatin1String(name));
    return radio;
}

// A radio button on its own cannot be unchecked through its own exclusivity.
void Uncheck(QRadioButton *radio) {
    radio->setAutoExclusive(false);
    radio->setChecked(false);
    radio->setAutoExclusive(true);
}

// Selects item code - first of the group when the code belongs to it.
void SelectInRange(TRadioGroup_Border *group, int32_t code, int32_t first, int32_t count) {
    if (code >= first && code < first + count)
        group->SetItemIndex(code - first);
}

} // namespace

TForm_StateCfg::TForm_StateCfg(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Form_StateCfg"));
    setWindowTitle(QStringLiteral("Запись состояния генератора"));
    // A dialog frame without border icons: the choice ends with OK.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
    FormCreate();
}

void TForm_StateCfg::BuildControls() {
    auto *layout = new QVBoxLayout(this);
    CB1 = new QCheckBox(QStringLiteral("Установка соединения с удаленным прибором"), this);
    CB1->setObjectName(QStringLiteral("CB1"));
    layout->addWidget(CB1);

    auto *columns = new QGridLayout;
    const QStringList generators = {QStringLiteral("SIN"), QStringLiteral("SIN2"), QStringLiteral("ПСС"),
                                    QStringLiteral("МЧС"), QStringLiteral("ШУМ"),  QStringLiteral("Блокировка")};
    const QStringList masters = {QStringLiteral("SIN"), QStringLiteral("Блокировка")};
    const QStringList remoteMasters = {QStringLiteral("уд. SIN"), QStringLiteral("уд. Блокировка")};
    RG1 = NewRadioGroup(this, "RG1", QStringLiteral("Генератор"), generators);
    RG1_masterF = NewRadioGroup(this, "RG1_masterF", QStringLiteral("Мастер частоты"), masters);
    RG1_masterL = NewRadioGroup(this, "RG1_masterL", QStringLiteral("Мастер уровня"), masters);
    GB_Mirvak = new QGroupBox(QStringLiteral("Мирвак"), this);
    GB_Mirvak->setObjectName(QStringLiteral("GB_Mirvak"));
    auto *mirvak = new QVBoxLayout(GB_Mirvak);
    RB_Mirvak_SIN = NewRadio(GB_Mirvak, "RB_Mirvak_SIN", QStringLiteral("SIN"));
    RB_Mirvak_Block = NewRadio(GB_Mirvak, "RB_Mirvak_Block", QStringLiteral("Блокировка"));
    mirvak->addWidget(RB_Mirvak_SIN);
    mirvak->addWidget(RB_Mirvak_Block);
    GB_SYNC = new QGroupBox(QStringLiteral("SYNC"), this);
    GB_SYNC->setObjectName(QStringLiteral("GB_SYNC"));
    RB_SYNC_Block = NewRadio(GB_SYNC, "RB_SYNC_Block", QStringLiteral("Блокировка"));
    (new QVBoxLayout(GB_SYNC))->addWidget(RB_SYNC_Block);
    RG2 = NewRadioGroup(this, "RG2", QStringLiteral("Удаленный генератор"), generators);
    RG2_masterF = NewRadioGroup(this, "RG2_masterF", QStringLiteral("Мастер частоты"), remoteMasters);
    RG2_masterL = NewRadioGroup(this, "RG2_masterL", QStringLiteral("Мастер уровня"), remoteMasters);
    columns->addWidget(RG1, 0, 0);
    columns->addWidget(RG1_masterF, 1, 0);
    columns->addWidget(RG1_masterL, 2, 0);
    columns->addWidget(GB_Mirvak, 3, 0);
    columns->addWidget(GB_SYNC, 4, 0);
    columns->addWidget(RG2, 0, 1);
    columns->addWidget(RG2_masterF, 1, 1);
    columns->addWidget(RG2_masterL, 2, 1);
    layout->addLayout(columns);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);

    connect(CB1, &QCheckBox::clicked, this, [this] { CB1Click(); });
    for (TRadioGroup_Border *group : {RG1, RG1_masterF, RG1_masterL})
        connect(group, &TRadioGroup_Border::Click, this, [this, group] { RG_Checked(group); });
    for (QRadioButton *radio : {RB_Mirvak_SIN, RB_Mirvak_Block, RB_SYNC_Block})
        connect(radio, &QRadioButton::clicked, this, [this, radio] { RG_Checked(radio); });
    for (TRadioGroup_Border *group : {RG2, RG2_masterF, RG2_masterL})
        connect(group, &TRadioGroup_Border::Click, this, [this] { RG_Enabled(); });
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm_StateCfg::FormCreate() {
    const bool linkAvailable = RemoteLinkAvailable();
    CB1->setEnabled(linkAvailable);
    CB1->setChecked(linkAvailable && StateCfgConnect != 0);

    for (TRadioGroup_Border *group : {RG1, RG1_masterF, RG1_masterL})
        group->SetItemIndex(-1);
    for (QRadioButton *radio : {RB_Mirvak_SIN, RB_Mirvak_Block, RB_SYNC_Block})
        Uncheck(radio);
    RG2->SetItemIndex(BlockItem);
    RG2_masterF->SetItemIndex(MasterBlockItem);
    RG2_masterL->SetItemIndex(MasterBlockItem);

    // Every stored code shows as its choice, the selective run with the generator blocked and SYNC
    // included, so that the user sees what will be written.
    const int32_t local = StateCfgLocal;
    SelectInRange(RG1, local, 0, MasterFCode);
    SelectInRange(RG1_masterF, local, MasterFCode, 2);
    SelectInRange(RG1_masterL, local, MasterLCode, 2);
    RB_Mirvak_SIN->setChecked(local == MirvakSinCode);
    RB_Mirvak_Block->setChecked(local == MirvakBlockCode);
    RB_SYNC_Block->setChecked(local == SyncCode);

    const int32_t remote = StateCfgRemote;
    SelectInRange(RG2, remote, 0, MasterFCode);
    SelectInRange(RG2_masterF, remote, MasterFCode, 2);
    SelectInRange(RG2_masterL, remote, MasterLCode, 2);
    RG_Enabled();
}

void TForm_StateCfg::RG_Enabled() {
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t type = s.ConnectionType;
    CB1->setEnabled(RemoteLinkAvailable());
    const bool generatorChoices = type != 0 && type != 2 && type != 7;
    for (TRadioGroup_Border *group : {RG1, RG1_masterF, RG1_masterL})
        group->setEnabled(generatorChoices);
    // The selective and SYNC runs cannot be combined with a remote connection.
    const bool localRuns = !CB1->isChecked() && type != 0;
    RB_Mirvak_SIN->setEnabled(localRuns && s.Mirvak.SubMode != 2);
    RB_Mirvak_Block->setEnabled(localRuns);
    RB_SYNC_Block->setEnabled(localRuns);
    const bool connect = CB1->isChecked();
    RG2->setEnabled(connect && RG1->ItemIndex() >= 0);
    RG2_masterF->setEnabled(connect && RG1_masterF->ItemIndex() >= 0);
    RG2_masterL->setEnabled(connect && RG1_masterL->ItemIndex() >= 0);
}

void TForm_StateCfg::RG_Checked(QObject *sender) {
    for (TRadioGroup_Border *group : {RG1, RG1_masterF, RG1_masterL})
        if (group != sender)
            group->SetItemIndex(-1);
    const bool mirvak = sender == RB_Mirvak_SIN || sender == RB_Mirvak_Block;
    if (!mirvak) {
        Uncheck(RB_Mirvak_SIN);
        Uncheck(RB_Mirvak_Block);
    }
    if (sender != RB_SYNC_Block)
        Uncheck(RB_SYNC_Block);
    RG_Enabled();
}

void TForm_StateCfg::CB1Click() {
    if (CB1->isChecked())
        for (QRadioButton *radio : {RB_Mirvak_SIN, RB_Mirvak_Block, RB_SYNC_Block})
            Uncheck(radio);
    RG_Enabled();
}

void TForm_StateCfg::FormClose() {
    StateCfgConnect = CB1->isChecked() ? 1 : 0;
    if (RG1->ItemIndex() >= 0)
        StateCfgLocal = RG1->ItemIndex();
    else if (RG1_masterF->ItemIndex() >= 0)
        StateCfgLocal = RG1_masterF->ItemIndex() + MasterFCode;
    else if (RG1_masterL->ItemIndex() >= 0)
        StateCfgLocal = RG1_masterL->ItemIndex() + MasterLCode;
    else if (RB_Mirvak_SIN->isChecked())
        StateCfgLocal = MirvakSinCode;
    else if (RB_Mirvak_Block->isChecked())
        StateCfgLocal = MirvakBlockCode;
    else if (RB_SYNC_Block->isChecked())
        StateCfgLocal = SyncCode;

    if (RG2->isEnabled())
        StateCfgRemote = RG2->ItemIndex();
    else if (RG2_masterF->isEnabled())
        StateCfgRemote = RG2_masterF->ItemIndex() + MasterFCode;
    else if (RG2_masterL->isEnabled())
        StateCfgRemote = RG2_masterL->ItemIndex() + MasterLCode;
}

void TForm_StateCfg::done(int result) {
    FormClose();
    QDialog::done(result);
}

std::function<void(TForm_StateCfg &dialog)> StateCfgDialogAnswer;

TStateCfgChoice ShowStateCfgDialog() {
    if (!BatchMessagesDiverted()) {
        if (!Form_StateCfg)
            Form_StateCfg = new TForm_StateCfg(QApplication::activeWindow());
        if (StateCfgDialogAnswer) {
            Form_StateCfg->show();
            StateCfgDialogAnswer(*Form_StateCfg);
        } else {
            Form_StateCfg->exec();
        }
    }
    return {StateCfgLocal, StateCfgRemote, StateCfgConnect};
}
