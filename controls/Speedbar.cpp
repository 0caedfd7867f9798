#include "controls/Speedbar.h"

#include "controls/Placemnt.h"

#include <QApplication>
#include <QRubberBand>

namespace {

// What stands before the first "|" and after it; a text without one is both.
QString ShortPart(const QString &text) {
    const qsizetype bar = text.indexOf(u'|');
    return bar < 0 ? text : text.left(bar);
}

QString LongPart(const QString &text) {
    const qsizetype bar = text.indexOf(u'|');
    return bar < 0 ? text : text.mid(bar + 1);
}

} // namespace

QEvent::Type TSpeedbarChangedEvent::Type() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

TSpeedItem::TSpeedItem(QObject *owner) : QObject(owner) {
    button_ = new TSpeedbarButton(this);
    button_->hide();
    button_->SetSpacing(4);
}

TSpeedItem::~TSpeedItem() {
    visible_ = false;
    if (speedBar_)
        speedBar_->RemoveItem(this);
    delete button_;
}

// The hint follows the caption while they agree: the hint's short part is the old caption.
void TSpeedItem::SetCaption(const QString &value) {
    const QString oldHint = Hint();
    const bool follows = !qobject_cast<QWidget *>(parent()) || caption_ == ShortPart(oldHint);
    caption_ = value;
    if (!follows)
        return;
    const bool captionHasBar = value.contains(u'|');
    QString hint;
    if (captionHasBar && !LongPart(value).isEmpty())
        hint = value;
    else if (captionHasBar)
        hint = ShortPart(value) + u'|' + LongPart(oldHint);
    else if (oldHint.contains(u'|'))
        hint = value + u'|' + LongPart(oldHint);
    else
        hint = value + u'|';
    SetHint(hint);
}

QString TSpeedItem::Hint() const {
    return button_->property("Hint").toString();
}

// The button shows the hint's short part as its tool tip.
void TSpeedItem::SetHint(const QString &value) {
    button_->setProperty("Hint", value);
    button_->setToolTip(ShortPart(value));
}

void TSpeedItem::SetName(const QString &value) {
    const bool captionFollows = objectName() == caption_;
    setObjectName(value);
    if (captionFollows)
        SetCaption(value);
}

void TSpeedItem::SetEnabled(bool value) {
    if (enabled_ == value && button_->isEnabled() == value)
        return;
    enabled_ = value;
    if (editing_)
        return;
    button_->setEnabled(value);
}

void TSpeedItem::SetVisible(bool value) {
    if (visible_ == value && !button_->isHidden() == value && (!value || button_->parentWidget()))
        return;
    visible_ = value;
    ApplyVisible(value);
}

void TSpeedItem::ApplyVisible(bool putIntoBar) {
    if (putIntoBar && speedBar_ && button_->parentWidget() != speedBar_)
        button_->setParent(speedBar_);
    button_->setVisible(visible_ && button_->parentWidget());
}

void TSpeedItem::SetImageIndex(int value) {
    if (imageIndex_ != value) {
        imageIndex_ = value;
        button_->GlyphPainterInvalidate();
    }
}

void TSpeedItem::SetTag(int value) {
    tag_ = value;
    button_->setProperty("Tag", value);
}

int TSpeedItem::Left() const {
    return button_->x();
}

void TSpeedItem::SetLeft(int value) {
    button_->SetBounds(value, button_->y(), button_->width(), button_->height());
}

int TSpeedItem::Top() const {
    return button_->y();
}

void TSpeedItem::SetTop(int value) {
    button_->SetBounds(button_->x(), value, button_->width(), button_->height());
}

int TSpeedItem::GetSection() {
    UpdateSection();
    return sectionIndex_;
}

void TSpeedItem::SetSection(int index) {
    if (!speedBar_)
        sectionIndex_ = index;
}

QString TSpeedItem::GetSectionName() const {
    if (sectionIndex_ >= 0 && speedBar_ && speedBar_->GetSection(sectionIndex_))
        return speedBar_->GetSection(sectionIndex_)->GetTitle();
    return sectionName_;
}

void TSpeedItem::UpdateSection() {
    int section = -1;
    int index = -1;
    if (speedBar_ && speedBar_->FindItem(this, section, index))
        sectionIndex_ = section;
}

// Customise mode makes every button usable and raised; leaving it gives back the item's own state.
void TSpeedItem::SetEditing(bool value) {
    editing_ = value;
    if (value) {
        button_->setEnabled(true);
        button_->SetFlat(false);
    } else {
        button_->setEnabled(enabled_);
        button_->SetFlat(speedBar_ && (speedBar_->Options() & sbFlatBtns));
    }
}

TSpeedbarSection::TSpeedbarSection(QObject *owner) : QObject(owner) {}

TSpeedbarSection::~TSpeedbarSection() {
    Clear();
    if (speedBar_)
        speedBar_->DeleteSection(GetIndex());
}

int TSpeedbarSection::GetIndex() const {
    return speedBar_ ? int(speedBar_->sections_.indexOf(const_cast<TSpeedbarSection *>(this))) : -1;
}

void TSpeedbarSection::SetIndex(int index) {
    if (!speedBar_)
        return;
    const int count = speedBar_->GetSectionCount();
    speedBar_->sections_.move(GetIndex(), std::clamp(index, 0, count - 1));
    for (TSpeedbarSection *section : speedBar_->sections_)
        for (TSpeedItem *item : section->items_)
            item->UpdateSection();
}

void TSpeedbarSection::Clear() {
    while (!items_.isEmpty())
        delete items_.back();
}

void TSpeedbarSection::RemoveItem(TSpeedItem *item) {
    if (!items_.contains(item))
        return;
    item->button_->hide();
    item->button_->setParent(nullptr);
    item->speedBar_ = nullptr;
    item->sectionIndex_ = -1;
    items_.removeOne(item);
}

void TSpeedbarSection::SetSpeedbar(TSpeedBar *bar) {
    if (bar == speedBar_)
        return;
    const int oldIndex = GetIndex();
    if (speedBar_)
        speedBar_->DeleteSection(oldIndex);
    if (bar) {
        bar->AppendSection(this);
        if (oldIndex >= 0)
            SetIndex(oldIndex);
    }
}

void TSpeedbarSection::ValidateCaption(const QString &caption) const {
    if (!speedBar_)
        return;
    const int found = speedBar_->SearchSection(caption);
    if (found >= 0 && speedBar_->GetSection(found) != this)
        throw ESpeedbarError("String list does not allow duplicates");
}

void TSpeedbarSection::SetTitle(const QString &caption) {
    ValidateCaption(caption);
    caption_ = caption;
}

TSpeedBar::TSpeedBar(QWidget *parent) : QWidget(parent), iniLink_(std::make_unique<TIniLink>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setProperty("Align", int(align_));
    offsetX_ = offsetY_ = MinButtonsOffset();
    UpdateGridSize();
    resize(185, 2 * offsetY_ + btnHeight_);
    iniLink_->OnSaveToIni = [this](TIniLink *) { IniSave(); };
    iniLink_->OnLoadFromIni = [this](TIniLink *) { IniLoad(); };
    if (parent)
        parent->installEventFilter(this);
    DockInParent();
}

// Nothing of the bar's own fires while it is taken apart; an open customise window is told to close.
TSpeedBar::~TSpeedBar() {
    OnPosChanged = nullptr;
    OnVisibleChanged = nullptr;
    OnCustomize = nullptr;
    OnApplyAlign = nullptr;
    iniLink_.reset();
    if (editWindow_) {
        QPointer<QWidget> window = editWindow_;
        editWindow_ = nullptr;
        TSpeedbarChangedEvent event(sbcBarDestroyed, this);
        QApplication::sendEvent(window, &event);
    }
    ClearSections();
}

int TSpeedBar::AddSection(const QString &caption) {
    auto *section = new TSpeedbarSection(parent() ? parent() : this);
    section->caption_ = caption;
    return AppendSection(section);
}

// The caption becomes unique: "Edit", "Edit (1)", "Edit (2)", ...
int TSpeedBar::AppendSection(TSpeedbarSection *section) {
    const QString given = section->caption_;
    QString caption = given;
    for (int n = 1; SearchSection(caption) >= 0; ++n)
        caption = given + QStringLiteral(" (%1)").arg(n);
    section->caption_ = caption;
    sections_.append(section);
    section->speedBar_ = this;
    const int index = int(sections_.size()) - 1;
    for (TSpeedItem *item : section->items_) {
        item->sectionIndex_ = index;
        SetItemParams(item, true);
    }
    return index;
}

TSpeedItem *TSpeedBar::NewItem(QObject *owner, int section, const QString &name) {
    if (section < 0 || section >= GetSectionCount())
        return nullptr;
    auto *item = new TSpeedItem(owner);
    try {
        sections_[section]->items_.append(item);
        item->sectionIndex_ = section;
        SetItemParams(item, true);
        if (!name.isEmpty()) {
            item->setObjectName(name);
            item->SetCaption(name);
            item->button_->hide();
            item->button_->setParent(this);
        }
    } catch (...) {
        delete item;
        throw;
    }
    return item;
}

void TSpeedBar::AddItem(int section, TSpeedItem *item) {
    int oldSection = -1;
    int oldIndex = -1;
    if (FindItem(item, oldSection, oldIndex)) {
        sections_[oldSection]->items_.removeAt(oldIndex);
        section = std::min(section, GetSectionCount() - 1);
        sections_[section]->items_.append(item);
        item->sectionIndex_ = section;
        return;
    }
    if (section < 0)
        return;
    if (sections_.isEmpty())
        AddSection(QString());
    section = std::min(section, GetSectionCount() - 1);
    sections_[section]->items_.append(item);
    item->sectionIndex_ = section;
    SetItemParams(item, true);
    item->button_->hide();
    item->button_->setParent(this);
}

void TSpeedBar::RemoveItem(TSpeedItem *item) {
    int section = -1;
    int index = -1;
    if (FindItem(item, section, index))
        sections_[section]->RemoveItem(item);
}

bool TSpeedBar::FindItem(TSpeedItem *item, int &section, int &index) const {
    for (section = 0; section < sections_.size(); ++section) {
        if (!sections_[section])
            continue;
        index = int(sections_[section]->items_.indexOf(item));
        if (index >= 0)
            return true;
    }
    section = -1;
    index = -1;
    return false;
}

TSpeedItem *TSpeedBar::SearchItem(const QString &name) const {
    for (TSpeedbarSection *section : sections_)
        for (TSpeedItem *item : section->items_)
            if (item->objectName().compare(name, Qt::CaseInsensitive) == 0)
                return item;
    return nullptr;
}

int TSpeedBar::SearchSection(const QString &caption) const {
    for (int i = 0; i < sections_.size(); ++i)
        if (sections_[i] && sections_[i]->caption_ == caption)
            return i;
    return -1;
}

TSpeedItem *TSpeedBar::Items(int section, int index) const {
    const TSpeedbarSection *found = GetSection(section);
    return found ? found->Get(index) : nullptr;
}

int TSpeedBar::ItemsCount(int section) const {
    const TSpeedbarSection *found = GetSection(section);
    return found ? found->GetCount() : 0;
}

TSpeedbarSection *TSpeedBar::GetSection(int index) const {
    return index >= 0 && index < sections_.size() ? sections_[index] : nullptr;
}

void TSpeedBar::ForEachItem(const TForEachItem &callback, qintptr data) const {
    if (!callback)
        return;
    for (TSpeedbarSection *section : sections_)
        for (TSpeedItem *item : section->items_)
            callback(item, data);
}

void TSpeedBar::RemoveSection(int index) {
    TSpeedbarSection *section = GetSection(index);
    if (!section)
        return;
    section->Clear();
    section->speedBar_ = nullptr;
    sections_.removeAt(index);
    delete section;
}

void TSpeedBar::DeleteSection(int index) {
    TSpeedbarSection *section = GetSection(index);
    if (!section)
        return;
    while (!section->items_.isEmpty())
        section->RemoveItem(section->items_.front());
    section->speedBar_ = nullptr;
    sections_.removeAt(index);
}

void TSpeedBar::ClearSections() {
    for (int i = GetSectionCount() - 1; i >= 0; --i)
        RemoveSection(i);
}

void TSpeedBar::SetItemParams(TSpeedItem *item, bool setSize) {
    item->speedBar_ = this;
    TSpeedbarButton *button = item->button_;
    if (setSize)
        button->SetBounds(0, 0, btnWidth_, btnHeight_);
    button->SetStyle(bsNew);
    button->SetFlat(options_ & sbFlatBtns);
    button->SetTransparent(options_ & sbTransparentBtns);
    button->SetGrayedInactive(options_ & sbGrayedBtns);
    item->SetEditing(GetEditing());
}

void TSpeedBar::SetOptions(TSpeedbarOptions value) {
    if (value == options_)
        return;
    const bool flatChanged = (value ^ options_) & sbFlatBtns;
    options_ = value;
    ForEachItem(
        [this](TSpeedItem *item, qintptr) {
            item->button_->SetFlat((options_ & sbFlatBtns) && !item->editing_);
            item->button_->SetTransparent(options_ & sbTransparentBtns);
            item->button_->SetGrayedInactive(options_ & sbGrayedBtns);
        },
        0);
    UpdateGridSize();
    if (flatChanged)
        RealignChildren();
    update();
}

void TSpeedBar::SetImages(const TImageRow *value) {
    images_ = value;
    ForEachItem(
        [](TSpeedItem *item, qintptr) {
            item->button_->GlyphPainterInvalidate();
        },
        0);
}

void TSpeedBar::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        ForEachItem([](TSpeedItem *item, qintptr) { item->button_->setEnabled(item->enabled_ || item->editing_); }, 0);
}

void TSpeedBar::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    ForEachItem([](TSpeedItem *item, qintptr) { item->ApplyVisible(true); }, 0);
    if (OnVisibleChanged && !event->spontaneous())
        OnVisibleChanged(this);
}

void TSpeedBar::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    if (OnVisibleChanged && !event->spontaneous())
        OnVisibleChanged(this);
}

int NewSpeedSection(TSpeedBar *bar, const QString &caption) {
    return bar->AddSection(caption);
}

TSpeedItem *NewSpeedItem(QObject *owner, TSpeedBar *bar, int section, const QString &name) {
    return bar->NewItem(owner, section, name);
}
