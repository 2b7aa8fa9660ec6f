#include "files/journal_file.h"

#include "files/file_io.h"

#include <cerrno>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace varento {

namespace fs = std::filesystem;

namespace {

bool isDigits(std::string_view text, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// The plain descriptor calls: one write() per line, appended at the end even when
// another program writes into the same journal.
#ifdef _WIN32
int openForAppending(const fs::path& path) {
    return _wopen(path.c_str(), _O_RDWR | _O_CREAT | _O_APPEND | _O_BINARY, _S_IREAD | _S_IWRITE);
}
bool endsUnterminated(int fd) {
    char last = '\n';
    return _lseeki64(fd, -1, SEEK_END) >= 0 && _read(fd, &last, 1) == 1 && last != '\n';
}
long long writeSome(int fd, const char* data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(size));
}
void closeFile(int fd) {
    _close(fd);
}
#else
int openForAppending(const fs::path& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}
bool endsUnterminated(int fd) {
    char last = '\n';
    return ::lseek(fd, -1, SEEK_END) >= 0 && ::read(fd, &last, 1) == 1 && last != '\n';
}
long long writeSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
void closeFile(int fd) {
    ::close(fd);
}
#endif

std::error_code writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const long long n = writeSome(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return lastError();
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// journal.log.1 -> .2 (the old .2 goes), journal.log -> .1. A generation that
// cannot move stops the turn, so no older file is overwritten by a newer one.
std::error_code rotate(const fs::path& folder) {
    for (int generation = kJournalFiles - 1; generation > 0; --generation) {
        const fs::path from = journalPath(folder, generation - 1);
        std::error_code missing;
        if (!fs::exists(from, missing)) {
            continue;
        }
        if (const std::error_code error = replaceFile(from, journalPath(folder, generation))) {
            return error;
        }
    }
    return {};
}

void collectEntries(const fs::path& path, std::vector<JournalEntry>& out) {
    const FileRead file = readWholeFile(path);
    if (file.status != ReadStatus::Ok) {
        return;
    }
    const std::string_view text(reinterpret_cast<const char*>(file.bytes.data()),
                                file.bytes.size());
    std::size_t start = 0;
    // The text after the last line break is a line torn by a crash: never read.
    for (std::size_t end = text.find('\n'); end != std::string_view::npos;
         start = end + 1, end = text.find('\n', start)) {
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1); // a file that passed through a Windows editor
        }
        if (auto entry = parseJournalLine(line)) {
            out.push_back(std::move(*entry));
        }
    }
}

} // namespace

fs::path journalPath(const fs::path& folder, int generation) {
    fs::path path = folder / "journal.log";
    if (generation > 0) {
        path += "." + std::to_string(generation);
    }
    return path;
}

bool isJournalTime(std::string_view t) {
    // 2026-12-08T14:03:12.345 then Z or +01:00
    constexpr std::size_t kLocalPart = 23;
    if (t.size() != kLocalPart + 1 && t.size() != kLocalPart + 6) {
        return false;
    }
    const bool local = isDigits(t, 0, 4) && t[4] == '-' && isDigits(t, 5, 2) && t[7] == '-' &&
                       isDigits(t, 8, 2) && t[10] == 'T' && isDigits(t, 11, 2) && t[13] == ':' &&
                       isDigits(t, 14, 2) && t[16] == ':' && isDigits(t, 17, 2) && t[19] == '.' &&
                       isDigits(t, 20, 3);
    if (!local) {
        return false;
    }
    if (t.size() == kLocalPart + 1) {
        return t[kLocalPart] == 'Z';
    }
    return (t[kLocalPart] == '+' || t[kLocalPart] == '-') && isDigits(t, kLocalPart + 1, 2) &&
           t[kLocalPart + 3] == ':' && isDigits(t, kLocalPart + 4, 2);
}

std::string formatJournalLine(const JournalEntry& entry) {
    std::string line = escaped(entry.time);
    line += '\t';
    line += escaped(entry.kind);
    line += '\t';
    line += escaped(entry.unit);
    line += '\t';
    line += escaped(entry.text);
    line += '\n';
    return line;
}

std::optional<JournalEntry> parseJournalLine(std::string_view line) {
    std::string_view fields[4];
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            return std::nullopt;
        }
        fields[i] = line.substr(start, tab - start);
        start = tab + 1;
    }
    fields[3] = line.substr(start);
    if (fields[3].find('\t') != std::string_view::npos || !isJournalTime(fields[0]) ||
        fields[1].empty()) {
        return std::nullopt;
    }
    auto kind = unescaped(fields[1]);
    auto unit = unescaped(fields[2]);
    auto text = unescaped(fields[3]);
    if (!kind || !unit || !text) {
        return std::nullopt;
    }
    return JournalEntry{std::string(fields[0]), std::move(*kind), std::move(*unit),
                        std::move(*text)};
}

std::error_code appendJournalEntry(const fs::path& folder, const JournalEntry& entry,
                                   std::uintmax_t limit) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        return error;
    }
    std::string line = formatJournalLine(entry);
    const fs::path path = journalPath(folder);
    std::error_code missing;
    const std::uintmax_t size = fs::file_size(path, missing);
    // A turn that fails leaves the entry in the full file rather than lose it.
    const std::error_code rotation =
        !missing && size > 0 && size + line.size() > limit ? rotate(folder) : std::error_code{};
    errno = 0;
    const int fd = openForAppending(path);
    if (fd < 0) {
        return lastError();
    }
    if (endsUnterminated(fd)) {
        line.insert(line.begin(), '\n');
    }
    error = writeAll(fd, line);
    closeFile(fd);
    return error ? error : rotation;
}

std::vector<JournalEntry> readJournal(const fs::path& folder) {
    std::vector<JournalEntry> entries;
    for (int generation = kJournalFiles - 1; generation >= 0; --generation) {
        collectEntries(journalPath(folder, generation), entries);
    }
    return entries;
}

} // namespace varento
