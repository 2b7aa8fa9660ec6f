// Saves the two save-loop device lists into the folder given, one after the other,
// until it is killed. Writes one byte to standard output once the first save is done.
#include "files/devlist_file.h"
#include "files/save_loop_versions.h"

#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const varento::DeviceList versions[] = {varento::testing::saveLoopVersion(0),
                                            varento::testing::saveLoopVersion(1)};
    for (unsigned long i = 0;; ++i) {
        if (varento::saveDeviceList(argv[1], versions[i % 2])) {
            return 1;
        }
        if (i == 0 && ::write(1, "s", 1) != 1) {
            return 1;
        }
    }
}
