#include "app/app_lifecycle.h"

#include "protocol/device_record.h"

namespace varento {

DeviceListStore::Loaded initialiseApplication(DeviceRecord& currentDevice, DeviceList& devices,
                                              DeviceListStore& store) {
    resetToPowerOnDefaults(currentDevice);
    return store.load(devices);
}

void cleanUpApplication(DeviceList& devices, DeviceListStore& store) {
    store.save(devices);
}

} // namespace varento
