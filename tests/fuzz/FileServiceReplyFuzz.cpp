// Any bytes as what the file server sends over the COM port: the frame receiver and the acknowledgement
// engine take them, and every accepted packet goes through the reply parsers. Nothing may read past a
// record or a payload, and the rings' indices must stay in range.
#include "link/LinkFrameCodec.h"
#include "link/LinkScheduler.h"
#include "navigator/SrvRecords.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    LinkCounters counters;
    LinkScheduler scheduler(counters);
    LinkFrameDecoder decoder;
    std::uint8_t out[LinkMaxFrameBytes];
    std::uint8_t packet[LinkMaxPayload];
    for (size_t k = 0; k < size; ++k) {
        const LinkFrameDecoder::Result result = decoder.Feed(data[k]);
        if (result == LinkFrameDecoder::Result::Failure)
            scheduler.OnFailure();
        else if (result == LinkFrameDecoder::Result::Frame) {
            const LinkFrame &frame = decoder.Frame();
            if (frame.Packet.Length > LinkMaxPayload || (!frame.IsControl() && frame.Packet.Type == 0))
                std::abort();
            if (IsFaultReport(frame)) {
                volatile int words = FaultWord(frame.Packet, 0) + FaultWord(frame.Packet, 2);
                (void)words;
            }
            scheduler.OnFrame(frame);
        }
        while (scheduler.HasRxPacket()) {
            const std::uint32_t type = scheduler.NextRxType();
            const std::uint32_t length = scheduler.TakePacket(packet);
            if (length > LinkMaxPayload)
                std::abort();
            const FindRecord record = ParseFindRecord(packet, length);
            if (std::strlen(record.Name) >= sizeof record.Name)
                std::abort();
            if (type == 25)
                ReplyRecord<DiskSpaceReply>(packet, length);
            else
                ReplyRecord<PairReply>(packet, length);
        }
        std::size_t frameSize = 0;
        scheduler.Schedule(std::uint32_t(k * 100), out, frameSize);
        if (frameSize > LinkMaxFrameBytes)
            std::abort();
    }
    return 0;
}
