#pragma once

#include "app/device_list_store.h"

namespace varento {

struct DeviceRecord;

// The application's initialisation and clean-up, as far as their parts exist. The
// main window (Session) runs initialisation when it is created, then reads the
// settings (AppSettings::load) and copies Term into wckTermChoice of CurrentDevice;
// at the end it runs clean-up, then writes the settings.
//
// Initialisation, in order:
//   1. shared bitmaps and fonts                      (skin, later)
//   2. serial link state reset, 115200 baud, no port (links, later)
//   3. MIDI link state reset                         (links, later)
//   4. CurrentDevice to power-on defaults            (here)
//   5. the device list from devlist.mv               (here)
//   6. preset and project file state                 (files, later)
//   7. the network sockets layer; its failure shows "Failed to initialize Winsock!"
//      ("Error!") and fails initialisation           (links, later)
// A device list that could not be read is kept aside; the result says so.
DeviceListStore::Loaded initialiseApplication(DeviceRecord& currentDevice, DeviceList& devices,
                                              DeviceListStore& store);

// Clean-up, in order:
//   1. save the device list, creating the data folder when it is missing, merged
//      with what other programs wrote meanwhile   (here)
//   2. shut the sockets layer down                   (links, later)
//   3. free the bitmaps and fonts, 4. the preset and project buffers (later)
// A failed save is quiet and keeps the old file.
void cleanUpApplication(DeviceList& devices, DeviceListStore& store);

} // namespace varento
