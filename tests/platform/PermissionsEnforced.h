#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <thread>

// Runs `body` on a thread that obeys file permissions even when the tests run as root. Capabilities
// belong to a thread, so dropping the override capabilities there leaves the rest of the suite untouched.
inline void RunWithPermissionsEnforced(const std::function<void()> &body) {
    std::exception_ptr failure;
    std::thread worker([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (syscall(SYS_capget, &header, data) == 0) {
            for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
                data[cap / 32].effective &= ~(1u << (cap % 32));
            syscall(SYS_capset, &header, data);
        }
        try {
            body();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}
