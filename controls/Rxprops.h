#pragma once

#include <QMetaEnum>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

// The kinds of stored properties and the text each is kept as.
enum class TPropKind {
    Integer,     // decimal; a text that is not a number reads as 0
    Int64,       // the same, 64 bits
    Char,        // the character; an empty text leaves the property as it is
    Boolean,     // "True" / "False"; read without regard to case
    Enumeration, // the value's name; read without regard to case
    Float,       // general format, 15 significant digits, '.'
    Single,      // the same with 7 digits
    String,      // the text
    Set,         // "[a,b]": the names of the members present, lowest first
    Variant,     // the value as text; read back as a text value
    StringList,  // a sub-section "<section>.<key>" with "Count" and "Item0".."Item<n-1>"
    Component    // "(null)", the component's Name, or "<form>.<Name>" for a component of another form
};

// How one property of one object is read and written. The program's property names (Width, Height,
// Left, Top, Visible, Tag, ActivePage, Lines, Items) are mapped onto the Qt widgets; any other name is
// looked up among the object's Qt properties without regard to case.
struct TPropAccess {
    TPropKind kind = TPropKind::String;
    QMetaEnum enumInfo; // Enumeration and Set
    std::function<QVariant(const QObject *)> read;
    std::function<void(QObject *, const QVariant &)> write;
};

std::optional<TPropAccess> FindStoredProperty(QObject *object, const QString &name);
// Adds a program property name for objects that inherit className (e.g. a tool bar's Left and Top in its
// dock); later registrations take precedence.
void RegisterStoredProperty(const char *className, const QString &name, const TPropAccess &access);

// The component of that Name (without regard to case) among the owner's descendants, or none.
QObject *FindComponent(const QObject *owner, const QString &name);

// One line of a store's property list, "Component.Property", with the component it names once resolved.
struct TStoredProp {
    QString line;
    QPointer<QObject> component;
};
using TStoredPropList = std::vector<TStoredProp>;

// True when the item has a "." with non-blank text on both sides of the first one.
bool ParseStoredItem(const QString &item, QString &componentName, QString &propName);
QString CreateStoredItem(const QString &componentName, const QString &propName);
// fromForm: resolves each line's component in the window, dropping lines that name none. Otherwise
// rewrites each line with its component's current Name and drops lines whose component is gone.
// Lines that are not of the shape "Component.Property" are dropped in both cases.
void UpdateStoredList(const QObject *window, TStoredPropList &list, bool fromForm);

// Writes and reads properties of objects as texts through the events; lives for one save or restore.
class TPropsStorage {
public:
    using TReadStrEvent = std::function<QString(const QString &section, const QString &key, const QString &def)>;
    using TWriteStrEvent = std::function<void(const QString &section, const QString &key, const QString &value)>;
    using TEraseSectEvent = std::function<void(const QString &section)>;

    virtual ~TPropsStorage() = default;

    QObject *AObject = nullptr; // whose properties StoreProperties and LoadProperties handle
    QString Prefix;
    QString Section;
    TReadStrEvent OnReadString;
    TWriteStrEvent OnWriteString;
    TEraseSectEvent OnEraseSection;

    void StoreObjectsProps(QObject *owner, TStoredPropList &list);
    void LoadObjectsProps(QObject *owner, TStoredPropList &list);
    void StoreProperties(const QStringList &names);
    void LoadProperties(const QStringList &names);
    void StoreAnyProperty(const QString &name, const TPropAccess &property);
    void LoadAnyProperty(const QString &name, const TPropAccess &property);

protected:
    virtual QString ReadString(const QString &section, const QString &key, const QString &def);
    virtual void WriteString(const QString &section, const QString &key, const QString &value);
    virtual void EraseSection(const QString &section);
    virtual QString GetItemName(const QString &propName) const { return Prefix + propName; }

private:
    void ForEachListedProperty(QObject *owner, TStoredPropList &list,
                               void (TPropsStorage::*handle)(const QString &, const TPropAccess &));
    QString StoreText(const TPropAccess &property) const;
    void LoadText(const QString &text, const TPropAccess &property);
    void StoreStringsProperty(const QString &key, const TPropAccess &property);
    void LoadStringsProperty(const QString &key, const TPropAccess &property);
    QString StoreComponentProperty(const TPropAccess &property) const;
    void LoadComponentProperty(const QString &text, const TPropAccess &property);

    QObject *owner_ = nullptr; // the window, while StoreObjectsProps or LoadObjectsProps runs
};

// Separates a component's Name from its property in a key: Memo1_Width.
extern const QString sPropNameDelimiter;
