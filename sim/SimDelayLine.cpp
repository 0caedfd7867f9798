#include "sim/SimDelayLine.h"

void SimDelayLine::Push(std::uint32_t now, const std::vector<std::uint8_t> &bytes) {
    if (bytes.empty())
        return;
    std::uint32_t due = now;
    if (faults_.rate > 0 && std::uniform_real_distribution<double>(0.0, 1.0)(random_) < faults_.rate) {
        due = now + faults_.ms;
        ++delayed_;
    }
    // Nothing overtakes a batch still held.
    if (!batches_.empty() && std::int32_t(batches_.back().due - due) > 0)
        due = batches_.back().due;
    batches_.push_back(Batch{due, bytes});
}

void SimDelayLine::Release(std::uint32_t now, std::deque<std::uint8_t> &out) {
    while (!batches_.empty() && std::int32_t(now - batches_.front().due) >= 0) {
        out.insert(out.end(), batches_.front().bytes.begin(), batches_.front().bytes.end());
        batches_.pop_front();
    }
}
