#include "storage/ConfigurationServices.h"

TConfigurationServices &ConfigurationServices() {
    static TConfigurationServices services;
    return services;
}
