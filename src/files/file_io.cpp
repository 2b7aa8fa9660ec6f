#include "files/file_io.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <random>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace varento {

namespace fs = std::filesystem;

std::error_code lastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

namespace {

std::FILE* openForReading(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb"); // wide: any character of the path survives
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

bool flushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0) {
        return false;
    }
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(fileno(f)) == 0;
#endif
}

#ifndef _WIN32
// Makes a rename durable; a folder that can't be opened is no failure of the move,
// which is done already.
void flushFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

fs::path temporaryName(const fs::path& path) {
    static std::mt19937 random{std::random_device{}()};
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    fs::path name = fs::path(".") += path.filename();
    name += ".tmp";
    name += suffix;
    return path.parent_path() / name;
}

} // namespace

std::FILE* createNewFile(const fs::path& path) {
#ifdef _WIN32
    // The C runtime MinGW links ignores fopen's "x" and truncates an existing file.
    const int fd =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* f = _fdopen(fd, "wb");
    if (f == nullptr) {
        _close(fd);
    }
    return f;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

std::error_code replaceFile(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    // A plain rename fails when `to` exists; write-through stands in for the folder sync.
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    // A file another process holds open (a virus scanner, the indexer, a reader) cannot
    // be replaced; such holds last moments. Saves run on the caller's thread, often
    // the user interface's, so the wait is short: a fifth of a second, then failure.
    constexpr int kAttempts = 10;
    constexpr DWORD kPauseMs = 20;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), kFlags) != 0) {
            break;
        }
        const DWORD error = GetLastError();
        const DWORD target = GetFileAttributesW(to.c_str());
        const bool replaceable = target != INVALID_FILE_ATTRIBUTES &&
                                 (target & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
        const bool held = replaceable && (error == ERROR_ACCESS_DENIED ||
                                          error == ERROR_SHARING_VIOLATION ||
                                          error == ERROR_LOCK_VIOLATION);
        if (!held || attempt == kAttempts) {
            return {static_cast<int>(error), std::system_category()};
        }
        Sleep(kPauseMs);
    }
#else
    std::error_code error;
    fs::rename(from, to, error);
    if (error) {
        return error;
    }
    flushFolder(to.has_parent_path() ? to.parent_path() : fs::path("."));
#endif
    return {};
}

FileRead readWholeFile(const fs::path& path) {
    FileRead result;
    errno = 0;
    std::FILE* f = openForReading(path);
    if (f == nullptr) {
        result.status = ReadStatus::CannotOpen;
        result.error = lastError();
        return result;
    }
    try {
        std::error_code ignored;
        const auto size = fs::file_size(path, ignored);
        if (!ignored) {
            result.bytes.reserve(static_cast<std::size_t>(size));
        }
        std::uint8_t chunk[65536];
        std::size_t n = 0;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
            result.bytes.insert(result.bytes.end(), chunk, chunk + n);
        }
        if (std::ferror(f) != 0) {
            result.status = ReadStatus::ReadFailed;
            result.error = lastError();
            result.bytes.clear();
        }
    } catch (const std::bad_alloc&) {
        result.status = ReadStatus::OutOfMemory;
        result.bytes = {};
    } catch (const std::length_error&) {
        result.status = ReadStatus::OutOfMemory;
        result.bytes = {};
    }
    std::fclose(f);
    return result;
}

std::error_code writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
    std::FILE* f = nullptr;
    fs::path temp;
    for (int attempt = 0; attempt < 16 && f == nullptr; ++attempt) {
        temp = temporaryName(path);
        errno = 0;
        f = createNewFile(temp); // never clobbers a file that has the temporary name
        if (f == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (f == nullptr) {
        return lastError();
    }
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::error_code error = written && flushToDisk(f) ? std::error_code{} : lastError();
    if (std::fclose(f) != 0 && !error) {
        error = lastError();
    }
    if (!error) {
        error = replaceFile(temp, path);
    }
    if (error) {
        std::error_code ignored;
        fs::remove(temp, ignored);
    }
    return error;
}

} // namespace varento
