#pragma once

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TFormPlacement;

// What the program settings dialog takes from the rest of the program; the main window fills it at start.
// Empty members (tests, a dialog without a main window) stand for R9.ini in the program folder, no
// scenario running, the averaging interval as the automatic-protocol interval and no window arrangement.
struct TSettingsHost {
    std::function<QString()> IniFileName;
    std::function<bool()> ScenarioRunning;
    // Seconds between two automatic protocol entries; the box is offered from 5 s on.
    std::function<int()> AutoProtocolInterval;
    // Opens the graph windows of the current kind and closes the others, when AutoWindowChange asks so.
    std::function<void()> ArrangeGraphWindows;
};
extern TSettingsHost SettingsHost;

// The modeless program settings dialog "Программные yстановки" (the "y" is Latin): the recording time
// windows on one page, the number precision and the automatic options on the other. OK stores every
// field only after all of them were read, so a wrong date leaves ProgramSettings as it was.
class TForm_Settings : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Settings(QWidget *parent = nullptr);
    ~TForm_Settings() override;

    static constexpr int AutoProtocolMinSeconds = 5;

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet_SaveOpt = nullptr;
    QWidget *TabSheet_AnyOpt = nullptr;
    QFrame *Panel1 = nullptr;
    std::array<QCheckBox *, 10> CB{};        // CB1..CB10
    std::array<QLineEdit *, 20> MaskEdit{};  // MaskEdit1..MaskEdit10 start, MaskEdit11..MaskEdit20 end
    QGroupBox *GroupBox2 = nullptr;
    QSpinBox *CSp_Precision = nullptr;
    QCheckBox *CB_AutoChangeForm = nullptr;
    QCheckBox *CB_AutoPrt = nullptr;
    QPushButton *BitBtn1 = nullptr; // OK
    QPushButton *BitBtn2 = nullptr; // "Отмена"

    // Fills the dialog from ProgramSettings; also after others changed it while the dialog is open.
    void ShowSettings();
    void BitBtn1Click();
    void BitBtn2Click();
    void EditChange(QLineEdit *edit);
    void MaskEdit1Exit(QLineEdit *edit);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildSavePage();
    void BuildOptionsPage();
    void CloseDialog();

    TFormPlacement *FormStorage1 = nullptr;
    bool repairing_ = false;
};
