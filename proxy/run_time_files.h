// Where the files the program writes while it runs are kept: the settings file "KorvoINI.ini",
// the saved browser settings "Browser.ini" and the hosts backup "mHosts". They live in the
// program folder while it can be written; otherwise (a standard user under Program Files) in the
// user's own folder, the program folder's copies then serving as the defaults. The choice is made
// once at start and handed to whoever reads or writes such a file.
#pragma once

#include <string>

namespace proxy {

// The user's folder of the program's files is this folder below the user's application data.
constexpr char kUserFolderName[] = "Korvo Popup Killer";

class RunTimeFiles {
  public:
    // Both folders end with a path separator. userFolder may be empty when the system knows
    // none; the program folder is then used whether it can be written or not.
    RunTimeFiles(std::string programFolder, std::string userFolder, bool programFolderWritable);

    // Everything in the program folder (platform::ProgramDirectory), as tools and tests that
    // lay out their own folder want it.
    static RunTimeFiles InProgramFolder();

    // The decision: the program folder when a file can be created in it
    // (platform::FolderIsWritable), else userFolder.
    static RunTimeFiles Decide(const std::string& programFolder, const std::string& userFolder);

    // Whether the files are kept in the user's folder.
    bool InUserFolder() const { return inUserFolder_; }

    // The file to read name from: the user's copy when the files are kept in the user's folder
    // and that copy exists, else the program folder's.
    std::string ReadPath(const std::string& name) const;

    // The file to write name to: the program folder's, or the user's copy when the files are
    // kept in the user's folder. That folder is created when it does not exist yet.
    std::string WritePath(const std::string& name) const;

    // The two places a file can be in, for those that clean up after the program. The user's
    // copy is "" when no user folder is known.
    std::string ProgramCopy(const std::string& name) const { return programFolder_ + name; }
    std::string UserCopy(const std::string& name) const;

  private:
    std::string programFolder_;
    std::string userFolder_;
    bool inUserFolder_;
};

}  // namespace proxy
