#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

// The instrument of demonstration mode. Its thread builds a block of the test signal that the last
// generator command chose (EmuGenMode), hands it to the main thread through OnAdcArray, as the link's
// blocks arrive, and sleeps 50 ms. The settings of the next block are taken in the main thread at each
// hand-over and at Start and Resume, so the thread never reads the live settings record.
class TEmulator : public QObject {
    Q_OBJECT
public:
    explicit TEmulator(QObject *owner = nullptr);
    ~TEmulator() override;
    TEmulator(const TEmulator &) = delete;
    TEmulator &operator=(const TEmulator &) = delete;

    // Stops a running thread and starts a new one; returns 0.
    int32_t Start();
    // Ends the thread and waits for it. While it waits it serves a pending hand-over (without delivering
    // the block), so a thread waiting for the main thread can end; also safe from inside OnAdcArray.
    virtual void Stop();
    // No block is delivered while paused, not even one already on its way.
    void Pause();
    // Continues with the settings as they are now.
    virtual void Resume();
    bool Running() const { return Thread != nullptr; }

    // Called in the main thread with each block: the samples (the engine's EmulatorAdcBuffer), their
    // count and the time since Start in 1/1024 s, as the instrument counts it.
    std::function<void(TEmulator *Sender, const int16_t *adcArray, uint32_t Nadc, uint32_t Tadc)> OnAdcArray;

private:
    struct TSyncThread;
    void ServeHandOver(const std::shared_ptr<TSyncThread> &thread);
    std::shared_ptr<TSyncThread> Thread;
};
