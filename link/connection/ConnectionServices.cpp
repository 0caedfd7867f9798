#include "link/connection/ConnectionServices.h"

TConnectionServices &ConnectionServices() {
    static TConnectionServices services;
    return services;
}
