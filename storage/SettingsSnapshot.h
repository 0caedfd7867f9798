#pragma once

#include "engine/catalogue/MaskCodeRange.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/TMASK.h"
#include "state/DeviceSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QBuffer;

// The binary settings snapshot: the settings record, the weighting characteristic, the user settings of
// the seven parameter tables with their mask-file texts, and the masks in force. Recordings carry one in
// every settings record and legacy binary configurations one after their version text, so the layout is
// a file format: little-endian, unaligned, texts in windows-1251 preceded by an int16 length.
//
// Older program versions wrote shorter settings images, fewer parameter rows and shorter mask records;
// the reader migrates by the version text of the file the snapshot comes from. A damaged snapshot (a
// short stream, a count, slot or length that does not fit) is rejected whole: it is read into working
// copies, and nothing live changes before all of it was read.

// Version texts are compared byte-wise, as NUL-terminated texts of at most 20 bytes.
inline constexpr int VersionTextSize = 20;
int CompareVersionText(const QByteArray &version, const char *text);

// The snapshot read into working copies, indexed by table kind 1..7 (SIN, SIN2, MTTS, RND, NOISE,
// МИРВАК, SYNC; entry 0 is unused).
struct TSettingsSnapshot {
    TDeviceSettings Settings{};
    std::vector<float> WeightingX; // kHz; empty: the snapshot carries no characteristic
    std::vector<float> WeightingY;
    QString WeightingName; // with the mask folder in front, empty when none
    std::array<std::vector<ParamDescriptor>, LastTableKind + 1> Rows;
    std::array<QStringList, LastTableKind + 1> LowerNames, UpperNames; // one entry per row
    std::unique_ptr<TMASK> Masks[MaskSlotCount][2];
};

// The GenStates as a snapshot or configuration stores them: a failed start (-1) is stored as off (0),
// so that loading never restarts a generator into the failed state.
void StoreGenStatesForFile(TDeviceSettings &settings);

// Appends a snapshot of `settings` (its failed GenStates stored as off) and the live weighting
// characteristic, parameter tables and masks. Returns the number of bytes written; 0, with nothing
// written, when a count or text does not fit its 16-bit field.
int32_t WriteSettingsSnapshot(QBuffer &stream, const TDeviceSettings &settings);

// Each reads one block from the stream's position; false, with `error` set, when the stream ends early
// or a value cannot be right. `maskDir` is put in front of the file names that are not absolute.
// ReadSettingsImage migrates older images to the full record, taking the parts they lacked from `live`.
bool ReadSettingsImage(QBuffer &stream, const QByteArray &version, const TDeviceSettings &live,
                       TDeviceSettings &image, QString &error);
bool ReadWeightingBlock(QBuffer &stream, const QString &maskDir, std::vector<float> &x, std::vector<float> &y,
                        QString &name, QString &error);
// `rows` starts as the copy of the live table; rows that the file's version did not have stay so.
bool ReadParamTableBlock(QBuffer &stream, const QByteArray &version, int kind, const QString &maskDir,
                         std::vector<ParamDescriptor> &rows, QStringList &lowerNames, QStringList &upperNames,
                         QString &error);
bool ReadMaskBlock(QBuffer &stream, const QByteArray &version, const QString &maskDir,
                   std::unique_ptr<TMASK> (&masks)[MaskSlotCount][2], QString &error);

// The four blocks into working copies (the parameter rows start as copies of the live tables); null,
// with `error` set, for a damaged snapshot.
std::unique_ptr<TSettingsSnapshot> ReadSettingsSnapshot(QBuffer &stream, const QByteArray &version,
                                                        const QString &maskDir, QString &error);
