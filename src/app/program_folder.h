#pragma once

#include <filesystem>
#include <string_view>

namespace varento {

// Files earlier installations kept beside the program (the routing preset, the
// preset key's caption). An installed program's folder (/usr/bin, Program Files)
// takes no files, so the data folder stands in for it.

// Whether a file can be created in `folder`: tried, not read from permission bits,
// since root writes through them and a read-only mount refuses whatever they say.
bool canCreateFilesIn(const std::filesystem::path& folder);

enum class Beside { ProgramFolder, DataFolder };

// Where a file that is also stored is read: from the place a store writes to when
// the file is there, so a load always finds what was stored last; otherwise from
// the other place when it is there (a copy an earlier installation or a packager
// left); otherwise from the store place, whose absence is then reported.
Beside loadPlace(Beside storePlace, bool inProgramFolder, bool inDataFolder);

class ProgramFolderFiles {
public:
    ProgramFolderFiles(std::filesystem::path programFolder, std::filesystem::path dataFolder);

    // The program's folder while it takes files, else the data folder.
    std::filesystem::path storePath(std::string_view name) const;
    std::filesystem::path loadPath(std::string_view name) const;
    // A file the program only reads: the program's folder's copy when there is
    // one, else the data folder's.
    std::filesystem::path findPath(std::string_view name) const;

private:
    Beside storePlace() const;
    std::filesystem::path in(Beside place, std::string_view name) const;

    std::filesystem::path programFolder_;
    std::filesystem::path dataFolder_;
};

} // namespace varento
