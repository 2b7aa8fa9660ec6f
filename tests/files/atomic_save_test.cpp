#include "files/devlist_file.h"
#include "files/file_io.h"
#include "files/save_loop_versions.h"
#include "support/frames.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace varento;
using namespace varento::testing;

namespace {

std::size_t filesIn(const std::filesystem::path& folder) {
    const std::filesystem::directory_iterator it(folder);
    return static_cast<std::size_t>(std::distance(begin(it), end(it)));
}

} // namespace

TEST(AtomicSave, FailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto path = dir / "devlist.mv";
    EXPECT_TRUE(writeFileAtomically(dir / "missing" / "x", Bytes(4, 1)));
    ASSERT_FALSE(writeFileAtomically(path, Bytes(1000, 7)));
    // A disk that fills up half way: a file size limit in a child process.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeFileAtomically(path, Bytes(100000, 9)) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failure went unreported";
    EXPECT_EQ(readBytes(path), Bytes(1000, 7));
    EXPECT_EQ(filesIn(dir.path()), 1u);
}

TEST(AtomicSave, KilledSaveLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const Bytes versions[] = {encodeDeviceList(saveLoopVersion(0)),
                              encodeDeviceList(saveLoopVersion(1))};
    ASSERT_FALSE(saveDeviceList(dir.path(), saveLoopVersion(1)));
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 30; ++round) {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(out[1], 1);
            execl(SAVE_LOOP_HELPER, SAVE_LOOP_HELPER, dir.path().c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        char started = 0;
        ASSERT_EQ(read(out[0], &started, 1), 1) << "the save loop did not start";
        close(out[0]);
        // A random moment in the saves that follow.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the save loop ended by itself";

        const Bytes found = readBytes(deviceListPath(dir.path()));
        ASSERT_TRUE(found == versions[0] || found == versions[1])
            << "round " << round << ": a file of " << found.size() << " bytes";
    }
}
