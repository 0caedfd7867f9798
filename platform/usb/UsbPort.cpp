#include "platform/usb/UsbPort.h"

#include "platform/usb/UsbPortFtdi.h"

#include <QtGlobal>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

struct Backend {
    const char *name;
    UsbPortCreator creator;
};

std::mutex &RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<Backend> &Registry() {
    static std::vector<Backend> backends;
    return backends;
}

} // namespace

bool RegisterUsbBackend(const char *name, UsbPortCreator creator) {
    std::lock_guard lock(RegistryMutex());
    Registry().push_back({name, creator});
    return true;
}

std::unique_ptr<UsbPort> CreateUsbPort(const char *name) {
    if (name && *name) {
        std::lock_guard lock(RegistryMutex());
        for (const Backend &backend : Registry())
            if (std::strcmp(backend.name, name) == 0)
                return backend.creator();
        qWarning("R9_USB_BACKEND=%s names no backend linked into this program; using libftdi1", name);
    }
    return std::make_unique<UsbPortFtdi>();
}

UsbPort &ProcessUsbPort() {
    static const std::unique_ptr<UsbPort> port = CreateUsbPort(std::getenv("R9_USB_BACKEND"));
    return *port;
}
