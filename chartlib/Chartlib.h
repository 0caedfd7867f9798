#pragma once

#include "platform/Clock.h"
#include "platform/NoValue.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// The program's own helper library: number, time and date texts, small text and file-name helpers,
// the debug log, file and memory streams, and the CRC of the link frames and of the identification image.
// Main thread only.

// As many '0' characters as the number precision of the program settings ("00" at start).
extern QString PrecisionZeros;

// Rebuilds PrecisionZeros after the number precision changed; a precision outside 0..15 (a damaged
// settings image) is clamped into that range.
void SetPrecisionZeros(int precision);

// Formats with a picture: '0' is a digit that is always written, '#' one that is written only when it
// is not a leading zero of the integer part or a trailing zero of the fraction, '.' the decimal point,
// written only when a fraction digit follows it ("0.00", "0.###", "#0.", "###0.##"). The value is taken
// with 15 significant digits and rounded at the last fraction placeholder, halves away from zero.
// The point is always '.', whatever the process locale.
QString FormatPicture(double value, QStringView picture);

QString FormatValue(double value);              // "0." + PrecisionZeros; empty for NoValue
QString FormatValueDigits(double value, int n); // "0." + n times '#'; empty for NoValue
QString FormatFrequency(double kHz);            // 3 to 6 decimals by DeviceSettings->MaxFrequency

// Each rounds through its picture and parses the text back.
double RoundToPrecision(double value); // "0." + PrecisionZeros
double RoundFrequency(double kHz);     // the frequency picture, after adding a tenth of its last digit
double RoundTo3Decimals(double value); // "0.###"
double RoundTo1Decimal(double value);  // "0.0"

// "HH:MM:SS" or "MM:SS"; each part has at least two digits and no upper limit (360000 s give
// "100:00:00"). A negative count is taken as 0.
QString SecondsToClock(std::int32_t seconds, bool withHours);

// ": dd.mm.yyyy" of 01.01.2003 plus days; empty for 0.
QString DayCountToDateText(std::uint16_t days);

// Replaces the first occurrence of what, searching from the start again after each replacement, until
// none is left ("a____b" with "__" -> "_" gives "a_b"). That repetition only ends for sure while each
// step shortens the text, so a replacement at least as long as what (one that contains it would never
// end) is made in one pass from left to right instead, each occurrence of the original text once; for
// a single-character what both ways give the same text. An empty what changes nothing.
QString ReplaceAll(const QString &text, const QString &what, const QString &with);

// The first ',' becomes the decimal point '.'; other commas stay.
QString CommaToDecimalSeparator(const QString &text);

// The text before the first separator, followed by suffix unless that separator ends the text; the
// text unchanged when there is no separator. Shortens ";"-lists of file names to "first...".
QString CutAtSeparator(const QString &text, const QString &separator, const QString &suffix);

// The file name of a path ('/' or '\' separated) without its last extension; a name whose only dot
// is its first character comes back whole.
QString FileNameWithoutExt(const QString &path);

// Stored folder texts end in '\': appends one unless the text ends in it; an empty text stays empty.
void AddTrailingBackslash(QString &folder);

// Fills size bytes with zero and copies the windows-1251 bytes of text into them, at most size (a text
// of size bytes or more leaves no terminating zero).
void CopyToFixedField(void *destination, const QString &text, std::size_t size);

// Opens a gap of count zero bytes at offset in the first total bytes of a buffer of capacity bytes,
// moving bytes offset..total up by count. Returns false and leaves the buffer unchanged when
// offset > total or total + count > capacity.
bool InsertZeroBytes(void *buffer, std::size_t capacity, std::size_t offset, std::size_t count, std::size_t total);

// XOR of all bytes (0 for none): the check byte sent after each command piece on the technological port.
std::uint8_t XorOfBytes(const QByteArray &bytes);

// Appends "hh:mm:ss: text" and CR LF to debug.txt in the program folder. The first call of a run
// empties the file. A line that cannot be written is dropped.
void DebugLog(const QString &text);

// Makes the next DebugLog empty debug.txt again, as at the start of a run.
void RestartDebugLog();

// Serial ports above 9 take the long "\\.\COMn" form of the NT family; our port table maps that form
// to its device, so the answer is always true.
bool IsWindowsNT();

// The open modes of file streams, numbered as the program's callers know them. Their sharing part
// (others denied writing, or not) has no counterpart for plain files here; the access part is kept.
enum class FileOpenMode : int {
    Create = 0xFFFF,     // create or empty, read and write
    OpenWrite = 33,      // existing file, write without emptying (with SeekOrigin::End: append)
    OpenRead = 32,       // existing file, read
    OpenReadShared = 64, // existing file, read
};

enum class SeekOrigin : int { Begin = 0, Current = 1, End = 2 };

// Shows "Не могу открыть файл <name>" as a warning; while batch control runs it goes to the batch log
// with result code 1, as every file failure of this library.
void ShowCannotOpen(const QString &fileName);

// Opens a file stream and positions it at offset 0 from origin. On failure the stream is reset, the
// message "Не могу открыть файл <name>" is shown (while batch control runs it goes to the batch log)
// and the result is false.
bool OpenFileStream(std::unique_ptr<QFile> &stream, const QString &fileName, FileOpenMode mode, SeekOrigin origin);

// Writes the windows-1251 bytes of text and forces them to disk; on failure shows "Не могу открыть
// файл" and returns false.
bool WriteTextToFile(QFile &file, const QString &text);

// Memory streams: a QBuffer over a QByteArray, opened by the caller.
bool WriteTextToStream(QBuffer &stream, const QString &text); // windows-1251 bytes, no terminator
bool WriteToStream(QBuffer &stream, const void *data, qint64 size);
// Reads size bytes; on a short read the rest of data is zero-filled and the result is false.
bool ReadFromStream(QBuffer &stream, void *data, qint64 size);

// Reads up to size bytes (a short read at the end of a file is not a failure and leaves the rest of
// data as it was). A failing read shows "Невозможно чтение из файла!" and returns false.
bool ReadFromFileStream(QIODevice &stream, void *data, qint64 size);

// Moves or copies (keepSource) source onto a missing destination, or appends it to an existing one and
// then deletes it unless keepSource. False when the source is missing or the move, copy or append
// fails. A failed append is taken back and reported like a file that cannot be opened; the source is
// kept whenever the append did not complete.
bool AppendFileTo(const QString &destination, const QString &source, bool keepSource);

// A name in the folder that no file holds yet: the name itself, else the stem numbered from 2 on
// ("page.html", "page_2.html", "page_3.html").
QString FreeName(const QDir &folder, const QString &name);

// Moves every plain, non-hidden file of folder into destination (move), or deletes it. A move never
// replaces a file: a name the destination already holds gets a number ("page_2.html"). False when a file
// could not be moved (it stays where it was) or deleted.
bool ClearOrMoveFiles(const QString &folder, const QString &destination, bool move);

inline constexpr std::size_t EepromImageSize = 2048;
inline constexpr std::size_t EepromCrcOffset = 36;

// CRC-16 of the link frames and of the identification image: reflected polynomial 0xA001, initial
// value 0, no final XOR ("123456789" gives 0xBB3D).
std::uint16_t CalcCrc16(const void *data, std::size_t length);
std::span<const std::uint16_t, 256> Crc16Table(); // entry i: the CRC of the single byte i

// True when the 16-bit field at byte 36 (low byte first) equals the CRC of the image with that field
// taken as zero.
bool CheckEepromCrc(std::span<const std::uint8_t, EepromImageSize> image);
