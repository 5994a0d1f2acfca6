#include "proxy/run_time_files.h"

#include <utility>

#include "platform/folders.h"
#include "platform/module_path.h"

namespace proxy {

RunTimeFiles::RunTimeFiles(std::string programFolder, std::string userFolder,
                           bool programFolderWritable)
    : programFolder_(std::move(programFolder)),
      userFolder_(std::move(userFolder)),
      inUserFolder_(!programFolderWritable && !userFolder_.empty()) {}

RunTimeFiles RunTimeFiles::InProgramFolder() {
    return RunTimeFiles(platform::ProgramDirectory(), "", true);
}

RunTimeFiles RunTimeFiles::Decide(const std::string& programFolder, const std::string& userFolder) {
    return RunTimeFiles(programFolder, userFolder, platform::FolderIsWritable(programFolder));
}

std::string RunTimeFiles::ReadPath(const std::string& name) const {
    if (inUserFolder_ && platform::FileExists(userFolder_ + name)) return userFolder_ + name;
    return programFolder_ + name;
}

std::string RunTimeFiles::WritePath(const std::string& name) const {
    if (!inUserFolder_) return programFolder_ + name;
    platform::EnsureFolder(userFolder_);
    return userFolder_ + name;
}

std::string RunTimeFiles::UserCopy(const std::string& name) const {
    return userFolder_.empty() ? "" : userFolder_ + name;
}

}  // namespace proxy
