#pragma once

#include "engine/masks/TMASK.h"

#include <functional>

class QWidget;

// What a window that loads mask files asks its user: a missing file is reported with the offer to pick
// its replacement in an open dialog owned by the window; a damaged file is reported and left out.
class TMaskFileAsk : public TMaskFileChooser {
public:
    explicit TMaskFileAsk(QWidget *owner) : owner_(owner) {}

    QString ReplaceMissing(const QString &path) override;
    void ReportDamaged(const QString &path, const QString &reason) override;
    void Dropped(int index) override {
        if (OnDropped)
            OnDropped(index);
    }

    // The owner's list of the mask's files follows a file that was let go.
    std::function<void(int index)> OnDropped;

    // The open dialog (owner, the missing path, filter); tests put a chooser of their own here.
    std::function<QString(QWidget *owner, const QString &start, const QString &filter)> AskOpenFileName;

private:
    QWidget *owner_;
};
