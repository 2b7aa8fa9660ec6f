#include "app/program_folder.h"

#include "app/data_folder.h"

#include <QTemporaryFile>

#include <system_error>
#include <utility>

namespace varento {

namespace fs = std::filesystem;

namespace {

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

} // namespace

bool canCreateFilesIn(const fs::path& folder) {
    QTemporaryFile probe(toQString(folder / ".write-probe-XXXXXX"));
    return probe.open();
}

Beside loadPlace(Beside storePlace, bool inProgramFolder, bool inDataFolder) {
    const Beside other =
        storePlace == Beside::ProgramFolder ? Beside::DataFolder : Beside::ProgramFolder;
    const bool inStorePlace = storePlace == Beside::ProgramFolder ? inProgramFolder : inDataFolder;
    const bool inOther = other == Beside::ProgramFolder ? inProgramFolder : inDataFolder;
    return !inStorePlace && inOther ? other : storePlace;
}

ProgramFolderFiles::ProgramFolderFiles(fs::path programFolder, fs::path dataFolder)
    : programFolder_(std::move(programFolder)), dataFolder_(std::move(dataFolder)) {}

Beside ProgramFolderFiles::storePlace() const {
    return canCreateFilesIn(programFolder_) ? Beside::ProgramFolder : Beside::DataFolder;
}

fs::path ProgramFolderFiles::in(Beside place, std::string_view name) const {
    return (place == Beside::ProgramFolder ? programFolder_ : dataFolder_) / name;
}

fs::path ProgramFolderFiles::storePath(std::string_view name) const {
    return in(storePlace(), name);
}

fs::path ProgramFolderFiles::loadPath(std::string_view name) const {
    return in(loadPlace(storePlace(), isFile(in(Beside::ProgramFolder, name)),
                        isFile(in(Beside::DataFolder, name))),
              name);
}

fs::path ProgramFolderFiles::findPath(std::string_view name) const {
    const fs::path beside = in(Beside::ProgramFolder, name);
    return isFile(beside) ? beside : in(Beside::DataFolder, name);
}

} // namespace varento
