#include "controls/Speedbar.h"

#include "controls/Apputils.h"
#include "controls/Placemnt.h"
#include "controls/Strutils.h"
#include "controls/WindowPlacement.h"
#include "platform/NumberFormat.h"

namespace {

const QString kButtonDelimiters = QStringLiteral(" ,");

} // namespace

void TSpeedBar::SaveLayout(TCustomIniFile *ini) {
    InternalSaveLayout(ini, GetDefaultSection(this));
}

void TSpeedBar::RestoreLayout(TCustomIniFile *ini) {
    InternalRestoreLayout(ini, GetDefaultSection(this));
}

// The keys and their order are a stored format: Position, Width (docked at a side only), Version,
// PixelsPerInch, BtnWidth, BtnHeight, Button1... of the visible stored items, Count.
void TSpeedBar::InternalSaveLayout(TCustomIniFile *ini, const QString &section) {
    IniEraseSection(ini, section);
    IniWriteInteger(ini, section, QStringLiteral("Position"), int(align_));
    if (align_ == alTop || align_ == alBottom)
        IniWriteInteger(ini, section, QStringLiteral("Width"), height());
    else if (align_ == alLeft || align_ == alRight)
        IniWriteInteger(ini, section, QStringLiteral("Width"), width());
    IniWriteInteger(ini, section, QStringLiteral("Version"), version_);
    IniWriteInteger(ini, section, QStringLiteral("PixelsPerInch"), ScreenPixelsPerInch(this));
    IniWriteInteger(ini, section, QStringLiteral("BtnWidth"), btnWidth_);
    IniWriteInteger(ini, section, QStringLiteral("BtnHeight"), btnHeight_);
    int count = 0;
    ForEachItem(
        [&](TSpeedItem *item, qintptr) {
            if (!item->Visible() || !item->Stored())
                return;
            ++count;
            IniWriteString(ini, section, QStringLiteral("Button%1").arg(count),
                           QStringLiteral("%1,%2,%3").arg(item->objectName()).arg(item->Left()).arg(item->Top()));
        },
        0);
    IniWriteInteger(ini, section, QStringLiteral("Count"), count);
}

// An older layout is ignored whole; one from a screen of another resolution gives only the side.
void TSpeedBar::InternalRestoreLayout(TCustomIniFile *ini, const QString &section) {
    const TAlign oldAlign = align_;
    if (IniReadInteger(ini, section, QStringLiteral("Version"), version_) < version_)
        return;
    if (options_ & sbAllowDrag) {
        const int stored = IniReadInteger(ini, section, QStringLiteral("Position"), int(align_));
        try {
            if (stored < alNone || stored > alClient)
                throw ESpeedbarError("Cannot set this property value while Position is bpAuto");
            SetAlign(TAlign(stored));
        } catch (const ESpeedbarError &) {
            SetAlign(alTop);
        }
    }
    const int screenPixelsPerInch = ScreenPixelsPerInch(this);
    const int ownerPixelsPerInch = window() != this ? ScreenPixelsPerInch(window()) : 0;
    const bool sameResolution =
        IniReadInteger(ini, section, QStringLiteral("PixelsPerInch"), ownerPixelsPerInch) == screenPixelsPerInch;
    if (sameResolution && (options_ & sbAllowResize)) {
        if (align_ == alTop || align_ == alBottom)
            SetThickness(IniReadInteger(ini, section, QStringLiteral("Width"), height()));
        else if (align_ == alLeft || align_ == alRight)
            SetThickness(IniReadInteger(ini, section, QStringLiteral("Width"), width()));
    }
    if (align_ != oldAlign)
        PosChanged();
    if (!sameResolution)
        return;

    const int count = IniReadInteger(ini, section, QStringLiteral("Count"), 0);
    if (count > 0) {
        ForEachItem([](TSpeedItem *item, qintptr) { item->SetVisible(false); }, 0);
        for (int i = 1; i <= count; ++i) {
            const QString value = IniReadString(ini, section, QStringLiteral("Button%1").arg(i), QString());
            if (value.isEmpty())
                continue;
            TSpeedItem *item = SearchItem(ExtractWord(1, value, kButtonDelimiters));
            if (!item)
                continue;
            item->SetLeft(std::max(TextToInt(ExtractWord(2, value, kButtonDelimiters), item->Left()), offsetX_));
            item->SetTop(std::max(TextToInt(ExtractWord(3, value, kButtonDelimiters), item->Top()), offsetY_));
            item->SetVisible(true);
        }
    }
    update();
}

TFormPlacement *TSpeedBar::IniStorage() const {
    return iniLink_ ? iniLink_->Storage() : nullptr;
}

void TSpeedBar::SetIniStorage(TFormPlacement *value) {
    if (iniLink_)
        iniLink_->SetStorage(value);
}

// With a placement store the layout goes into "<store section>\<bar section>" of the store's open file.
void TSpeedBar::IniSave() {
    if (objectName().isEmpty() || !iniLink_->GetIniObject())
        return;
    InternalSaveLayout(iniLink_->GetIniObject(), iniLink_->GetRootSection() + GetDefaultSection(this));
}

void TSpeedBar::IniLoad() {
    if (objectName().isEmpty() || !iniLink_->GetIniObject())
        return;
    InternalRestoreLayout(iniLink_->GetIniObject(), iniLink_->GetRootSection() + GetDefaultSection(this));
}
