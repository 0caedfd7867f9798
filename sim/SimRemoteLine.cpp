#include "sim/SimRemoteLine.h"

#include "sim/SimInstrument.h"

#include <algorithm>

SimRemoteLine::SimRemoteLine(std::shared_ptr<SimInstrument> a, std::shared_ptr<SimInstrument> b,
                             std::chrono::milliseconds delay)
    : a_(std::move(a)), b_(std::move(b)), delay_(delay) {
    a_->WithApplication([this](SimDspApplication &app) {
        app.SetMessageCarrier([this](const SimMessage &m) { Carry(true, m); });
    });
    b_->WithApplication([this](SimDspApplication &app) {
        app.SetMessageCarrier([this](const SimMessage &m) { Carry(false, m); });
    });
    thread_ = std::thread([this] { Run(); });
}

SimRemoteLine::~SimRemoteLine() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    for (const auto &instrument : {a_, b_})
        instrument->WithApplication([](SimDspApplication &app) { app.SetMessageCarrier({}); });
}

void SimRemoteLine::ScriptFaults(std::vector<SimLineFault> faults) {
    std::lock_guard lock(mutex_);
    faults_.assign(faults.begin(), faults.end());
}

int SimRemoteLine::DeliveredFromA() const {
    return delivered_.load();
}

// Called by the sending instrument while it holds its own lock: only schedules.
void SimRemoteLine::Carry(bool fromA, const SimMessage &message) {
    std::lock_guard lock(mutex_);
    const std::shared_ptr<SimInstrument> &from = fromA ? a_ : b_;
    const std::shared_ptr<SimInstrument> &to = fromA ? b_ : a_;
    SimLineFault fault = SimLineFault::None;
    if (fromA && !faults_.empty()) {
        fault = faults_.front();
        faults_.pop_front();
    }
    const auto now = std::chrono::steady_clock::now();
    const int id = message.id, counter = message.counter;
    std::vector<std::uint8_t> body = message.body;
    auto end = [&](std::chrono::milliseconds after, std::int16_t success) {
        events_.push_back({now + after, from, [counter, id, success](SimDspApplication &app) {
                               app.ReportMessageEnd(counter, id, success);
                           }});
    };
    auto deliver = [&](std::chrono::milliseconds after) {
        events_.push_back({now + after, to, [this, id, body, fromA](SimDspApplication &app) {
                               app.DeliverMessage(id, body);
                               if (fromA)
                                   ++delivered_;
                           }});
    };
    switch (fault) {
    case SimLineFault::None:
        deliver(delay_);
        end(2 * delay_, 1);
        break;
    case SimLineFault::Drop:
        end(delay_, 0);
        break;
    case SimLineFault::Corrupt:
        if (!body.empty())
            body[body.size() / 2] ^= 0xA5;
        deliver(delay_);
        end(2 * delay_, 1);
        break;
    case SimLineFault::Truncate:
        events_.push_back({now + delay_, to, [](SimDspApplication &app) { app.ReportMessageInputError(); }});
        end(2 * delay_, 0);
        break;
    case SimLineFault::FinFirst:
        end(delay_, 1);
        deliver(3 * delay_);
        break;
    case SimLineFault::LateFin:
        deliver(delay_);
        end(100 * delay_, 1);
        break;
    }
    wake_.notify_all();
}

void SimRemoteLine::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        const auto now = std::chrono::steady_clock::now();
        auto due = std::find_if(events_.begin(), events_.end(), [now](const Event &e) { return e.due <= now; });
        if (due == events_.end()) {
            auto next = std::min_element(events_.begin(), events_.end(),
                                         [](const Event &x, const Event &y) { return x.due < y.due; });
            if (next == events_.end())
                wake_.wait(lock);
            else
                wake_.wait_until(lock, next->due);
            continue;
        }
        Event event = std::move(*due);
        events_.erase(due);
        // The instrument's lock is taken without the line's, as the instrument calls Carry under its own.
        lock.unlock();
        event.target->WithApplication(event.action);
        lock.lock();
    }
}
