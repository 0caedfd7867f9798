#pragma once

#include "controls/Rxprops.h"

#include <QObject>
#include <QSize>
#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;
class TCustomIniFile;
class TFormPlacement;
class TRxWindowHook;

// Size and position limits of a window; 0 means no limit of that kind.
class TWinMinMaxInfo {
public:
    enum Index {
        MaxPosLeft,
        MaxPosTop,
        MaxSizeHeight,
        MaxSizeWidth,
        MaxTrackHeight,
        MaxTrackWidth,
        MinTrackHeight,
        MinTrackWidth,
        Count
    };

    explicit TWinMinMaxInfo(TFormPlacement *owner = nullptr) : owner_(owner) {}
    int GetMinMaxInfo(int index) const { return values_.at(index); }
    void SetMinMaxInfo(int index, int value);
    void Assign(const TWinMinMaxInfo &source);
    bool DefaultMinMaxInfo() const;

private:
    TFormPlacement *owner_;
    std::array<int, Count> values_{};
};

// Lets another component save and load its own data whenever a placement store saves or restores.
class TIniLink {
public:
    TIniLink() = default;
    virtual ~TIniLink();
    TIniLink(const TIniLink &) = delete;
    TIniLink &operator=(const TIniLink &) = delete;

    TFormPlacement *Storage() const { return storage_; }
    void SetStorage(TFormPlacement *storage);
    TCustomIniFile *GetIniObject() const;
    QString GetRootSection() const;
    virtual void SaveToIni();
    virtual void LoadFromIni();

    std::function<void(TIniLink *)> OnSaveToIni;
    std::function<void(TIniLink *)> OnLoadFromIni;

private:
    friend class TFormPlacement;
    TFormPlacement *storage_ = nullptr;
};

// Keeps a form's size, position and state in one section of an INI file. Constructed with its form as
// owner, it restores the form when the form is first shown (before the form's own OnShow), saves it when
// the form closes (after the form's own OnCloseQuery allowed closing and the form accepted the close) and,
// through FormDestroy(), which the form calls first thing in its destructor, at destruction when no save
// happened since the last restore. Handlers that throw are reported and the form goes on showing,
// closing or being destroyed.
class TFormPlacement : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QString IniFileName READ IniFileName WRITE SetIniFileName)
    Q_PROPERTY(QString IniSection READ IniSection WRITE SetIniSection)
    Q_PROPERTY(TPlacementOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(bool PreventResize READ PreventResize WRITE SetPreventResize)
    Q_PROPERTY(int Version READ Version WRITE SetVersion)
public:
    enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    Q_FLAG(TPlacementOptions)
    enum TPlacementOperation { poSave, poRestore };

    explicit TFormPlacement(QObject *owner);
    ~TFormPlacement() override;

    bool Active() const { return active_; }
    void SetActive(bool value) { active_ = value; }
    QString IniFileName() const { return iniFileName_; }
    void SetIniFileName(const QString &value) { iniFileName_ = value; }
    QString IniSection() const { return iniSection_; }
    void SetIniSection(const QString &value) { iniSection_ = value; }
    TPlacementOptions Options() const { return options_; }
    void SetOptions(TPlacementOptions value) { options_ = value; }
    bool PreventResize() const { return preventResize_; }
    void SetPreventResize(bool value);
    int Version() const { return version_; }
    void SetVersion(int value) { version_ = value; }
    TWinMinMaxInfo &MinMaxInfo() { return minMaxInfo_; }
    void SetWinMinMaxInfo(const TWinMinMaxInfo &value) { minMaxInfo_.Assign(value); }

    // The file and section in use: IniFileName, or the default INI name; IniSection, or the owner's
    // default section.
    QString GetIniFileName() const;
    QString GetIniSection() const;

    void SaveFormPlacement();
    void RestoreFormPlacement();
    // The destruction save; the form calls it first thing in its destructor, while it is still whole.
    void FormDestroy();

    QString ReadString(const QString &ident, const QString &def);
    void WriteString(const QString &ident, const QString &value);
    int ReadInteger(const QString &ident, int def);
    void WriteInteger(const QString &ident, int value);
    QString DoReadString(const QString &section, const QString &ident, const QString &def);
    void DoWriteString(const QString &section, const QString &ident, const QString &value);
    // Removes IniSection and its sub-sections "<section>.*" and "<section>\*"; nothing while a save or
    // restore has the file open.
    void EraseSections();

    TCustomIniFile *GetIniFile() const { return ini_.get(); }
    QWidget *GetForm() const;

    void AddLink(TIniLink *link);
    void RemoveLink(TIniLink *link);
    void NotifyLinks(TPlacementOperation operation);

    // The form's own handlers, called by the store in the order described above.
    std::function<void()> OnShow;
    std::function<void(bool &canClose)> OnCloseQuery;
    std::function<void()> OnDestroy;
    // Fired after the placement was written or read, while the INI file is open.
    std::function<void()> OnSavePlacement;
    std::function<void()> OnRestorePlacement;

protected:
    virtual void SavePlacement();
    virtual void RestorePlacement();
    virtual void Save();
    virtual void Restore();
    void SetRestored() { restored_ = true; }

private:
    friend class TWinMinMaxInfo;
    class IniSession;

    void IniNeeded();
    void IniFree();
    void FormBeforeEvent(QEvent *event, bool &handled);
    void FormAfterEvent(QEvent *event);
    void UpdatePlacement();
    void UpdatePreventResize();
    void MinMaxInfoModified();
    bool CheckMinMaxInfo() const { return !minMaxInfo_.DefaultMinMaxInfo(); }
    void CheckToggleHook();
    void SetHook();
    void ReleaseHook();
    void WndMessage(QEvent *event);
    void ApplyLimits();

    bool active_ = true;
    QString iniFileName_;
    QString iniSection_;
    std::unique_ptr<TCustomIniFile> ini_;
    std::vector<TIniLink *> links_;
    TPlacementOptions options_;
    int version_ = 0;
    bool saved_ = false;
    bool restored_ = false;
    bool destroying_ = false;
    bool preventResize_ = false;
    TWinMinMaxInfo minMaxInfo_{this};
    bool defaultMaximize_ = true;
    bool shown_ = false;
    TRxWindowHook *formEvents_ = nullptr; // the chaining into the form's show and close
    TRxWindowHook *hook_ = nullptr;       // size limits and fixed size, attached only while they apply
    QSize ownMinimumSize_;
    QSize ownMaximumSize_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)

class TFormStorage;

// A named free value kept in the store's section, scrambled with KeyString when that is set.
class TStoredValue {
public:
    explicit TStoredValue(TFormStorage *storage) : storage_(storage) {}

    QString Name() const { return name_; }
    // Throws std::invalid_argument "String list does not allow duplicates" when another value of the
    // store has that name (compared without regard to case).
    void SetName(const QString &value);
    QVariant Value;
    QString KeyString;
    std::function<void(TStoredValue *, QVariant &)> OnSave;
    std::function<void(TStoredValue *, QVariant &)> OnRestore;

    void Save();
    void Restore();
    void Clear() { Value = QVariant(); }

private:
    TFormStorage *storage_;
    QString name_;
};

// The placement store plus the listed published properties of the form's components ("Memo1.Width"
// becomes the key Memo1_Width) and a collection of free values.
class TFormStorage : public TFormPlacement {
    Q_OBJECT
public:
    explicit TFormStorage(QObject *owner);
    ~TFormStorage() override;

    // Lines "Component.Property"; each is resolved against the form now, so the form sets them once its
    // components exist. Lines that name no component, or are not of that shape, are dropped.
    void SetStoredProps(const QStringList &lines);
    QStringList StoredProps() const;

    TStoredValue *AddStoredValue(const QString &name);
    TStoredValue *StoredValue(const QString &name) const; // none when absent
    int IndexOfStoredValue(const QString &name) const;    // -1 when absent

    void SaveProperties();
    void RestoreProperties();

protected:
    void SavePlacement() override;
    void RestorePlacement() override;

private:
    TStoredPropList storedProps_;
    std::vector<std::unique_ptr<TStoredValue>> storedValues_;
};
