#pragma once

#include "controls/RxctrlsSpeedButton.h"

#include <QEvent>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>

class QRubberBand;
class TCustomIniFile;
class TFormPlacement;
class TIniLink;
class TSpeedBar;
class TSpeedItem;
class TSpeedbarSection;

class ESpeedbarError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TBarPosition { bpAuto, bpCustom };
enum TBarOrientation { boHorizontal, boVertical };
// Stored as "Position" of a layout: the numbers are part of the file format.
enum TAlign { alNone = 0, alTop = 1, alBottom = 2, alLeft = 3, alRight = 4, alClient = 5 };
enum TSpeedbarOption {
    sbAllowDrag = 0x01,
    sbAllowResize = 0x02,
    sbFlatBtns = 0x04,
    sbGrayedBtns = 0x08,
    sbTransparentBtns = 0x10,
    sbStretchBitmap = 0x20
};
using TSpeedbarOptions = int;
enum TBoundLine { blTop = 0x1, blBottom = 0x2, blLeft = 0x4, blRight = 0x8 };
using TBoundLines = int;
enum TSbScaleFlag { sfOffsetX = 0x1, sfOffsetY = 0x2, sfBtnSizeX = 0x4, sfBtnSizeY = 0x8 };

// What a bar tells its customise window, sent at once to that window as a TSpeedbarChangedEvent.
constexpr int CM_SPEEDBARCHANGED = 0xB050;
enum TSpeedbarChange { sbcItemsChanged = 0, sbcBarDestroyed = 1, sbcItemMoved = 2, sbcSizeChanged = 3 };

class TSpeedbarChangedEvent : public QEvent {
public:
    TSpeedbarChangedEvent(int code, QObject *object) : QEvent(Type()), Code(code), Object(object) {}
    static QEvent::Type Type();
    int Code;
    QObject *Object;
};

// The floating picture of a button that follows the mouse while the button is dragged.
class TBtnControl : public QWidget {
    Q_OBJECT
public:
    explicit TBtnControl(QWidget *owner = nullptr);

    void AssignSpeedItem(TSpeedItem *item);
    // Shows the picture at the rectangle's top-left corner on the screen, above every window and without
    // taking the focus.
    void Activate(const QRect &screenRect);
    void ReleaseHandle();
    TButtonImage &Image() { return image_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TButtonImage image_;
    int spacing_ = 1;
    int margin_ = -1;
    TButtonLayout layout_ = blGlyphTop;
    int imageIndex_ = -1;
    const TImageRow *images_ = nullptr;
    Qt::Alignment textAlignment_ = Qt::AlignHCenter;
};

// The button of an item on a bar: kept below the bar's edge margin across the bar, and in customise mode
// dragged by the mouse to another place or off the bar.
class TSpeedbarButton : public TRxSpeedButton {
    Q_OBJECT
public:
    TSpeedbarButton(TSpeedItem *item, QWidget *parent = nullptr);
    ~TSpeedbarButton() override;

    TSpeedItem *Item() const { return item_; }
    void SetBounds(int left, int top, int width, int height);
    TBtnControl *DragImage() const { return dragImage_.get(); }

    // Customise-mode dragging, in screen coordinates of the mouse.
    void DragPress();
    void DragMove(QPoint screenPos);
    void DragRelease(QPoint screenPos);

protected:
    void PaintGlyph(QPainter &painter, const QRect &rect, TRxButtonState state, bool drawMark) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool Editing() const;
    // The top-left corner of the drag image for a mouse position: the pointer sits at its bottom-right.
    QPoint ImageCorner(QPoint screenPos) const;

    TSpeedItem *item_;
    std::unique_ptr<TBtnControl> dragImage_;
};

// One button of a bar: in one section, shown on the bar while Visible.
class TSpeedItem : public QObject {
    Q_OBJECT
public:
    explicit TSpeedItem(QObject *owner = nullptr);
    ~TSpeedItem() override;

    TSpeedbarButton *Button() const { return button_; }
    TSpeedBar *SpeedBar() const { return speedBar_; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString &value);
    QString Hint() const;
    void SetHint(const QString &value);
    // The component name; while it equals the caption, the caption follows it.
    void SetName(const QString &value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Stored() const { return stored_; }
    void SetStored(bool value) { stored_ = value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int Tag() const { return tag_; }
    void SetTag(int value);
    int Left() const;
    void SetLeft(int value);
    int Top() const;
    void SetTop(int value);
    QString BtnCaption() const { return button_->Caption(); }
    void SetBtnCaption(const QString &value) { button_->SetCaption(value); }
    QImage Glyph() const { return button_->Glyph(); }
    void SetGlyph(const QImage &value) { button_->SetGlyph(value); }
    bool Editing() const { return editing_; }

    int GetSection();
    void SetSection(int index);
    QString GetSectionName() const;
    void InvalidateItem() { sectionIndex_ = -1; }
    void UpdateSection();
    void SetEditing(bool value);
    void ButtonClick() { button_->ButtonClick(); }
    bool CheckBtnMenuDropDown() { return button_->CheckBtnMenuDropDown(); }
    virtual void Click() { button_->Click(); }

private:
    friend class TSpeedBar;
    friend class TSpeedbarSection;
    void ApplyVisible(bool force);

    QString caption_;
    bool editing_ = false;
    bool enabled_ = true;
    QPointer<TSpeedbarButton> button_;
    bool visible_ = false;
    bool stored_ = true;
    TSpeedBar *speedBar_ = nullptr;
    int sectionIndex_ = -1;
    QString sectionName_;
    int imageIndex_ = -1;
    int tag_ = 0;
};

// A named group of items of a bar (a category of the setup window).
class TSpeedbarSection : public QObject {
    Q_OBJECT
public:
    explicit TSpeedbarSection(QObject *owner = nullptr);
    ~TSpeedbarSection() override;

    TSpeedItem *Get(int index) const { return index >= 0 && index < items_.size() ? items_[index] : nullptr; }
    void Put(int index, TSpeedItem *item) { items_[index] = item; }
    int GetCount() const { return int(items_.size()); }
    int GetIndex() const;
    void SetIndex(int index);
    // Frees every item.
    void Clear();
    void RemoveItem(TSpeedItem *item);
    TSpeedBar *SpeedBar() const { return speedBar_; }
    void SetSpeedbar(TSpeedBar *bar);
    void ValidateCaption(const QString &caption) const;
    // Throws "String list does not allow duplicates" for a caption that another section of the bar has.
    void SetTitle(const QString &caption);
    QString GetTitle() const { return caption_; }

private:
    friend class TSpeedBar;
    QList<TSpeedItem *> items_;
    QString caption_;
    TSpeedBar *speedBar_ = nullptr;
};

using TForEachItem = std::function<void(TSpeedItem *item, qintptr data)>;
using TApplyAlignEvent = std::function<void(TSpeedBar *, TAlign, bool &apply)>;

// A tool bar whose buttons are grouped into sections; every button exists all the time and its item's
// Visible flag puts it on the bar. The bar docks at a side of its parent, runs along that side, places
// dropped buttons on a grid and keeps its layout in an INI section.
class TSpeedBar : public QWidget {
    Q_OBJECT
public:
    explicit TSpeedBar(QWidget *parent = nullptr);
    ~TSpeedBar() override;

    // Sections and items.
    int AddSection(const QString &caption);
    virtual int AppendSection(TSpeedbarSection *section);
    TSpeedItem *NewItem(QObject *owner, int section, const QString &name);
    void AddItem(int section, TSpeedItem *item);
    void RemoveItem(TSpeedItem *item);
    bool FindItem(TSpeedItem *item, int &section, int &index) const;
    TSpeedItem *SearchItem(const QString &name) const;
    int SearchSection(const QString &caption) const;
    TSpeedItem *Items(int section, int index) const;
    int ItemsCount(int section) const;
    TSpeedbarSection *GetSection(int index) const;
    int GetSectionCount() const { return int(sections_.size()); }
    virtual void ForEachItem(const TForEachItem &callback, qintptr data) const;
    void RemoveSection(int index);
    void DeleteSection(int index);
    void ClearSections();
    void SetItemParams(TSpeedItem *item, bool setSize);

    // Geometry.
    TBarPosition Position() const { return position_; }
    void SetPosition(TBarPosition value) { position_ = value; }
    TBarOrientation GetOrientation() const { return orientation_; }
    void SetOrientation(TBarOrientation value);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    int GetButtonSize(int index) const;
    void SetButtonSize(int index, int value);
    int BtnWidth() const { return btnWidth_; }
    void SetBtnWidth(int value) { SetButtonSize(0, value); }
    int BtnHeight() const { return btnHeight_; }
    void SetBtnHeight(int value) { SetButtonSize(1, value); }
    int GetButtonsOffset(int index) const;
    void SetButtonsOffset(int index, int value);
    int BtnOffsetHorz() const { return offsetX_; }
    int BtnOffsetVert() const { return offsetY_; }
    int MinButtonsOffset() const;
    QPoint GridSize() const { return {gridX_, gridY_}; }
    void ApplyOrientation(TBarOrientation value);
    void UpdateGridSize();
    void ApplyButtonSize();
    void AlignItemsToGrid();
    void AlignItemToGrid(TSpeedItem *item);
    // The grid point of a button corner: along the bar the nearest (halves to the even neighbour), across
    // the bar the row or column that holds it.
    QPoint SnapToGrid(QPoint point) const;
    void ChangeScale(int multiplier, int divisor);
    virtual void SetFontDefault();

    // Panel look.
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    TBoundLines BoundLines() const { return boundLines_; }
    void SetBoundLines(TBoundLines value);
    const QImage &Wallpaper() const { return wallpaper_; }
    void SetWallpaper(const QImage &value);
    TSpeedbarOptions Options() const { return options_; }
    void SetOptions(TSpeedbarOptions value);
    int Version() const { return version_; }
    void SetVersion(int value) { version_ = value; }
    const TImageRow *Images() const { return images_; }
    void SetImages(const TImageRow *value);
    // The rectangle inside the bevels and border, and the one in which the buttons lie.
    QRect InnerRect() const;

    // Customise mode and dragging.
    void SetEditing(QWidget *editWindow);
    bool GetEditing() const { return editWindow_ != nullptr; }
    QWidget *EditWindow() const { return editWindow_; }
    bool AcceptDropItem(TSpeedItem *item, int x, int y);
    int GetFramePos(int x, int y, bool &apply);
    QRect GetFrameRect(int x, int y);
    QRect DragFrameRect() const { return dragFrame_; }
    bool Dragging() const { return dragging_; }
    bool Resizing() const { return resizing_; }
    void StartDragFrame();
    void DragFrame(int x, int y);
    void StopDragFrame(int x, int y);
    bool CheckResize(Qt::KeyboardModifiers shift, int x, int y);
    void Customize(int helpContext);
    void SendChanged(int code, QObject *object);
    // The mouse on the bar's background, in its client coordinates.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, int x, int y);

    // Layout storage.
    void SaveLayout(TCustomIniFile *ini);
    void RestoreLayout(TCustomIniFile *ini);
    void InternalSaveLayout(TCustomIniFile *ini, const QString &section);
    void InternalRestoreLayout(TCustomIniFile *ini, const QString &section);
    TFormPlacement *IniStorage() const;
    void SetIniStorage(TFormPlacement *value);

    std::function<void(TSpeedBar *)> OnPosChanged;
    std::function<void(TSpeedBar *)> OnVisibleChanged;
    std::function<void(TSpeedBar *)> OnCustomize;
    TApplyAlignEvent OnApplyAlign;

protected:
    virtual void PosChanged();
    virtual void AfterCustomize();
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    friend class TSpeedItem;
    friend class TSpeedbarSection;
    void IniSave();
    void IniLoad();
    // Places the bar at its side of the parent, after the docked siblings before it.
    void DockInParent();
    void RealignChildren();
    void MoveButtons(int dx, int dy);
    void SetThickness(int value);
    int Thickness() const;
    void ShowFrame(const QRect &screenRect);

    QList<TSpeedbarSection *> sections_;
    TBarPosition position_ = bpAuto;
    TBarOrientation orientation_ = boHorizontal;
    TAlign align_ = alTop;
    int btnWidth_ = 24;
    int btnHeight_ = 23;
    int gridX_ = 1;
    int gridY_ = 1;
    int offsetX_ = 0;
    int offsetY_ = 0;
    QPointer<QWidget> editWindow_;
    QRect dragFrame_;
    TAlign dragFrameAlign_ = alTop;
    TSpeedbarOptions options_ = sbAllowDrag | sbGrayedBtns;
    bool paintLock_ = false;
    int version_ = 0;
    bool dragging_ = false;
    bool resizing_ = false;
    bool pressed_ = false;
    QPoint pressPoint_;
    QImage wallpaper_;
    TBoundLines boundLines_ = 0;
    std::unique_ptr<TIniLink> iniLink_;
    int scaleFlags_ = 0;
    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    const TImageRow *images_ = nullptr;
    std::unique_ptr<QRubberBand> frameBand_;
};

int NewSpeedSection(TSpeedBar *bar, const QString &caption);
TSpeedItem *NewSpeedItem(QObject *owner, TSpeedBar *bar, int section, const QString &name);
// The bar under a point of the screen, or none.
TSpeedBar *FindSpeedBar(QPoint screenPoint);

// Qt widgets have no alignment of their own: a child that carries the dynamic property "Align" (a
// TAlign) is docked by its container, in child order, each taking its side of what the ones before left.
void AlignControls(QWidget *container, QRect area);
