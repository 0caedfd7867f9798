#pragma once

#include <utility>

// Calls a service entry that the layers above registered; an empty entry is a part of the program not
// built into this run, and the step is skipped.
template <typename F, typename... Args> void CallService(const F &service, Args &&...args) {
    if (service)
        service(std::forward<Args>(args)...);
}
