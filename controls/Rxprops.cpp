#include "controls/Rxprops.h"

#include "controls/Strutils.h"
#include "controls/WindowPlacement.h"
#include "platform/NumberFormat.h"

#include <QApplication>
#include <QComboBox>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <bit>

const QString sPropNameDelimiter = QStringLiteral("_");

namespace {

struct RegisteredProperty {
    const char *className;
    QString name;
    TPropAccess access;
};

TPropAccess Access(TPropKind kind, std::function<QVariant(const QObject *)> read,
                   std::function<void(QObject *, const QVariant &)> write) {
    TPropAccess access;
    access.kind = kind;
    access.read = std::move(read);
    access.write = std::move(write);
    return access;
}

const QWidget *Widget(const QObject *object) {
    return static_cast<const QWidget *>(object);
}

QWidget *Widget(QObject *object) {
    return static_cast<QWidget *>(object);
}

std::vector<RegisteredProperty> BuiltInProperties() {
    std::vector<RegisteredProperty> properties;
    properties.push_back(
        {"QWidget", QStringLiteral("Width"),
         Access(
             TPropKind::Integer, [](const QObject *o) { return QVariant(Widget(o)->width()); },
             [](QObject *o, const QVariant &v) { Widget(o)->resize(v.toInt(), Widget(o)->height()); })});
    properties.push_back(
        {"QWidget", QStringLiteral("Height"),
         Access(
             TPropKind::Integer, [](const QObject *o) { return QVariant(Widget(o)->height()); },
             [](QObject *o, const QVariant &v) { Widget(o)->resize(Widget(o)->width(), v.toInt()); })});
    properties.push_back({"QWidget", QStringLiteral("Left"),
                          Access(
                              TPropKind::Integer, [](const QObject *o) { return QVariant(Widget(o)->x()); },
                              [](QObject *o, const QVariant &v) { Widget(o)->move(v.toInt(), Widget(o)->y()); })});
    properties.push_back({"QWidget", QStringLiteral("Top"),
                          Access(
                              TPropKind::Integer, [](const QObject *o) { return QVariant(Widget(o)->y()); },
                              [](QObject *o, const QVariant &v) { Widget(o)->move(Widget(o)->x(), v.toInt()); })});
    // A control's own visibility, whether or not its window is shown at the moment.
    properties.push_back({"QWidget", QStringLiteral("Visible"),
                          Access(
                              TPropKind::Boolean, [](const QObject *o) { return QVariant(!Widget(o)->isHidden()); },
                              [](QObject *o, const QVariant &v) { Widget(o)->setVisible(v.toBool()); })});
    properties.push_back({"QObject", QStringLiteral("Tag"),
                          Access(
                              TPropKind::Integer, [](const QObject *o) { return QVariant(o->property("Tag").toInt()); },
                              [](QObject *o, const QVariant &v) { o->setProperty("Tag", v.toInt()); })});
    properties.push_back({"QTabWidget", QStringLiteral("ActivePage"),
                          Access(
                              TPropKind::Component,
                              [](const QObject *o) {
                                  return QVariant::fromValue<QObject *>(
                                      static_cast<const QTabWidget *>(o)->currentWidget());
                              },
                              [](QObject *o, const QVariant &v) {
                                  auto *tabs = static_cast<QTabWidget *>(o);
                                  auto *page = qobject_cast<QWidget *>(v.value<QObject *>());
                                  if (page && tabs->indexOf(page) >= 0)
                                      tabs->setCurrentWidget(page);
                              })});
    properties.push_back({"QPlainTextEdit", QStringLiteral("Lines"),
                          Access(
                              TPropKind::StringList,
                              [](const QObject *o) {
                                  const QString text = static_cast<const QPlainTextEdit *>(o)->toPlainText();
                                  return QVariant(text.isEmpty() ? QStringList() : text.split(u'\n'));
                              },
                              [](QObject *o, const QVariant &v) {
                                  static_cast<QPlainTextEdit *>(o)->setPlainText(v.toStringList().join(u'\n'));
                              })});
    properties.push_back({"QComboBox", QStringLiteral("Items"),
                          Access(
                              TPropKind::StringList,
                              [](const QObject *o) {
                                  const auto *combo = static_cast<const QComboBox *>(o);
                                  QStringList items;
                                  for (int i = 0; i < combo->count(); ++i)
                                      items << combo->itemText(i);
                                  return QVariant(items);
                              },
                              [](QObject *o, const QVariant &v) {
                                  auto *combo = static_cast<QComboBox *>(o);
                                  combo->clear();
                                  combo->addItems(v.toStringList());
                              })});
    return properties;
}

std::vector<RegisteredProperty> &Registry() {
    static std::vector<RegisteredProperty> registry = BuiltInProperties();
    return registry;
}

std::optional<TPropKind> KindOf(const QMetaProperty &property) {
    if (property.isFlagType())
        return TPropKind::Set;
    if (property.isEnumType())
        return TPropKind::Enumeration;
    const QMetaType type = property.metaType();
    if (type.flags() & QMetaType::PointerToQObject)
        return TPropKind::Component;
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return TPropKind::Integer;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        return TPropKind::Int64;
    case QMetaType::Bool:
        return TPropKind::Boolean;
    case QMetaType::Double:
        return TPropKind::Float;
    case QMetaType::Float:
        return TPropKind::Single;
    case QMetaType::QChar:
        return TPropKind::Char;
    case QMetaType::QString:
        return TPropKind::String;
    case QMetaType::QVariant:
        return TPropKind::Variant;
    case QMetaType::QStringList:
        return TPropKind::StringList;
    default:
        return std::nullopt;
    }
}

std::optional<TPropAccess> QtProperty(QObject *object, const QString &name) {
    const QMetaObject *meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (QString::fromLatin1(property.name()).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const std::optional<TPropKind> kind = KindOf(property);
        if (!kind || !property.isReadable() || !property.isWritable())
            return std::nullopt;
        TPropAccess access = Access(
            *kind, [property](const QObject *o) { return property.read(o); },
            [property](QObject *o, const QVariant &v) { property.write(o, v); });
        access.enumInfo = property.enumerator();
        return access;
    }
    return std::nullopt;
}

// Blanks and control characters at both ends go.
QString Trim(const QString &text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

// General format with the given significant digits, written as the library always wrote it: '.',
// and an exponent only when needed, as "E" followed by the exponent without "+" or leading zeros.
QString GeneralFloatText(double value, int digits) {
    QString text = QString::number(value, 'g', digits);
    const qsizetype e = text.indexOf(u'e');
    if (e < 0)
        return text;
    QString exponent = text.mid(e + 1);
    const bool negative = exponent.startsWith(u'-');
    exponent.remove(0, exponent.startsWith(u'-') || exponent.startsWith(u'+') ? 1 : 0);
    while (exponent.size() > 1 && exponent.startsWith(u'0'))
        exponent.remove(0, 1);
    return text.left(e) + u'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
}

// Members of a set are the single-bit values of its enumeration, lowest first, each under the first
// name it has (Qt gives some bits a second name).
std::vector<std::pair<QString, int>> SetMembers(const QMetaEnum &info) {
    std::vector<std::pair<QString, int>> members;
    for (int i = 0; i < info.keyCount(); ++i) {
        const int value = info.value(i);
        const bool named =
            std::any_of(members.begin(), members.end(), [value](const auto &m) { return m.second == value; });
        if (std::has_single_bit(static_cast<unsigned>(value)) && !named)
            members.emplace_back(QString::fromLatin1(info.key(i)), value);
    }
    std::stable_sort(members.begin(), members.end(), [](const auto &a, const auto &b) {
        return static_cast<unsigned>(a.second) < static_cast<unsigned>(b.second);
    });
    return members;
}

bool IsStringKind(TPropKind kind) {
    return kind == TPropKind::String || kind == TPropKind::Char;
}

bool IsClassKind(TPropKind kind) {
    return kind == TPropKind::StringList || kind == TPropKind::Component;
}

const QObject *OwnerForm(const QObject *component) {
    for (const QObject *parent = component->parent(); parent; parent = parent->parent())
        if (IsForm(parent))
            return parent;
    return nullptr;
}

QObject *FindFormByName(const QString &name) {
    for (QWidget *widget : QApplication::allWidgets())
        if (IsForm(widget) && widget->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return widget;
    return nullptr;
}

} // namespace

std::optional<TPropAccess> FindStoredProperty(QObject *object, const QString &name) {
    if (!object)
        return std::nullopt;
    const auto &registry = Registry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (object->inherits(it->className) && it->name.compare(name, Qt::CaseInsensitive) == 0)
            return it->access;
    return QtProperty(object, name);
}

void RegisterStoredProperty(const char *className, const QString &name, const TPropAccess &access) {
    Registry().push_back({className, name, access});
}

QObject *FindComponent(const QObject *owner, const QString &name) {
    if (!owner || name.isEmpty())
        return nullptr;
    const QList<QObject *> children = owner->findChildren<QObject *>();
    const auto it = std::find_if(children.begin(), children.end(), [&name](const QObject *child) {
        return child->objectName().compare(name, Qt::CaseInsensitive) == 0;
    });
    return it == children.end() ? nullptr : *it;
}

bool ParseStoredItem(const QString &item, QString &componentName, QString &propName) {
    const qsizetype dot = item.indexOf(u'.');
    if (dot < 0)
        return false;
    componentName = item.left(dot).trimmed();
    propName = item.mid(dot + 1).trimmed();
    return !componentName.isEmpty() && !propName.isEmpty();
}

QString CreateStoredItem(const QString &componentName, const QString &propName) {
    if (componentName.isEmpty() || propName.isEmpty())
        return {};
    return componentName + u'.' + propName;
}

void UpdateStoredList(const QObject *window, TStoredPropList &list, bool fromForm) {
    for (auto i = list.size(); i-- > 0;) {
        TStoredProp &item = list[i];
        QString componentName;
        QString propName;
        bool keep = ParseStoredItem(item.line, componentName, propName);
        if (keep && fromForm) {
            item.component = FindComponent(window, componentName);
            keep = item.component != nullptr;
        } else if (keep) {
            keep = item.component != nullptr;
            if (keep)
                item.line = CreateStoredItem(item.component->objectName(), propName);
        }
        if (!keep)
            list.erase(list.begin() + qsizetype(i));
    }
}

void TPropsStorage::ForEachListedProperty(QObject *owner, TStoredPropList &list,
                                          void (TPropsStorage::*handle)(const QString &, const TPropAccess &)) {
    UpdateStoredList(owner, list, false);
    owner_ = owner;
    for (const TStoredProp &item : list) {
        QString componentName;
        QString propName;
        if (!ParseStoredItem(item.line, componentName, propName))
            continue;
        AObject = item.component;
        Prefix = item.component->objectName() + sPropNameDelimiter;
        if (const std::optional<TPropAccess> property = FindStoredProperty(AObject, propName))
            (this->*handle)(propName, *property);
    }
    owner_ = nullptr;
}

void TPropsStorage::StoreObjectsProps(QObject *owner, TStoredPropList &list) {
    ForEachListedProperty(owner, list, &TPropsStorage::StoreAnyProperty);
}

void TPropsStorage::LoadObjectsProps(QObject *owner, TStoredPropList &list) {
    ForEachListedProperty(owner, list, &TPropsStorage::LoadAnyProperty);
}

void TPropsStorage::StoreProperties(const QStringList &names) {
    for (const QString &name : names)
        if (const std::optional<TPropAccess> property = FindStoredProperty(AObject, name))
            StoreAnyProperty(name, *property);
}

void TPropsStorage::LoadProperties(const QStringList &names) {
    for (const QString &name : names)
        if (const std::optional<TPropAccess> property = FindStoredProperty(AObject, name))
            LoadAnyProperty(name, *property);
}

void TPropsStorage::StoreAnyProperty(const QString &name, const TPropAccess &property) {
    const QString key = GetItemName(name);
    if (property.kind == TPropKind::StringList) {
        StoreStringsProperty(key, property);
        return;
    }
    const QString text = Trim(StoreText(property));
    if (!text.isEmpty() || IsStringKind(property.kind))
        WriteString(Section, key, text);
}

void TPropsStorage::LoadAnyProperty(const QString &name, const TPropAccess &property) {
    const QString key = GetItemName(name);
    if (property.kind == TPropKind::StringList) {
        LoadStringsProperty(key, property);
        return;
    }
    // A key that is absent reads as the current value and so changes nothing.
    const QString def = IsClassKind(property.kind) ? QString() : StoreText(property);
    QString text;
    if (!def.isEmpty() || IsStringKind(property.kind) || IsClassKind(property.kind))
        text = Trim(ReadString(Section, key, def));
    LoadText(text, property);
}

QString TPropsStorage::StoreText(const TPropAccess &property) const {
    const QVariant value = property.read(AObject);
    switch (property.kind) {
    case TPropKind::Integer:
        return QString::number(value.toInt());
    case TPropKind::Int64:
        return QString::number(value.toLongLong());
    case TPropKind::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case TPropKind::Enumeration:
        return QString::fromLatin1(property.enumInfo.valueToKey(value.toInt()));
    case TPropKind::Float:
        return GeneralFloatText(value.toDouble(), 15);
    case TPropKind::Single:
        return GeneralFloatText(value.toFloat(), 7);
    case TPropKind::Set: {
        const auto bits = static_cast<unsigned>(value.toInt());
        QStringList present;
        for (const auto &[memberName, memberValue] : SetMembers(property.enumInfo))
            if (bits & static_cast<unsigned>(memberValue))
                present << memberName;
        return u'[' + present.join(u',') + u']';
    }
    case TPropKind::Char:
    case TPropKind::String:
    case TPropKind::Variant:
        return value.toString();
    case TPropKind::Component:
        return StoreComponentProperty(property);
    case TPropKind::StringList:
        break;
    }
    return {};
}

void TPropsStorage::LoadText(const QString &text, const TPropAccess &property) {
    switch (property.kind) {
    case TPropKind::Integer:
        property.write(AObject, TextToInt(text, 0));
        break;
    case TPropKind::Int64: {
        bool ok = false;
        const qlonglong value = text.toLongLong(&ok);
        property.write(AObject, ok ? value : 0);
        break;
    }
    case TPropKind::Char:
        if (!text.isEmpty())
            property.write(AObject, QVariant::fromValue(text[0]));
        break;
    case TPropKind::Boolean:
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            property.write(AObject, true);
        else if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            property.write(AObject, false);
        break;
    case TPropKind::Enumeration:
        for (int i = 0; i < property.enumInfo.keyCount(); ++i)
            if (text.compare(QLatin1String(property.enumInfo.key(i)), Qt::CaseInsensitive) == 0) {
                property.write(AObject, property.enumInfo.value(i));
                break;
            }
        break;
    case TPropKind::Float:
    case TPropKind::Single:
        if (const std::optional<double> value = ParseDouble(text))
            property.write(AObject, *value);
        break;
    case TPropKind::Set: {
        const QString delimiters = QStringLiteral(" ,[]");
        const std::vector<std::pair<QString, int>> members = SetMembers(property.enumInfo);
        int bits = 0;
        for (int n = 1; n <= WordCount(text, delimiters); ++n) {
            const QString word = ExtractWord(n, text, delimiters);
            for (const auto &[memberName, memberValue] : members)
                if (word.compare(memberName, Qt::CaseInsensitive) == 0)
                    bits |= memberValue;
        }
        property.write(AObject, bits);
        break;
    }
    case TPropKind::String:
    case TPropKind::Variant:
        property.write(AObject, text);
        break;
    case TPropKind::Component:
        LoadComponentProperty(text, property);
        break;
    case TPropKind::StringList:
        break;
    }
}

void TPropsStorage::StoreStringsProperty(const QString &key, const TPropAccess &property) {
    const QString subSection = Section + u'.' + key;
    EraseSection(subSection);
    const QStringList lines = property.read(AObject).toStringList();
    if (lines.isEmpty())
        return;
    WriteString(subSection, QStringLiteral("Count"), QString::number(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        WriteString(subSection, QStringLiteral("Item%1").arg(i), lines[i]);
}

void TPropsStorage::LoadStringsProperty(const QString &key, const TPropAccess &property) {
    const QString subSection = Section + u'.' + key;
    const int count = TextToInt(Trim(ReadString(subSection, QStringLiteral("Count"), QStringLiteral("0"))), 0);
    if (count <= 0)
        return;
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << ReadString(subSection, QStringLiteral("Item%1").arg(i), QString());
    property.write(AObject, lines);
}

QString TPropsStorage::StoreComponentProperty(const TPropAccess &property) const {
    const QObject *component = property.read(AObject).value<QObject *>();
    if (!component)
        return QStringLiteral("(null)");
    const QObject *form = OwnerForm(component);
    if (!form || form == owner_)
        return component->objectName();
    QString formName = form->objectName();
    if (formName.isEmpty()) {
        formName = QString::fromLatin1(form->metaObject()->className());
        if (formName.startsWith(u'T') || formName.startsWith(u't'))
            formName.remove(0, 1);
    }
    return formName + u'.' + component->objectName();
}

void TPropsStorage::LoadComponentProperty(const QString &text, const TPropAccess &property) {
    if (text.isEmpty())
        return;
    if (text.compare(QLatin1String("(null)"), Qt::CaseInsensitive) == 0) {
        property.write(AObject, QVariant::fromValue<QObject *>(nullptr));
        return;
    }
    const qsizetype dot = text.indexOf(u'.');
    const QString ownerName = dot < 0 ? QString() : text.left(dot).trimmed();
    const QString componentName = (dot < 0 ? text : text.mid(dot + 1)).trimmed();
    const QObject *owner = ownerName.isEmpty() ? owner_ : FindFormByName(ownerName);
    if (owner)
        property.write(AObject, QVariant::fromValue(FindComponent(owner, componentName)));
}

QString TPropsStorage::ReadString(const QString &section, const QString &key, const QString &def) {
    return OnReadString ? OnReadString(section, key, def) : QString();
}

void TPropsStorage::WriteString(const QString &section, const QString &key, const QString &value) {
    if (OnWriteString)
        OnWriteString(section, key, value);
}

void TPropsStorage::EraseSection(const QString &section) {
    if (OnEraseSection)
        OnEraseSection(section);
}
