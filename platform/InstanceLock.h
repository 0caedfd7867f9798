#pragma once

#include <QString>

// The limit on copies of the program running at once. Copy n holds an exclusive lock on a file in the
// runtime folder whose name carries "WinR9_Map<n>" and the program folder; the kernel drops the lock when
// the process ends, however it ends, so a crashed copy never keeps its number.
class TInstanceLock {
public:
    enum Result { Taken, AllTaken, Failed };

    TInstanceLock() = default;
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock &) = delete;
    TInstanceLock &operator=(const TInstanceLock &) = delete;

    // Takes the lowest free number 1..maxCopies. Failed when no lock file can be created at all.
    Result Acquire(int maxCopies = 3);
    int Number() const { return number_; } // 0 while nothing is held
    void Release();

    // The lock file of copy n for the given program folder.
    static QString LockFilePath(int n, const QString &programDir);

private:
    int fd_ = -1;
    int number_ = 0;
};
