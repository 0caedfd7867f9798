#pragma once

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>

// What a picture of a window would show wrong: among the controls inside `root` (labels, buttons, edits,
// spin edits, combo boxes and group boxes, not the parts Qt builds them from), every one that is hidden,
// has no size, sticks out of its parent, or covers another (one not inside the other). Empty when the
// window is laid out cleanly.
inline QStringList LayoutFaults(QWidget &root) {
    const auto isControl = [](const QWidget *w) {
        return qobject_cast<const QLabel *>(w) || qobject_cast<const QAbstractButton *>(w) ||
               qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w) ||
               qobject_cast<const QComboBox *>(w) || qobject_cast<const QGroupBox *>(w);
    };
    // A control's own parts (the line edit of a spin box, the buttons of a combo box) are not controls.
    const auto insideControl = [&](const QWidget *w) {
        for (const QWidget *p = w->parentWidget(); p && p != &root; p = p->parentWidget())
            if (isControl(p) && !qobject_cast<const QGroupBox *>(p))
                return true;
        return false;
    };
    const auto name = [](const QWidget *w) {
        if (!w->objectName().isEmpty())
            return w->objectName();
        const auto *label = qobject_cast<const QLabel *>(w);
        const auto *button = qobject_cast<const QAbstractButton *>(w);
        const QString text = label ? label->text() : button ? button->text() : QString();
        return QString::fromLatin1(w->metaObject()->className()) + (text.isEmpty() ? "" : " \"" + text + '"');
    };
    QList<const QWidget *> controls;
    for (const QWidget *w : root.findChildren<QWidget *>())
        if (isControl(w) && !w->isWindow() && w->isVisibleTo(&root) && !insideControl(w))
            controls << w;
    QStringList faults;
    const auto onScreen = [&](const QWidget *w) { return QRect(w->mapTo(&root, QPoint(0, 0)), w->size()); };
    for (const QWidget *w : controls) {
        if (!w->isVisible())
            faults << name(w) + " is hidden";
        else if (w->width() <= 0 || w->height() <= 0)
            faults << name(w) + " has no size";
        else if (w->parentWidget() && !w->parentWidget()->rect().contains(w->geometry()))
            faults << name(w) + " sticks out of " + name(w->parentWidget());
    }
    for (qsizetype i = 0; i < controls.size(); ++i)
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            const QWidget *a = controls[i], *b = controls[j];
            if (!a->isAncestorOf(b) && !b->isAncestorOf(a) && onScreen(a).intersects(onScreen(b)))
                faults << name(a) + " covers " + name(b);
        }
    return faults;
}
