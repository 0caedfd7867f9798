#pragma once

#include <QStringList>

#include <array>
#include <cstdint>

// The settings page of the open protocol: per entry, a table of the instrument settings the entry was
// measured under. The connection type, the generator kind, the impedances, the maximum-level index, the band, the
// block size and the spectrum step come from the entry's results block (ProtocolHeader); everything else
// from the current settings record, so a remote entry mixes the peer's block with the local settings.

// Appends the current entry's section (anchor, title, head rows, the selective and SYNC groups while those
// modes run, the generator and the meter group) to the settings page; nothing when the page cannot be
// opened.
void WriteSettingsSection(int remote);

// The groups, each appending its lines: the table's head (maximum frequency, connection type), the
// selective mode, the SYNC mode, the generator (none for a block whose connection has no generator) and
// the meter.
void WriteSettingsHead(QStringList &lines, int remote);
void WriteMirvakSettings(QStringList &lines);
void WriteSyncSettings(QStringList &lines);
void WriteGeneratorSettings(QStringList &lines);
void WriteMeterSettings(QStringList &lines);

// The generator group's signal rows for a generator kind of the block (1 SIN, 2 SIN2, 3 MTTS, 4 PRBS, 5 no
// signal, 6 NOISE); rows counts the group's rows besides the reference and impedance rows.
void WriteGeneratorRows(QString &text, int &rows, int generatorKind);

// The four maximum measurable levels that the meter row shows: the live choices, recomputed for the
// block's meter impedance with the current connection type and reference level. A local copy: writing a
// protocol never changes the levels the meter offers.
std::array<int16_t, 4> ProtocolMaxLevelChoices(float meterImpedance);
