#include "storage/recording/RecordingServices.h"

TRecordingServices &RecordingServices() {
    static TRecordingServices services;
    return services;
}
