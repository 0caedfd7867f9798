#include "settings/SettingsHost.h"

TSettingsHost &SettingsHost() {
    static TSettingsHost host;
    return host;
}
