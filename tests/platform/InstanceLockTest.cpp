#include "platform/InstanceLock.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

// A copy of the program reduced to its instance lock: a child process that takes a number, reports it
// through a pipe and holds the lock until it is killed.
struct Copy {
    pid_t pid = -1;
    int number = -1;
};

Copy StartCopy() {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        TInstanceLock lock;
        const int number = lock.Acquire(3) == TInstanceLock::Taken ? lock.Number() : 0;
        (void)!write(fds[1], &number, sizeof number);
        close(fds[1]);
        if (number == 0)
            _exit(0);
        pause();
        _exit(0);
    }
    close(fds[1]);
    int number = -1;
    if (read(fds[0], &number, sizeof number) != sizeof number)
        number = -1;
    close(fds[0]);
    return {pid, number};
}

void Kill(Copy &copy) {
    if (copy.pid > 0) {
        kill(copy.pid, SIGKILL);
        waitpid(copy.pid, nullptr, 0);
        copy.pid = -1;
    }
}

} // namespace

TEST(InstanceLock, ThreeCopiesRunAFourthIsRefusedAndAKilledCopysNumberComesBack) {
    TempProgramDir dir;
    std::vector<Copy> copies;
    for (int i = 0; i < 3; ++i)
        copies.push_back(StartCopy());
    EXPECT_EQ(copies[0].number, 1);
    EXPECT_EQ(copies[1].number, 2);
    EXPECT_EQ(copies[2].number, 3);

    Copy fourth = StartCopy();
    EXPECT_EQ(fourth.number, 0);
    waitpid(fourth.pid, nullptr, 0);

    Kill(copies[0]);
    Copy next = StartCopy();
    EXPECT_EQ(next.number, 1);
    Kill(next);
    for (Copy &copy : copies)
        Kill(copy);
}

TEST(InstanceLock, CopiesInDifferentFoldersCountSeparately) {
    Copy other;
    {
        TempProgramDir first;
        other = StartCopy();
        EXPECT_EQ(other.number, 1);
    }
    TempProgramDir second;
    TInstanceLock lock;
    ASSERT_EQ(lock.Acquire(3), TInstanceLock::Taken);
    EXPECT_EQ(lock.Number(), 1);
    Kill(other);
}

TEST(InstanceLock, TheLockFileNameCarriesTheMappingName) {
    EXPECT_TRUE(TInstanceLock::LockFilePath(2, QStringLiteral("/opt/r9/")).contains(QStringLiteral("WinR9_Map2")));
    EXPECT_NE(TInstanceLock::LockFilePath(1, QStringLiteral("/opt/a/")),
              TInstanceLock::LockFilePath(1, QStringLiteral("/opt/b/")));
}
