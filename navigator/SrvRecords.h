#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The file service's records on the wire: 32-bit little-endian integers, texts NUL-terminated.

#pragma pack(push, 1)
// Body of request 4: what the server needs to create the file before its data comes.
struct FileHeader {
    std::int32_t Attr;
    std::int32_t DateTime; // packed DOS form
    std::int32_t Size;
};
// Body of reply 20: one directory entry. Attr 0x10 is a directory, 0x8000 an entry in the trash.
struct FindRecord {
    std::int32_t Attr;
    std::int32_t DateTime;
    std::int32_t Size;
    char Name[108];
};
#pragma pack(pop)
static_assert(sizeof(FileHeader) == 12);
static_assert(sizeof(FindRecord) == 120);

constexpr std::int32_t FindAttrDirectory = 0x10;
constexpr std::int32_t FindAttrTrash = 0x8000;

// A reply body copied into its record: at most the record's size, the rest of the record zero, so a
// long body never runs past the record and a short one leaves no stale bytes. A name always ends
// inside its array.
template <typename Record> Record ReplyRecord(const std::uint8_t *body, std::size_t size) {
    Record record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(&record, body, size < sizeof record ? size : sizeof record);
    return record;
}
FindRecord ParseFindRecord(const std::uint8_t *body, std::size_t size);

struct ResultReply {
    std::int32_t ArmError;
};
struct PairReply {
    std::int32_t First;
    std::int32_t Second;
};
struct DiskSpaceReply {
    std::int32_t ArmError;
    std::int32_t DiskSectCnt;
    std::int32_t DataSectCnt;
    std::int32_t FreeSectCnt;
    std::int32_t TrashSectCnt;
};

class QDateTime;
// The packed DOS date and time of the server's records: bits 31-25 year - 1980, 24-21 month, 20-16 day,
// 15-11 hours, 10-5 minutes, 4-0 seconds / 2. A value that names no valid moment gives an invalid time.
QDateTime FromDosDateTime(std::int32_t packed);
std::int32_t ToDosDateTime(const QDateTime &when);
