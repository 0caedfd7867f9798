#include "shell/Main.h"

#include "platform/StringTable.h"
#include "settings/masters/MasterTimers.h"
#include "shell/MainImages.h"
#include "shell/StatusBar2.h"

#include <QMdiArea>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace {

QToolBar *NewBand(QWidget *parent, const char *name) {
    auto *bar = new QToolBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setMovable(false);
    bar->setFloatable(false);
    return bar;
}

QTimer *NewTimer(QObject *parent, const char *name, int interval) {
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(interval);
    return timer;
}

} // namespace

QToolButton *AddButton(QToolBar *bar, const char *name, const QString &text, const QString &hint) {
    auto *button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(hint.isEmpty() ? text : hint);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}

void TMainForm::BuildControls() {
    ImageLists = BuildMainImages();
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildControlBar();
    layout->addWidget(ControlBar1);
    Splitter1 = new QSplitter(Qt::Horizontal, client);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Memo1 = new QPlainTextEdit(Splitter1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    MdiArea = new QMdiArea(Splitter1);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setBackground(QColor(128, 128, 128));
    Splitter1->addWidget(Memo1);
    Splitter1->addWidget(MdiArea);
    Splitter1->setStretchFactor(1, 1);
    layout->addWidget(Splitter1, 1);
    BuildStatusBar();
    layout->addWidget(StatusBar2);
    setCentralWidget(client);
    BuildMenus();
    BuildViewMenus();
    BuildTimers();
    PlaceBands();
    resize(1024, 700);
}

void TMainForm::BuildControlBar() {
    ControlBar1 = new QWidget(this);
    ControlBar1->setObjectName(QStringLiteral("ControlBar1"));
    ControlBar1->setAutoFillBackground(true);

    ToolBar_Menu = NewBand(ControlBar1, "ToolBar_Menu");
    ToolBar_SelfGen = NewBand(ControlBar1, "ToolBar_SelfGen");
    ToolButton1 = AddButton(ToolBar_SelfGen, "ToolButton1", QStringLiteral("Генератор"));
    ToolButton1->setCheckable(true);
    ToolButton1->setChecked(true);
    Button_Gen = AddButton(ToolBar_SelfGen, "Button_Gen", QStringLiteral("Г"), QStringLiteral("Генератор"));
    ToolBar_SelfMeter = NewBand(ControlBar1, "ToolBar_SelfMeter");
    ToolButton20 = AddButton(ToolBar_SelfMeter, "ToolButton20", QStringLiteral("Измеритель"));
    ToolButton20->setCheckable(true);
    ToolButton20->setChecked(true);
    ToolBar_Error = NewBand(ControlBar1, "ToolBar_Error");
    Button_Power = AddButton(ToolBar_Error, "Button_Power", QStringLiteral("Питание"));
    TlB_Tech = AddButton(ToolBar_Error, "TlB_Tech", QStringLiteral("Сервис"));
    BuildPages();
    Button_Gen->setToolButtonStyle(Qt::ToolButtonIconOnly);
    BindImageList(Button_Gen, ImageLists.ImageList_Gen);
    Button_Gen->setProperty("ImageIndex", 0);
    Button_Power->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    BindImageList(Button_Power, ImageLists.ImageList_Buttons);
    // Pressing a summary button never releases it.
    for (QToolButton *summary : {ToolButton1, ToolButton20})
        connect(summary, &QToolButton::toggled, summary, [summary] { summary->setChecked(true); });
    connect(Button_Power, &QToolButton::clicked, this, &TMainForm::Button_PowerClick);
    connect(TlB_Tech, &QToolButton::clicked, this, &TMainForm::TlB_TechClick);
    connect(Button_Gen, &QToolButton::clicked, this, [this] { N_GenClick(Button_Gen); });
}

void TMainForm::BuildPages() {
    PageControl1 = new QTabWidget(ControlBar1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    struct Page {
        const char *sheet;
        const char *bar;
        const char *caption;
        QToolBar **target;
    };
    const Page pages[] = {
        {"TabSheet_Start", "ToolBar_Start", "Старт/Стоп", &ToolBar_Start},
        {"TabSheet_FormView", "ToolBar_FormView", "Формы представления", &ToolBar_FormView},
        {"TabSheet_Scale", "ToolBar_Scale", "Масштабирование", &ToolBar_Scale},
        {"TabSheet_Cursor", "ToolBar_Cursor", "Курсоры", &ToolBar_Cursor},
    };
    for (const Page &page : pages) {
        auto *sheet = new QWidget(PageControl1);
        sheet->setObjectName(QLatin1String(page.sheet));
        auto *layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        *page.target = NewBand(sheet, page.bar);
        layout->addWidget(*page.target);
        PageControl1->addTab(sheet, QString::fromUtf8(page.caption));
    }
    Button_Start = AddButton(ToolBar_Start, "Button_Start", QStringLiteral("Старт"));
    Button_Stop = AddButton(ToolBar_Start, "Button_Stop", QStringLiteral("Пауза"));
    Button_Stop->setCheckable(true);
    for (QToolButton *button : {Button_Start, Button_Stop}) {
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        BindImageList(button, ImageLists.ImageList_StartStop);
    }
    Button_Break = AddButton(ToolBar_Start, "Button_Break", QStringLiteral("Стоп"));
    Button_SaveData =
        AddButton(ToolBar_Start, "Button_SaveData", QStringLiteral("Запись"), QStringLiteral("Сохранение результатов"));
    Button_PlayData =
        AddButton(ToolBar_Start, "Button_PlayData", QStringLiteral("Просмотр"), QStringLiteral("Просмотр результатов"));
    Button_Exit = AddButton(ToolBar_Start, "Button_Exit", QStringLiteral("Выход"));
    connect(Button_Exit, &QToolButton::clicked, this, &TMainForm::Button_ExitClick);

    Button_Result = AddButton(ToolBar_FormView, "Button_Result", QStringLiteral("Результаты"));
    Button_Spectr = AddButton(ToolBar_FormView, "Button_Spectr", QStringLiteral("Спектр"));
    Button_Reflect = AddButton(ToolBar_FormView, "Button_Reflect", QStringLiteral("ПСС"));
    Button_MTTS = AddButton(ToolBar_FormView, "Button_MTTS", QStringLiteral("МЧС"));
    Button_SST = AddButton(ToolBar_FormView, "Button_SST", QStringLiteral("Мирвак"));
    Button_TimeDiag = AddButton(ToolBar_FormView, "Button_TimeDiag", QStringLiteral("Диаграммы"));
    for (QToolButton *button : {Button_Result, Button_Spectr, Button_Reflect, Button_MTTS, Button_SST, Button_TimeDiag})
        button->setPopupMode(QToolButton::MenuButtonPopup);
    BuildScaleBar();
    BuildCursorBar();
    connect(PageControl1, &QTabWidget::currentChanged, ControlBar1, [this] { ControlBar1->setFocus(); });
}

// The bands sit where R9.ini put them. Until then: the menu band and the pages in the first rows, and
// below them the generator, meter and fault bands, whose summaries may grow to the window's width.
void TMainForm::PlaceBands() {
    for (QToolBar *band : {ToolBar_Menu, ToolBar_SelfGen, ToolBar_SelfMeter, ToolBar_Error})
        band->resize(band->sizeHint());
    int pageWidth = PageControl1->tabBar()->sizeHint().width() + 8;
    for (QToolBar *page : {ToolBar_Start, ToolBar_FormView, ToolBar_Scale, ToolBar_Cursor})
        pageWidth = std::max(pageWidth, page->sizeHint().width() + 8);
    ToolBar_Menu->move(0, 0);
    PageControl1->setGeometry(ToolBar_Menu->width() + 8, 0, pageWidth, PageControl1->sizeHint().height());
    const int row = std::max(ToolBar_Menu->height(), PageControl1->height()) + 2;
    ToolBar_SelfGen->move(0, row);
    ToolBar_SelfMeter->move(ToolBar_SelfGen->width() + 4, row);
    ToolBar_Error->move(ToolBar_SelfMeter->x() + ToolBar_SelfMeter->width() + 4, row);
    ControlBar1->setFixedHeight(row + ToolBar_SelfGen->height() + 2);
}

void TMainForm::FitBand(QToolBar *band) {
    const int oldRight = band->x() + band->width();
    // A band that was never shown keeps the size hint of its first captions until its layout is told.
    band->layout()->invalidate();
    band->resize(band->sizeHint().width(), band->height());
    const int shift = band->x() + band->width() - oldRight;
    if (shift == 0)
        return;
    // What stands right of the band beside it keeps its distance from the band.
    const auto beside = [band](const QWidget *other) {
        return other->y() < band->y() + band->height() && band->y() < other->y() + other->height();
    };
    for (QWidget *other : std::initializer_list<QWidget *>{ToolBar_Menu, ToolBar_SelfGen, ToolBar_SelfMeter,
                                                           ToolBar_Error, PageControl1})
        if (other != band && other->x() >= oldRight && beside(other))
            other->move(other->x() + shift, other->y());
}

// Bands put back where R9.ini had them may lie on one another when a band has grown since (a longer
// summary): a band that overlaps one left of it moves right until it stands beside it.
void TMainForm::KeepBandsApart() {
    QList<QWidget *> bands;
    for (QWidget *band : std::initializer_list<QWidget *>{ToolBar_Menu, PageControl1, ToolBar_SelfGen,
                                                           ToolBar_SelfMeter, ToolBar_Error})
        if (!band->isHidden())
            bands << band;
    std::stable_sort(bands.begin(), bands.end(), [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
    // Each pass moves bands only to the right, so as many passes as bands settle them all.
    for (qsizetype pass = 0; pass < bands.size(); ++pass)
        for (qsizetype i = 1; i < bands.size(); ++i)
            for (qsizetype j = 0; j < i; ++j)
                if (bands[i]->geometry().intersects(bands[j]->geometry()))
                    bands[i]->move(bands[j]->x() + bands[j]->width() + 4, bands[i]->y());
}

void TMainForm::FitSummaryBands() {
    FitBand(ToolBar_SelfGen);
    FitBand(ToolBar_SelfMeter);
}

void FitToolBarWidth(QToolBar *bar) {
    const QLayout *layout = bar->layout();
    const QMargins margins = layout->contentsMargins();
    int width = margins.left() + margins.right();
    for (QAction *action : bar->actions())
        if (const QWidget *button = bar->widgetForAction(action); button && action->isVisible())
            width += button->sizeHint().width() + layout->spacing();
    bar->setFixedWidth(width);
}

void TMainForm::BuildStatusBar() {
    StatusBar2 = new TStatusBar2(this);
    StatusBar2->SetPanelCount(5);
    StatusBar2->SetOwnerDrawn(3, true);
    StatusBar2->SetOwnerDrawn(4, true);
    StatusBar2->SetSpringPanel(3);
    StatusBar2->SetPanelWidth(4, 25);
    // The frequency start-up applies is read from this panel, so it holds the default from the start.
    StatusBar2->SetPanelText(1, QStringLiteral("256 ") + LoadStr(415));
    StatusBar2->FitPanel(1);
    StatusBar2->OnDrawPanel = [this](QPainter &painter, int panel, const QRect &rect) {
        StatusBar2DrawPanel(painter, panel, rect);
    };
    connect(StatusBar2, &TStatusBar2::PanelClicked, this, &TMainForm::StatusBar2Click);
    connect(StatusBar2, &TStatusBar2::MouseMoved, this, &TMainForm::StatusBar2MouseMove);
}

void TMainForm::BuildTimers() {
    Timer1 = NewTimer(this, "Timer1", 500);
    Timer_G9master = NewTimer(this, "Timer_G9master", 1000);
    Timer_M9master = NewTimer(this, "Timer_M9master", 1000);
    PackWork_Timer = NewTimer(this, "PackWork_Timer", 1000);
    Timer_Message = NewTimer(this, "Timer_Message", 100);
    Timer_PowerStatus = NewTimer(this, "Timer_PowerStatus", 1000);
    ListCloseTimer = NewTimer(this, "ListCloseTimer", 500);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(ListCloseTimer, &QTimer::timeout, this, &TMainForm::ListCloseTick);
    connect(Timer_G9master, &QTimer::timeout, this, &TMainForm::Timer_masterTimer);
    connect(Timer_M9master, &QTimer::timeout, this, &TMainForm::Timer_masterTimer);
    // The masters set their intervals and switch these timers themselves.
    MasterTimers() = {Timer_G9master, Timer_M9master};
    connect(Timer_G9master, &QObject::destroyed, [timer = Timer_G9master] {
        if (MasterTimers().Timer_G9master == timer)
            MasterTimers() = {};
    });
    connect(PackWork_Timer, &QTimer::timeout, this, &TMainForm::PackWork_TimerTimer);
    connect(Timer_Message, &QTimer::timeout, this, &TMainForm::Timer_MessageTimer);
    connect(Timer_PowerStatus, &QTimer::timeout, this, &TMainForm::Timer_PowerStatusTimer);
}
