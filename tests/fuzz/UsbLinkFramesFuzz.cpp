// Any bytes as what the instrument sends over the USB link: the frame decoder and the acknowledgement
// engine take them, and every accepted packet goes through the DSP packet readers as the packet thread
// applies them (measurement-frame header and its records, power status, debug words). A delivered data
// frame must encode back to a frame that decodes to the same packet, and no reader may read past the
// payload.
#include "LinkReceiver.h"
#include "link/DspPackets.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t FrameHeaderType = 4;
constexpr std::uint32_t PowerType = 7;
constexpr std::size_t PowerStatusSize = 8;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The frame of a delivered data frame, encoded again and decoded by a fresh decoder, is the same frame.
void CheckRoundTrip(const LinkFrame &frame) {
    std::uint8_t bytes[LinkMaxFrameBytes];
    const std::size_t size =
        EncodeDataFrame(bytes, frame.Sequence(), frame.PeerRxLast(), frame.PeerConsumed(), frame.Packet);
    Check(size <= LinkMaxFrameBytes);
    LinkFrameDecoder decoder;
    LinkFrameDecoder::Result result = LinkFrameDecoder::Result::None;
    for (std::size_t i = 0; i < size; ++i)
        result = decoder.Feed(bytes[i]);
    Check(result == LinkFrameDecoder::Result::Frame);
    const LinkFrame &again = decoder.Frame();
    Check(again.H1 == frame.H1 && again.H2 == frame.H2 && again.Packet.Type == frame.Packet.Type &&
          again.Packet.Length == frame.Packet.Length &&
          std::memcmp(again.Packet.Payload, frame.Packet.Payload, frame.Packet.Length) == 0);
}

// The readers over a payload of `length` bytes, each given only what the payload holds.
void ReadPacket(std::uint32_t type, const std::uint8_t *payload, std::uint32_t length) {
    volatile double sink = 0;
    if (type == FrameHeaderType) {
        const FrameHeader header = ParseFrameHeader(payload, length);
        const std::size_t recordSize =
            header.FLGcomm == FrameSelectiveFlag ? SelectiveRecordSize : MeterRecordSize;
        Check(header.RecordCount == 0 || FrameRecordsOffset + header.RecordCount * recordSize <= length);
        for (std::uint32_t i = 0; i < header.RecordCount; ++i) {
            const std::uint8_t *record = payload + FrameRecordsOffset + i * recordSize;
            if (recordSize == SelectiveRecordSize)
                sink = sink + ParseSelectiveRecord(record).Re;
            else
                sink = sink + ParseMeterRecord(record).SGNcomm;
        }
    } else if (type == PowerType && length >= PowerStatusSize) {
        sink = sink + ParsePowerStatus(payload).Flags;
    } else if (length >= 6) {
        sink = sink + Le48ToDouble(payload);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FeedLinkReceiver(
        data, size,
        [](const LinkFrame &frame) {
            if (!frame.IsControl()) {
                Check(frame.Packet.Type <= LinkMaxType);
                CheckRoundTrip(frame);
            }
        },
        ReadPacket);
    return 0;
}
