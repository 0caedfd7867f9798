#include "link/IoThread.h"

TIoThread::TIoThread(Callback callback, void *userData) : thread_(callback, userData) {}

TIoThread::~TIoThread() {
    if (thread_.joinable())
        thread_.join();
}
