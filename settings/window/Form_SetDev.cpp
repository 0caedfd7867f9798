#include "settings/window/Form_SetDev.h"

#include "platform/IniFile.h"
#include "platform/StringTable.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/SettingsHost.h"
#include "settings/window/ImpedanceEntry.h"
#include "settings/window/MasterFreqPage.h"
#include "settings/window/MasterLevPage.h"
#include "settings/window/MeterPage.h"
#include "settings/window/ShopMenu.h"
#include "settings/window/SyncPage.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString ActivePageKey = QStringLiteral("PgCtrl1_APgIdx");

QString SettingsIniFile() {
    return SettingsHost().IniFileName ? SettingsHost().IniFileName() : QString();
}

// The in-place editors of the preset lists: Esc there ends the edit, never the window.
constexpr const char *InPlaceListEditors[] = {"Editor_ShopFreq", "Editor_ShopLev", "Editor_ShopSel"};

QWidget *InPlaceEditorWithFocus(QWidget *focus) {
    for (QWidget *w = focus; w; w = w->parentWidget())
        for (const char *name : InPlaceListEditors)
            if (w->objectName() == QLatin1String(name))
                return w;
    return nullptr;
}

// A page whose unit is not part of the program says so.
void MarkPageNotBuilt(QWidget *page) {
    auto *layout = new QVBoxLayout(page);
    auto *note = new QLabel(QStringLiteral("Страница пока не реализована"), page);
    note->setEnabled(false);
    layout->addWidget(note);
    layout->addStretch();
}

} // namespace

TForm_SetDev::TForm_SetDev(QWidget *owner) : QWidget(owner) {
    setObjectName(QStringLiteral("Form_SetDev"));
    setWindowTitle(LoadStr(446));
    auto *layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    TabSheet_Common = AddPage("TabSheet_Common", QStringLiteral("Общие"));
    TabSheet_Gen = AddPage("TabSheet_Gen", QStringLiteral("Генератор"));
    TabSheet_Meter = AddPage("TabSheet_Meter", QStringLiteral("Измеритель"));
    TabSheet_MasterFreq = AddPage("TabSheet_MasterFreq", QStringLiteral("Мастер частоты"));
    TabSheet_MasterLev = AddPage("TabSheet_MasterLev", QStringLiteral("Мастер уровня"));
    TabSheet_Mirvak = AddPage("TabSheet_Mirvak", QStringLiteral("Мирвак"));
    TabSheet_Sync = AddPage("TabSheet_Sync", QStringLiteral("SYNC"));

    ShopMenu = new TShopMenu(this);
    ShopMenu->AddPopupSource(PageControl1);

    BuildCommonPage();
    BuildGeneratorPage();
    BuildMeterPage();
    BuildMasterPages();
    BuildSyncPage();
    BuildMirvakPage();
    ConnectCommonPage();
    ConnectGeneratorPage();
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm_SetDev::PageControl1Change);
    SetSettingsWindowView(this);
    FormStorage1RestorePlacement();
}

TForm_SetDev::~TForm_SetDev() {
    // The focused control is left while the window is whole, so that its page stores it now and not while
    // the window is being torn down.
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
    // The page goes while the window is whole: leaving its focused control still stores the page.
    delete MirvakPage;
    MirvakPage = nullptr;
    FormStorage1SavePlacement();
    if (SettingsWindowView() == this)
        SetSettingsWindowView(nullptr);
}

QWidget *TForm_SetDev::AddPage(const char *name, const QString &caption) {
    auto *page = new QWidget(PageControl1);
    page->setObjectName(QLatin1String(name));
    PageControl1->addTab(page, caption);
    return page;
}

void TForm_SetDev::BuildMeterPage() {
    TMeterPageHost host;
    host.DirMaskFile = SettingsHost().DirMaskFile;
    host.ApplyBlockSize = SettingsHost().ApplyBlockSize;
    host.SendRemoteMessage = [](const std::vector<uint8_t> &codes) { SendRemoteMessage(codes); };
    host.SpectrumSizeChoice = [this] { return CBox_Spectr->currentIndex(); };
    host.ShowMirvakCalibration = [this] {
        if (MirvakPage)
            MirvakPage->ShowMirvakCalibration();
    };
    MeterPage = new TMeterPage(std::move(host), TabSheet_Meter);
    MeterPage->Edit_RND_pulse = Edit_RND_pulse;
    MeterPage->Edit_Phasing_minF = Edit_Phasing_minF;
    (new QVBoxLayout(TabSheet_Meter))->addWidget(MeterPage);
    // The Common page's own group carries the caption and the frame.
    QGroupBox *meterGroup = MeterPage->MeterGroup();
    meterGroup->setTitle(QString());
    meterGroup->setFlat(true);
    MeterGroupLayout->addWidget(meterGroup);
    meterGroup->show();
}

void TForm_SetDev::BuildMasterPages() {
    TMasterPageHost host;
    host.Edit_SIN_L = Edit_SIN_L;
    host.Edit_SIN_F = Edit_SIN_F;
    host.Refreshing = [this] { return Refreshing != 0; };
    host.IsActivePage = [this](const QWidget *page) {
        const QWidget *active = PageControl1->currentWidget();
        return active && active->isAncestorOf(page);
    };
    MasterFreqPage = new TMasterFreqPage(host, TabSheet_MasterFreq);
    MasterLevPage = new TMasterLevPage(host, TabSheet_MasterLev);
    (new QVBoxLayout(TabSheet_MasterFreq))->addWidget(MasterFreqPage);
    (new QVBoxLayout(TabSheet_MasterLev))->addWidget(MasterLevPage);
    for (TMasterPage *page : {static_cast<TMasterPage *>(MasterFreqPage), static_cast<TMasterPage *>(MasterLevPage)}) {
        MeterPage->Mirrors.Lmax.emplace_back(page->Edit_Lmax);
        MeterPage->Mirrors.Lmin.emplace_back(page->Edit_Lmin);
        MeterPage->Mirrors.Afc.emplace_back(page->Edit_AFC);
    }
}

void TForm_SetDev::PageControl1Change() {
    const QWidget *active = PageControl1->currentWidget();
    if (active == TabSheet_MasterFreq)
        MasterFreqPage->RefreshState();
    else if (active == TabSheet_MasterLev)
        MasterLevPage->RefreshState();
    else if (active == TabSheet_Mirvak)
        RefreshMirvakState();
}

void TForm_SetDev::BuildSyncPage() {
    SyncPage = new TSyncPage({[this] { return CBox_Spectr->currentIndex(); }}, TabSheet_Sync);
    (new QVBoxLayout(TabSheet_Sync))->addWidget(SyncPage);
}

TMirvakPageFactory &MirvakPageFactory() {
    static TMirvakPageFactory factory;
    return factory;
}

void TForm_SetDev::BuildMirvakPage() {
    if (MirvakPageFactory())
        MirvakPage = MirvakPageFactory()(*this, TabSheet_Mirvak);
    if (!MirvakPage)
        MarkPageNotBuilt(TabSheet_Mirvak);
}

void TForm_SetDev::RefreshAllPages() {
    Refreshing = 1;
    RefreshRemoteGroup();
    RefreshGeneratorPage();
    RefreshMeterPage();
    LoadMasterFreqPage();
    LoadMasterLevPage();
    ShowMirvak();
    RefreshSyncPage();
    UpdateControlStates();
    Refreshing = 0;
}

void TForm_SetDev::RefreshMeterPage() {
    if (MeterPage)
        MeterPage->Refresh();
}

void TForm_SetDev::ShowMeterBand() {
    if (MeterPage)
        MeterPage->ShowBand();
}

void TForm_SetDev::ShowMeterAveraging() {
    if (MeterPage)
        MeterPage->ShowAveraging();
}

void TForm_SetDev::LoadMasterFreqPage() {
    MasterFreqPage->Load();
}

void TForm_SetDev::LoadMasterLevPage() {
    MasterLevPage->Load();
}

void TForm_SetDev::RefreshSyncPage() {
    SyncPage->RefreshSyncPage();
}

void TForm_SetDev::ShowSyncState() {
    SyncPage->ShowSyncState();
}

void TForm_SetDev::ShowMirvak() {
    if (MirvakPage)
        MirvakPage->ShowMirvak();
}

void TForm_SetDev::RefreshMirvakState() {
    if (MirvakPage)
        MirvakPage->RefreshMirvakState();
}

void TForm_SetDev::ShowMirvakStartButton() {
    if (MirvakPage)
        MirvakPage->ShowMirvakStartButton();
}

void TForm_SetDev::ShowMirvakSelectionFreq() {
    if (MirvakPage)
        MirvakPage->ShowMirvakSelectionFreq();
}

void TForm_SetDev::keyPressEvent(QKeyEvent *event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (QWidget *editor = InPlaceEditorWithFocus(focusWidget())) {
        editor->hide();
        return;
    }
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void TForm_SetDev::FormStorage1RestorePlacement() {
    const QString file = SettingsIniFile();
    if (!file.isEmpty()) {
        try {
            TIniFile ini(file);
            const int page = ini.ReadInteger(windowTitle(), ActivePageKey, PageControl1->currentIndex());
            if (page >= 0 && page < PageControl1->count())
                PageControl1->setCurrentIndex(page);
        } catch (const EIniFileException &) {
            // An R9.ini that cannot be read leaves the page as it is.
        }
    }
    PageControl1Change();
    RefreshAllPages();
    RefreshGenButtons();
}

void TForm_SetDev::FormStorage1SavePlacement() {
    const QString file = SettingsIniFile();
    if (file.isEmpty())
        return;
    try {
        TIniFile ini(file);
        ini.WriteInteger(windowTitle(), ActivePageKey, PageControl1->currentIndex());
    } catch (const EIniFileException &) {
        // An R9.ini that cannot be written keeps the page it had.
    }
}

void TForm_SetDev::closeEvent(QCloseEvent *event) {
    FormStorage1SavePlacement();
    SetSettingsWindowView(nullptr);
    emit Closed();
    QWidget::closeEvent(event);
}
