#include "navigator/SrvRecords.h"

#include <QDateTime>

FindRecord ParseFindRecord(const std::uint8_t *body, std::size_t size) {
    FindRecord record = ReplyRecord<FindRecord>(body, size);
    record.Name[sizeof record.Name - 1] = 0;
    return record;
}

QDateTime FromDosDateTime(std::int32_t packed) {
    const std::uint32_t v = std::uint32_t(packed);
    const QDate date(int(v >> 25) + 1980, int(v >> 21 & 15), int(v >> 16 & 31));
    const QTime time(int(v >> 11 & 31), int(v >> 5 & 63), int(v & 31) * 2);
    return QDateTime(date, time);
}

std::int32_t ToDosDateTime(const QDateTime &when) {
    const QDate d = when.date();
    const QTime t = when.time();
    if (!when.isValid() || d.year() < 1980)
        return std::int32_t(1u << 21 | 1u << 16);
    return std::int32_t(std::uint32_t(d.year() - 1980) << 25 | std::uint32_t(d.month()) << 21 |
                        std::uint32_t(d.day()) << 16 | std::uint32_t(t.hour()) << 11 | std::uint32_t(t.minute()) << 5 |
                        std::uint32_t(t.second() / 2));
}
