#pragma once

#include "link/LinkFrameCodec.h"
#include "link/LinkScheduler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Bytes as a link's receiver takes them: the frame decoder, then the acknowledgement engine, whose
// receive ring is emptied after every byte and whose transmit side is scheduled as time goes on. Each
// delivered frame goes to onFrame, each packet taken from the ring to onPacket(type, payload, length).
// The engine's counts and lengths must stay in range.
template <typename OnFrame, typename OnPacket>
void FeedLinkReceiver(const std::uint8_t *data, std::size_t size, OnFrame onFrame, OnPacket onPacket) {
    LinkCounters counters;
    LinkScheduler scheduler(counters);
    LinkFrameDecoder decoder;
    std::uint8_t out[LinkMaxFrameBytes];
    std::uint8_t packet[LinkMaxPayload];
    for (std::size_t k = 0; k < size; ++k) {
        const LinkFrameDecoder::Result result = decoder.Feed(data[k]);
        if (result == LinkFrameDecoder::Result::Failure) {
            scheduler.OnFailure();
        } else if (result == LinkFrameDecoder::Result::Frame) {
            const LinkFrame &frame = decoder.Frame();
            if (frame.Packet.Length > LinkMaxPayload || (!frame.IsControl() && frame.Packet.Type == 0))
                std::abort();
            onFrame(frame);
            scheduler.OnFrame(frame);
        }
        while (scheduler.HasRxPacket()) {
            const std::uint32_t type = scheduler.NextRxType();
            const std::uint32_t length = scheduler.TakePacket(packet);
            if (length > LinkMaxPayload)
                std::abort();
            onPacket(type, packet, length);
        }
        std::size_t frameSize = 0;
        scheduler.Schedule(std::uint32_t(k * 100), out, frameSize);
        if (frameSize > LinkMaxFrameBytes)
            std::abort();
    }
}
