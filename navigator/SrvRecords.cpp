#include "navigator/SrvRecords.h"

FindRecord ParseFindRecord(const std::uint8_t *body, std::size_t size) {
    FindRecord record = ReplyRecord<FindRecord>(body, size);
    record.Name[sizeof record.Name - 1] = 0;
    return record;
}
