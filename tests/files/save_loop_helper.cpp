// Saves the two save-loop device lists into its working folder, one after the other,
// until it is killed. Writes one byte to standard output once the first save is done.
// (The folder is not an argument: a narrow argv cannot carry every Windows path.)
#include "files/devlist_file.h"
#include "files/save_loop_versions.h"

#include <cstdio>

int main() {
    const varento::DeviceList versions[] = {varento::testing::saveLoopVersion(0),
                                            varento::testing::saveLoopVersion(1)};
    for (unsigned long i = 0;; ++i) {
        if (const auto error = varento::saveDeviceList(".", versions[i % 2])) {
            std::fprintf(stderr, "save_loop_helper: save %lu failed: %s (%d)\n", i,
                         error.message().c_str(), error.value());
            return 1;
        }
        if (i == 0 && (std::fputc('s', stdout) == EOF || std::fflush(stdout) != 0)) {
            return 1;
        }
    }
}
