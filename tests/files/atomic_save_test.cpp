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

Bytes bytesOfSize(std::size_t size, std::uint8_t value) {
    return Bytes(size, value);
}

int filesIn(const std::filesystem::path& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

} // namespace

TEST(AtomicSave, ReplacesTheFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto path = dir / "data.bin";
    ASSERT_FALSE(writeFileAtomically(path, bytesOfSize(100, 1)));
    EXPECT_EQ(readBytes(path), bytesOfSize(100, 1));
    ASSERT_FALSE(writeFileAtomically(path, bytesOfSize(10, 2)));
    EXPECT_EQ(readBytes(path), bytesOfSize(10, 2));
    ASSERT_FALSE(writeFileAtomically(path, {}));
    EXPECT_TRUE(readBytes(path).empty());
    EXPECT_EQ(filesIn(dir.path()), 1);
}

TEST(AtomicSave, MissingFolderIsAnErrorAndCreatesNothing) {
    TempDir dir;
    EXPECT_TRUE(writeFileAtomically(dir / "missing" / "data.bin", bytesOfSize(4, 1)));
    EXPECT_EQ(filesIn(dir.path()), 0);
}

TEST(AtomicSave, FailedWriteKeepsTheOldFile) {
    // A disk that fills up half way, made with a file size limit in a child process.
    TempDir dir;
    const auto path = dir / "devlist.mv";
    ASSERT_FALSE(writeFileAtomically(path, bytesOfSize(1000, 7)));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeFileAtomically(path, bytesOfSize(100000, 9)) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the oversized save did not report a failure";
    EXPECT_EQ(readBytes(path), bytesOfSize(1000, 7));
    EXPECT_EQ(filesIn(dir.path()), 1);
}

TEST(AtomicSave, KilledSaveLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const auto path = deviceListPath(dir.path());
    const Bytes versions[] = {encodeDeviceList(saveLoopVersion(0)),
                              encodeDeviceList(saveLoopVersion(1))};
    ASSERT_FALSE(saveDeviceList(dir.path(), saveLoopVersion(1)));
    std::mt19937 random(std::random_device{}());
    int seen[2] = {0, 0};
    for (int round = 0; round < 30; ++round) {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execl(SAVE_LOOP_HELPER, SAVE_LOOP_HELPER, dir.path().c_str(), nullptr);
            _exit(127);
        }
        close(out[1]);
        char started = 0;
        ASSERT_EQ(read(out[0], &started, 1), 1) << "the save loop did not start";
        close(out[0]);
        // A random moment in the following saves.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the save loop ended by itself";

        const Bytes found = readBytes(path);
        const bool isOld = found == versions[0];
        const bool isNew = found == versions[1];
        ASSERT_TRUE(isOld || isNew) << "round " << round << ": " << found.size() << " bytes";
        ++seen[isOld ? 0 : 1];
    }
    std::printf("versions found: %d and %d\n", seen[0], seen[1]);
}
