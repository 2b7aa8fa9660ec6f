#pragma once

#include "devices/device_list.h"

#include <string>
#include <string_view>
#include <vector>

namespace varento {

namespace device_manager_text {
inline constexpr const char* emptyTitle = "Device Manager Error";
inline constexpr const char* emptyText = "No Device List found";
inline constexpr const char* deleteTitle = "Delete Device";
inline constexpr const char* onlineText =
    "This device is currently connected. Only Offline devices can be removed from the list.";
inline constexpr const char* askText = "Do you really want to remove this device from the list?";
} // namespace device_manager_text

// The device manager's rules over the device list, without widgets: one row per
// entry as the list shows it, and the edits, which go straight into the entries
// (Cancel keeps them; only OK removes the marked entries and sorts). Each row finds
// its entry by the unit's id itself: read back from the "Unique ID" text, which
// shows only the low four bits of each byte, an id with a higher bit would match
// no entry and the search would end on the last one, another unit.
class DeviceManager {
public:
    enum Column { Pos, Device, Name, UniqueId, State, ColumnCount };
    static constexpr int kNameLimit = 256; // the "Edit Label" field; 255 characters come back

    struct Row {
        std::string pos; // the row number, 1-based
        std::string typeName;
        std::string userName;
        std::string uniqueId;
        std::string state; // "Online" or "Offline"
        DeviceUid uid;     // the entry the row shows
    };

    enum class DeleteCheck {
        NoRow,  // nothing selected: nothing happens
        Online, // refused with the message
        Ask     // the Yes/No question, then deleteRow()
    };

    explicit DeviceManager(DeviceList& list);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    const Row& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    const std::string& text(int index, Column column) const;
    // The row that shows the unit, -1 when none does.
    int rowOf(const DeviceUid& uid) const;

    DeleteCheck checkDelete(int index) const;
    // After Yes: the entry is marked for removal, the row goes and the rest renumber.
    void deleteRow(int index);

    // The name into the row and the entry. The entry is the row's unit; finding it
    // by the "Pos" number would pick another unit (or none) once two entries share a
    // position, which old or hand-edited lists hold.
    void rename(int index, std::string_view name);

    // A drag released at `gap` (0..rowCount(): before row `gap`, or after the last
    // row): the dragged row moves there and the rows renumber. A gap next to the row
    // itself or outside the list moves nothing.
    bool drop(int from, int gap);
    // The row ends at index `to` (0-based) and the rows renumber.
    bool moveTo(int from, int to);

    // OK: marked entries are freed and the list is sorted by position.
    static void accept(DeviceList& list);
    // Cancel: every entry the manager showed gets back its name, position and
    // state as they were when it opened; entries found meanwhile are left alone.
    void revert();

private:
    // The entry with the id; when none has it, the search ends on the last entry,
    // which is then the one used.
    KnownDevice& entryFor(const DeviceUid& uid) const;
    void renumber();

    DeviceList& list_;
    std::vector<Row> rows_;
    std::vector<KnownDevice> opened_; // the entries as they were when it opened
};

} // namespace varento
