#pragma once

#include "platform/IniFile.h"
#include "state/SettingsLoadState.h"
#include "storage/ConfigWindows.h"

#include <QString>

#include <map>
#include <set>
#include <vector>

// "Graph7", "Text0": a window of the configuration's window table by kind and slot.
inline QString WindowName(TConfigWindow w) {
    static const char *const kinds[] = {"Result", "Param", "Settings", "Options", "Graph", "Text", "Diagram", "Main"};
    return QLatin1String(kinds[int(w.Kind)]) + QString::number(w.Index);
}

// Windows as names: an open window's placement store writes and reads its section of R9.ini, and every
// call is logged.
class FakeWindowHost : public TConfigWindowHost {
public:
    explicit FakeWindowHost(QString r9ini) : r9ini_(std::move(r9ini)) {}

    QString IniFileName() override { return r9ini_; }
    QString SectionName(TConfigWindow w) override {
        if (w.Kind == ConfigWindowKind::TextWindow)
            return texts.count(w.Index) ? texts[w.Index].Caption : QString();
        return QStringLiteral("Окно ") + WindowName(w);
    }
    bool IsOpen(TConfigWindow w) override {
        return w.Kind == ConfigWindowKind::TextWindow ? texts.count(w.Index) > 0 : open.count(WindowName(w)) > 0;
    }
    void SavePlacement(TConfigWindow w) override {
        TIniFile ini(r9ini_);
        ini.WriteString(SectionName(w), QStringLiteral("NormPos(1920x1080)"), QStringLiteral("1,2,3,4"));
        ini.WriteString(SectionName(w), QStringLiteral("NormPos"), QStringLiteral("1,2,3,4"));
        ini.WriteString(SectionName(w), QStringLiteral("Visible"), QStringLiteral("0"));
        log.push_back(QStringLiteral("save ") + WindowName(w));
    }
    void Replace(TConfigWindow w) override {
        TIniFile ini(r9ini_);
        replacedWith[WindowName(w)] = ini.ReadString(SectionName(w), QStringLiteral("NormPos"), QString());
        log.push_back(QStringLiteral("replace ") + WindowName(w));
    }
    void Create(TConfigWindow w) override {
        open.insert(WindowName(w));
        log.push_back(QStringLiteral("create ") + WindowName(w));
    }
    // A closing window saves its placement, as the placement store does.
    void Close(TConfigWindow w) override {
        TIniFile(r9ini_).WriteString(SectionName(w), QStringLiteral("NormPos(800x800)"), QStringLiteral("9,9,9,9"));
        if (w.Kind == ConfigWindowKind::TextWindow)
            texts.erase(w.Index);
        open.erase(WindowName(w));
        log.push_back(QStringLiteral("close ") + WindowName(w));
    }
    std::optional<TTextWindowEntry> TextWindow(int32_t slot) override {
        if (!texts.count(slot))
            return std::nullopt;
        return texts[slot];
    }
    void OpenPointValueWindow(const TTextWindowEntry &entry) override {
        int32_t slot = 0;
        while (texts.count(slot))
            ++slot;
        texts[slot] = entry;
        log.push_back(QStringLiteral("point %1 %2 %3 %4 %5")
                          .arg(entry.Caption)
                          .arg(entry.IndexNorm)
                          .arg(entry.IndexValue)
                          .arg(entry.FormIndexPar)
                          .arg(entry.IndexMask));
    }
    void BringForward(int32_t tag) override { log.push_back(QStringLiteral("front ") + QString::number(tag)); }
    void ProcessMessages() override { log.push_back(QStringLiteral("messages")); }
    void Cascade() override { log.push_back(QStringLiteral("cascade")); }
    void Tile(bool vertical) override { log.push_back(vertical ? QStringLiteral("tile |") : QStringLiteral("tile -")); }
    void ReapplyRowSettings(int32_t tableIndex, int32_t row) override {
        reapplied.push_back({tableIndex, row, SettingsLoadState});
    }
    void RefreshProgramSettingsViews() override { log.push_back(QStringLiteral("refresh options")); }

    std::set<QString> open;
    std::map<int32_t, TTextWindowEntry> texts;
    std::map<QString, QString> replacedWith;
    std::vector<QString> log;
    struct Reapplied {
        int32_t table, row;
        int16_t state;
    };
    std::vector<Reapplied> reapplied;

private:
    QString r9ini_;
};
