#pragma once

#include "devices/device_list.h"

namespace varento {

// Another program (a second window, varento-cli) may have written the device list
// since this one read it. `base` is the list as this program last read or wrote
// it, `ours` the list now, `disk` what the file holds now. The result keeps every
// change made elsewhere and puts this program's own changes on top:
// - names, type names and firmware this program changed win; the rest are disk's;
// - an entry this program removed goes; one removed elsewhere stays gone unless it
//   is online here or was renamed here;
// - entries new here are appended;
// - when this program reordered its entries, its order wins for them, and entries
//   new elsewhere follow in their order; otherwise the disk's order holds.
// Positions are 1..N in the result's order; every entry is offline.
DeviceList mergeDeviceLists(const DeviceList& base, const DeviceList& ours, const DeviceList& disk);

// `ours` takes the merged entries: names, type names, firmware and order from
// `merged`, presence kept from `ours` (entries new to it are offline).
void adoptMergedList(DeviceList& ours, const DeviceList& merged);

} // namespace varento
