// Any bytes as what the file server sends over the COM port: the frame receiver and the acknowledgement
// engine take them, and every accepted packet goes through the reply parsers. Nothing may read past a
// record or a payload, and the rings' indices must stay in range.
#include "LinkReceiver.h"
#include "navigator/SrvRecords.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FeedLinkReceiver(
        data, size,
        [](const LinkFrame &frame) {
            if (IsFaultReport(frame)) {
                volatile int words = FaultWord(frame.Packet, 0) + FaultWord(frame.Packet, 2);
                (void)words;
            }
        },
        [](std::uint32_t type, const std::uint8_t *packet, std::uint32_t length) {
            const FindRecord record = ParseFindRecord(packet, length);
            if (std::strlen(record.Name) >= sizeof record.Name)
                std::abort();
            if (type == 25)
                ReplyRecord<DiskSpaceReply>(packet, length);
            else
                ReplyRecord<PairReply>(packet, length);
        });
    return 0;
}
