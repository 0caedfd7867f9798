#pragma once

#include <thread>

// A worker thread that runs one callback with its user data and ends when the callback returns.
// Owners stop it by clearing their own running flag and then destroying it, which waits for the end.
class TIoThread {
public:
    using Callback = void (*)(void *userData);

    TIoThread(Callback callback, void *userData);
    ~TIoThread();
    TIoThread(const TIoThread &) = delete;
    TIoThread &operator=(const TIoThread &) = delete;

private:
    std::thread thread_;
};
