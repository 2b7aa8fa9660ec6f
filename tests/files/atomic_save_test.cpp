#include "files/save_loop_versions.h"
#include "support/frames.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace varento;
using namespace varento::testing;

namespace {

namespace fs = std::filesystem;

// The save loop as a child process working in `folder`; the constructor returns
// once its first save is done.
class SaveLoop {
public:
    SaveLoop(const fs::path& folder, SaveKind kind);
    ~SaveLoop() { kill(); }
    SaveLoop(const SaveLoop&) = delete;
    SaveLoop& operator=(const SaveLoop&) = delete;

    bool started() const { return started_; }
    // Kills the loop at once; false when it had ended by itself.
    bool kill();

private:
    bool started_ = false;
#ifdef _WIN32
    PROCESS_INFORMATION process_{};
#else
    pid_t pid_ = -1;
#endif
};

#ifdef _WIN32
constexpr UINT kKilled = 0xDEAD;

SaveLoop::SaveLoop(const fs::path& folder, SaveKind kind) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (CreatePipe(&readEnd, &writeEnd, &inheritable, 0) == 0) {
        return;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE); // the helper says why it stopped
    const std::wstring program = fs::absolute(SAVE_LOOP_HELPER).make_preferred().wstring();
    const std::string name = saveKindName(kind);
    std::wstring commandLine = L"save_loop_helper " + std::wstring(name.begin(), name.end());
    const bool created = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, folder.c_str(), &startup, &process_) != 0;
    CloseHandle(writeEnd);
    char byte = 0;
    DWORD read = 0;
    started_ = created && ReadFile(readEnd, &byte, 1, &read, nullptr) != 0 && read == 1;
    CloseHandle(readEnd);
}

bool SaveLoop::kill() {
    if (process_.hProcess == nullptr) {
        return false;
    }
    TerminateProcess(process_.hProcess, kKilled);
    WaitForSingleObject(process_.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
    return code == kKilled;
}
#else
SaveLoop::SaveLoop(const fs::path& folder, SaveKind kind) {
    int out[2];
    if (pipe(out) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        if (chdir(folder.c_str()) == 0) {
            execl(SAVE_LOOP_HELPER, SAVE_LOOP_HELPER, saveKindName(kind), nullptr);
        }
        _exit(127);
    }
    close(out[1]);
    char byte = 0;
    started_ = pid_ > 0 && read(out[0], &byte, 1) == 1;
    close(out[0]);
}

bool SaveLoop::kill() {
    if (pid_ <= 0) {
        return false;
    }
    ::kill(pid_, SIGKILL);
    int status = 0;
    const bool reaped = waitpid(pid_, &status, 0) == pid_;
    pid_ = -1;
    return reaped && WIFSIGNALED(status);
}
#endif

} // namespace

#ifndef _WIN32 // a file size limit for a child process has no Windows counterpart
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
#endif

namespace {

// 30 rounds a kind; the soak (scripts/soak) asks for more.
int killRounds() {
    const char* rounds = std::getenv("VARENTO_SAVE_ROUNDS");
    return rounds != nullptr && std::atoi(rounds) > 0 ? std::atoi(rounds) : 30;
}

class KilledSave : public ::testing::TestWithParam<SaveKind> {};

} // namespace

TEST_P(KilledSave, LeavesTheOldOrTheNewFile) {
    TempDir dir;
    const SaveLoopFile file(GetParam(), dir.path());
    ASSERT_FALSE(file.save(1));
    std::mt19937 random(std::random_device{}());
    int kills = 0;
    int corrupt = 0;
    for (int round = 0; round < killRounds(); ++round) {
        SaveLoop loop(dir.path(), GetParam());
        ASSERT_TRUE(loop.started()) << "round " << round << ": the save loop did not start";
        // A random moment in the saves that follow.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
        ASSERT_TRUE(loop.kill()) << "the save loop ended by itself";
        ++kills;

        const Bytes found = readBytes(file.path());
        if (found != file.bytes(0) && found != file.bytes(1)) {
            ++corrupt;
            ADD_FAILURE() << "round " << round << ": a file of " << found.size() << " bytes";
        }
    }
    RecordProperty("kills", kills);
    RecordProperty("corrupt", corrupt);
}

INSTANTIATE_TEST_SUITE_P(AtomicSave, KilledSave, ::testing::ValuesIn(kSaveKinds),
                         [](const auto& kind) { return std::string(saveKindName(kind.param)); });
