#include "controls/Placemnt.h"

#include "controls/Apputils.h"
#include "controls/Rxhook.h"
#include "controls/Strutils.h"
#include "controls/WindowPlacement.h"
#include "platform/IniFile.h"

#include <QDialog>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <stdexcept>

namespace {

// The store's automatic work runs inside the form's events; what it throws is reported and the event
// goes on.
template <typename Work> void Guarded(Work &&work) {
    try {
        work();
    } catch (const std::exception &error) {
        ApplicationHandleException(error);
    }
}

constexpr Qt::WindowFlags kTitleBarHints = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

bool HasMaximizeButton(const QWidget *widget) {
    const Qt::WindowFlags flags = widget->windowFlags();
    return !(flags & Qt::CustomizeWindowHint) || (flags & Qt::WindowMaximizeButtonHint);
}

void ShowMaximizeButton(QWidget *widget, bool show) {
    if (HasMaximizeButton(widget) == show)
        return;
    Qt::WindowFlags flags = widget->windowFlags();
    if (!(flags & Qt::CustomizeWindowHint))
        flags |= kTitleBarHints;
    flags.setFlag(Qt::WindowMaximizeButtonHint, show);
    const bool visible = widget->isVisible();
    widget->setWindowFlags(flags);
    if (visible)
        widget->show();
}

} // namespace

// Opens the store's INI object for a save or restore unless one is open already, and closes what it
// opened, also when the work failed.
class TFormPlacement::IniSession {
public:
    explicit IniSession(TFormPlacement *store) : store_(store), opened_(!store->ini_) { store->IniNeeded(); }
    ~IniSession() {
        if (opened_)
            store_->IniFree();
    }
    IniSession(const IniSession &) = delete;
    IniSession &operator=(const IniSession &) = delete;
    TCustomIniFile *Ini() const { return store_->ini_.get(); }

private:
    TFormPlacement *store_;
    bool opened_;
};

void TWinMinMaxInfo::SetMinMaxInfo(int index, int value) {
    if (values_.at(index) == value)
        return;
    values_.at(index) = value;
    if (owner_)
        owner_->MinMaxInfoModified();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo &source) {
    values_ = source.values_;
    if (owner_)
        owner_->MinMaxInfoModified();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
    return std::all_of(values_.begin(), values_.end(), [](int value) { return value == 0; });
}

TIniLink::~TIniLink() {
    OnSaveToIni = nullptr;
    OnLoadFromIni = nullptr;
    SetStorage(nullptr);
}

void TIniLink::SetStorage(TFormPlacement *storage) {
    if (storage == storage_)
        return;
    if (storage_)
        storage_->RemoveLink(this);
    if (storage)
        storage->AddLink(this);
}

TCustomIniFile *TIniLink::GetIniObject() const {
    return storage_ ? storage_->GetIniFile() : nullptr;
}

QString TIniLink::GetRootSection() const {
    if (!storage_ || storage_->IniSection().isEmpty())
        return {};
    return storage_->IniSection() + u'\\';
}

void TIniLink::SaveToIni() {
    if (OnSaveToIni)
        OnSaveToIni(this);
}

void TIniLink::LoadFromIni() {
    if (OnLoadFromIni)
        OnLoadFromIni(this);
}

TFormPlacement::TFormPlacement(QObject *owner) : QObject(owner) {
    hook_ = new TRxWindowHook(this);
    hook_->AfterMessage = [this](TRxWindowHook *, QEvent *event, bool &) { WndMessage(event); };
    QWidget *form = GetForm();
    if (!form)
        return;
    options_ = fpState | fpPosition;
    defaultMaximize_ = HasMaximizeButton(form);
    formEvents_ = new TRxWindowHook(this);
    formEvents_->BeforeMessage = [this](TRxWindowHook *, QEvent *event, bool &handled) {
        FormBeforeEvent(event, handled);
    };
    formEvents_->AfterMessage = [this](TRxWindowHook *, QEvent *event, bool &) { FormAfterEvent(event); };
    formEvents_->SetWinControl(form);
}

TFormPlacement::~TFormPlacement() {
    IniFree();
    while (!links_.empty())
        RemoveLink(links_.back());
}

QWidget *TFormPlacement::GetForm() const {
    return IsForm(parent()) ? static_cast<QWidget *>(parent()) : nullptr;
}

void TFormPlacement::SetPreventResize(bool value) {
    if (!GetForm() || value == preventResize_)
        return;
    preventResize_ = value;
    UpdatePlacement();
    UpdatePreventResize();
}

QString TFormPlacement::GetIniFileName() const {
    return iniFileName_.isEmpty() ? GetDefaultIniName() : iniFileName_;
}

QString TFormPlacement::GetIniSection() const {
    return iniSection_.isEmpty() ? GetDefaultSection(parent()) : iniSection_;
}

void TFormPlacement::IniNeeded() {
    if (!ini_)
        ini_ = std::make_unique<TIniFile>(GetIniFileName());
}

void TFormPlacement::IniFree() {
    ini_.reset();
}

void TFormPlacement::FormBeforeEvent(QEvent *event, bool &handled) {
    if (event->type() == QEvent::Show && !event->spontaneous() && !shown_) {
        shown_ = true;
        if (active_)
            Guarded([this] { RestoreFormPlacement(); });
        if (OnShow)
            Guarded(OnShow);
    } else if (event->type() == QEvent::Close) {
        bool canClose = true;
        if (OnCloseQuery)
            Guarded([this, &canClose] { OnCloseQuery(canClose); });
        if (!canClose) {
            event->ignore();
            handled = true;
        }
    }
}

void TFormPlacement::FormAfterEvent(QEvent *event) {
    if (event->type() != QEvent::Close || !event->isAccepted())
        return;
    if (active_ && GetForm())
        Guarded([this] { SaveFormPlacement(); });
    shown_ = false;
}

void TFormPlacement::FormDestroy() {
    if (active_ && !saved_) {
        destroying_ = true;
        Guarded([this] { SaveFormPlacement(); });
        destroying_ = false;
    }
    if (OnDestroy)
        Guarded(OnDestroy);
}

void TFormPlacement::SaveFormPlacement() {
    // An active store whose form was never restored keeps the section as it is.
    if (!restored_ && active_)
        return;
    IniSession session(this);
    IniWriteInteger(session.Ini(), GetIniSection(), QStringLiteral("FormVersion"), version_);
    SavePlacement();
    Save();
    saved_ = true;
}

void TFormPlacement::RestoreFormPlacement() {
    saved_ = false;
    {
        IniSession session(this);
        const QString section = GetIniSection();
        if (IniReadInteger(session.Ini(), section, QStringLiteral("FormVersion"), 0) >= version_) {
            RestorePlacement();
            restored_ = true;
            Restore();
            if ((options_ & fpActiveControl) && GetForm()) {
                const QString name = IniReadString(session.Ini(), section, QStringLiteral("ActiveControl"), QString());
                auto *control = qobject_cast<QWidget *>(FindComponent(GetForm(), name));
                if (control && control->focusPolicy() != Qt::NoFocus && control->isEnabled())
                    control->setFocus();
            }
        }
        restored_ = true;
    }
    UpdatePlacement();
}

void TFormPlacement::SavePlacement() {
    if (QWidget *form = GetForm()) {
        const QString section = GetIniSection();
        WriteFormPlacement(form, GetIniFile(), section);
        const QWidget *focused = form->focusWidget();
        if ((options_ & fpActiveControl) && focused && focused != form)
            IniWriteString(GetIniFile(), section, QStringLiteral("ActiveControl"), focused->objectName());
        IniWriteString(GetIniFile(), section, QStringLiteral("Visible"),
                       destroying_ ? QStringLiteral("1") : QStringLiteral("0"));
    }
    NotifyLinks(poSave);
}

void TFormPlacement::RestorePlacement() {
    if (QWidget *form = GetForm())
        ReadFormPlacement(form, GetIniFile(), GetIniSection(), options_ & fpState, options_ & fpPosition);
    NotifyLinks(poRestore);
}

void TFormPlacement::Save() {
    if (OnSavePlacement)
        OnSavePlacement();
}

void TFormPlacement::Restore() {
    if (OnRestorePlacement)
        OnRestorePlacement();
}

QString TFormPlacement::ReadString(const QString &ident, const QString &def) {
    return DoReadString(GetIniSection(), ident, def);
}

void TFormPlacement::WriteString(const QString &ident, const QString &value) {
    DoWriteString(GetIniSection(), ident, value);
}

int TFormPlacement::ReadInteger(const QString &ident, int def) {
    IniSession session(this);
    return IniReadInteger(session.Ini(), GetIniSection(), ident, def);
}

void TFormPlacement::WriteInteger(const QString &ident, int value) {
    IniSession session(this);
    IniWriteInteger(session.Ini(), GetIniSection(), ident, value);
}

QString TFormPlacement::DoReadString(const QString &section, const QString &ident, const QString &def) {
    IniSession session(this);
    return IniReadString(session.Ini(), section, ident, def);
}

void TFormPlacement::DoWriteString(const QString &section, const QString &ident, const QString &value) {
    IniSession session(this);
    IniWriteString(session.Ini(), section, ident, value);
}

void TFormPlacement::EraseSections() {
    if (ini_)
        return;
    IniSession session(this);
    const QString section = GetIniSection();
    for (const QString &name : IniReadSections(session.Ini()))
        if (name == section || IsWild(name, section + QStringLiteral(".*"), false) ||
            IsWild(name, section + QStringLiteral("\\*"), false))
            IniEraseSection(session.Ini(), name);
}

void TFormPlacement::AddLink(TIniLink *link) {
    if (link->storage_ && link->storage_ != this)
        link->storage_->RemoveLink(link);
    if (std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
    link->storage_ = this;
}

void TFormPlacement::RemoveLink(TIniLink *link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    link->storage_ = nullptr;
}

void TFormPlacement::NotifyLinks(TPlacementOperation operation) {
    for (TIniLink *link : links_) {
        if (operation == poSave)
            link->SaveToIni();
        else
            link->LoadFromIni();
    }
}

void TFormPlacement::UpdatePlacement() {
    QWidget *form = GetForm();
    if (form && !preventResize_ && !CheckMinMaxInfo())
        SetMaximizedPosition(form, -BorderSize(form));
}

void TFormPlacement::UpdatePreventResize() {
    QWidget *form = GetForm();
    if (!form)
        return;
    QWidget *widget = PlacementWidget(form);
    if (preventResize_)
        defaultMaximize_ = HasMaximizeButton(widget);
    ShowMaximizeButton(widget, !preventResize_ && defaultMaximize_ && !qobject_cast<QDialog *>(form));
    CheckToggleHook();
}

void TFormPlacement::MinMaxInfoModified() {
    UpdatePlacement();
    CheckToggleHook();
}

void TFormPlacement::CheckToggleHook() {
    if (CheckMinMaxInfo() || preventResize_)
        SetHook();
    else
        ReleaseHook();
}

void TFormPlacement::SetHook() {
    QWidget *form = GetForm();
    if (!form)
        return;
    if (!hook_->WinControl()) {
        QWidget *widget = PlacementWidget(form);
        ownMinimumSize_ = widget->minimumSize();
        ownMaximumSize_ = widget->maximumSize();
        hook_->SetWinControl(form);
    }
    ApplyLimits();
}

void TFormPlacement::ReleaseHook() {
    QWidget *form = GetForm();
    if (!form || !hook_->WinControl())
        return;
    hook_->SetWinControl(nullptr);
    QWidget *widget = PlacementWidget(form);
    widget->setMinimumSize(ownMinimumSize_);
    widget->setMaximumSize(ownMaximumSize_);
}

// The limits are constraints of the widget in this platform; they are put in force again after each
// event that may have replaced them (showing, a state change, moving into an MDI sub-window).
void TFormPlacement::WndMessage(QEvent *event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowStateChange:
    case QEvent::ParentChange:
        ApplyLimits();
        break;
    default:
        break;
    }
}

void TFormPlacement::ApplyLimits() {
    QWidget *form = GetForm();
    if (!form)
        return;
    QWidget *widget = PlacementWidget(form);
    if (preventResize_) {
        widget->setFixedSize(widget->size());
        return;
    }
    const auto limit = [this](int index, int own) {
        const int value = minMaxInfo_.GetMinMaxInfo(index);
        return value != 0 ? value : own;
    };
    widget->setMinimumSize(limit(TWinMinMaxInfo::MinTrackWidth, ownMinimumSize_.width()),
                           limit(TWinMinMaxInfo::MinTrackHeight, ownMinimumSize_.height()));
    widget->setMaximumSize(limit(TWinMinMaxInfo::MaxTrackWidth, ownMaximumSize_.width()),
                           limit(TWinMinMaxInfo::MaxTrackHeight, ownMaximumSize_.height()));
    if (widget->windowState() & Qt::WindowMaximized) {
        const QRect current = widget->geometry();
        widget->setGeometry(limit(TWinMinMaxInfo::MaxPosLeft, current.x()),
                            limit(TWinMinMaxInfo::MaxPosTop, current.y()),
                            limit(TWinMinMaxInfo::MaxSizeWidth, current.width()),
                            limit(TWinMinMaxInfo::MaxSizeHeight, current.height()));
    }
}

void TStoredValue::SetName(const QString &value) {
    if (!value.isEmpty() && value.compare(name_, Qt::CaseInsensitive) != 0 && storage_->IndexOfStoredValue(value) >= 0)
        throw std::invalid_argument("String list does not allow duplicates");
    name_ = value;
}

void TStoredValue::Save() {
    QVariant value = Value;
    if (OnSave)
        OnSave(this, value);
    QString text = value.toString();
    if (!KeyString.isEmpty())
        text = XorEncode(KeyString, text);
    storage_->WriteString(name_, text);
}

void TStoredValue::Restore() {
    QString def = Value.toString();
    if (!KeyString.isEmpty())
        def = XorEncode(KeyString, def);
    QString text = storage_->ReadString(name_, def);
    if (!KeyString.isEmpty())
        text = XorDecode(KeyString, text);
    QVariant value(text);
    if (OnRestore)
        OnRestore(this, value);
    Value = value;
}

TFormStorage::TFormStorage(QObject *owner) : TFormPlacement(owner) {}

TFormStorage::~TFormStorage() = default;

void TFormStorage::SetStoredProps(const QStringList &lines) {
    storedProps_.clear();
    for (const QString &line : lines)
        storedProps_.push_back({line, nullptr});
    UpdateStoredList(parent(), storedProps_, true);
}

QStringList TFormStorage::StoredProps() const {
    QStringList lines;
    for (const TStoredProp &item : storedProps_)
        lines << item.line;
    return lines;
}

TStoredValue *TFormStorage::AddStoredValue(const QString &name) {
    auto value = std::make_unique<TStoredValue>(this);
    value->SetName(name);
    storedValues_.push_back(std::move(value));
    return storedValues_.back().get();
}

TStoredValue *TFormStorage::StoredValue(const QString &name) const {
    const int index = IndexOfStoredValue(name);
    return index < 0 ? nullptr : storedValues_[index].get();
}

int TFormStorage::IndexOfStoredValue(const QString &name) const {
    for (size_t i = 0; i < storedValues_.size(); ++i)
        if (storedValues_[i]->Name().compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void TFormStorage::SaveProperties() {
    TPropsStorage storage;
    storage.Section = GetIniSection();
    storage.OnWriteString = [this](const QString &section, const QString &key, const QString &value) {
        DoWriteString(section, key, value);
    };
    storage.OnEraseSection = [this](const QString &section) { IniEraseSection(GetIniFile(), section); };
    storage.StoreObjectsProps(parent(), storedProps_);
}

void TFormStorage::RestoreProperties() {
    TPropsStorage storage;
    storage.Section = GetIniSection();
    storage.OnReadString = [this](const QString &section, const QString &key, const QString &def) {
        return DoReadString(section, key, def);
    };
    storage.LoadObjectsProps(parent(), storedProps_);
}

void TFormStorage::SavePlacement() {
    TFormPlacement::SavePlacement();
    SaveProperties();
    for (const auto &value : storedValues_)
        value->Save();
}

void TFormStorage::RestorePlacement() {
    TFormPlacement::RestorePlacement();
    SetRestored();
    RestoreProperties();
    for (const auto &value : storedValues_)
        value->Restore();
}
