// Saves the two save-loop versions of one kind of file (devlist, labels, preset or
// project, the argument) into its working folder, one after the other, until it is
// killed. Writes one byte to standard output once the first save is done.
// (The folder is not an argument: a narrow argv cannot carry every Windows path.)
#include "files/save_loop_versions.h"

#include <cstdio>

int main(int argc, char** argv) {
    const auto kind = argc == 2 ? varento::testing::saveKindNamed(argv[1]) : std::nullopt;
    if (!kind) {
        std::fputs("usage: save_loop_helper devlist|labels|preset|project\n", stderr);
        return 2;
    }
    const varento::testing::SaveLoopFile file(*kind, ".");
    for (unsigned long i = 0;; ++i) {
        if (const auto error = file.save(static_cast<int>(i % 2))) {
            std::fprintf(stderr, "save_loop_helper: save %lu failed: %s (%d)\n", i,
                         error.message().c_str(), error.value());
            return 1;
        }
        if (i == 0 && (std::fputc('s', stdout) == EOF || std::fflush(stdout) != 0)) {
            return 1;
        }
    }
}
