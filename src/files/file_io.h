#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <system_error>
#include <vector>

namespace varento {

enum class ReadStatus { Ok, CannotOpen, OutOfMemory, ReadFailed };

struct FileRead {
    ReadStatus status = ReadStatus::Ok;
    std::error_code error; // the system's reason when it gave one
    std::vector<std::uint8_t> bytes;
};

FileRead readWholeFile(const std::filesystem::path& path);

// The error errno names after a failed C library call (EIO where it names none).
std::error_code lastError();

// Opens a new file for writing in binary mode; nullptr, with errno EEXIST, when a
// file of that name exists already, which stays untouched.
std::FILE* createNewFile(const std::filesystem::path& path);

// Moves `from` to `to` in one step, replacing a file at `to`, and makes the move
// durable before it returns.
std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Replaces `path` with `bytes` so that a crash, a kill or a full disk leaves either
// the old file or the new one, never a mix: the bytes go to a temporary file in the
// same folder, are flushed to the disk, and the temporary file is renamed over the
// old one. The folder must exist. On failure the old file is untouched and the
// temporary file removed.
std::error_code writeFileAtomically(const std::filesystem::path& path,
                                    std::span<const std::uint8_t> bytes);

} // namespace varento
