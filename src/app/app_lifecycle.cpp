#include "app/app_lifecycle.h"

#include "devices/device_list.h"
#include "files/devlist_file.h"
#include "protocol/device_record.h"

namespace varento {

void initialiseApplication(DeviceRecord& currentDevice, DeviceList& devices,
                           const std::filesystem::path& dataFolder) {
    resetToPowerOnDefaults(currentDevice);
    loadDeviceList(dataFolder, devices);
}

void cleanUpApplication(const DeviceList& devices, const std::filesystem::path& dataFolder) {
    saveDeviceList(dataFolder, devices);
}

} // namespace varento
