// The Windows hosts file: the line that maps the proxy's host name to the loopback address, the
// first-run backup "mHosts", and the prepared files "hostse" (ad servers blocked) and "hostsd"
// (plain) that switch ad blocking. The pure line handling is here; the file operations follow.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/language_texts.h"
#include "proxy/run_time_files.h"

namespace browsers {

// Hosts files larger than this are not read (treated as unreadable).
constexpr size_t kMaxHostsFileSize = 32 * 1024 * 1024;
// A longer line is read as several lines of at most this many characters.
constexpr size_t kMaxHostsLineLength = 520;
// Host fields and names are compared on at most this many characters.
constexpr size_t kMaxHostFieldLength = 255;

// File attributes of the hosts file while the program writes it (hidden, system, archive) and
// between its writes (the same plus read-only).
constexpr unsigned long kHostsWritableAttributes = 38;
constexpr unsigned long kHostsReadOnlyAttributes = 39;

// ---- Pure line handling ----

// Hosts file path for a Windows directory: "\system32\drivers\etc\hosts" below it on the NT
// family (platform id 2), "\hosts" on the Windows 95 family.
std::string HostsPathFor(const std::string& windowsDirectory, unsigned long platformId);

// The file's lines: a line ends at a line feed, carriage returns are dropped, and a line longer
// than kMaxHostsLineLength goes on as the next line.
std::vector<std::string> SplitHostsLines(const std::string& content);

// The host name field of a line: after leading white space, the address field (up to white
// space or "#") and more white space, the run of characters above the space character; empty
// when a "#" comes first. At most kMaxHostFieldLength characters.
std::string HostField(const std::string& line);

// True when a line's host field, compared without letter case, contains name (both cut to
// kMaxHostFieldLength characters). Fields that begin with "#" never count.
bool HostsTextContains(const std::string& content, const std::string& name);

// The entry line "address<TAB>host" with a Windows line break.
std::string HostsEntryLine(const std::string& address, const std::string& host);

// content with the entry line appended; a last line without a line break first gets one, so the
// entry is never glued to the user's last line.
std::string AppendHostsEntry(const std::string& content, const std::string& address,
                             const std::string& host);

// The hosts content after switching to the prepared file `target`: lines that come from the
// other prepared file (and not from the target) are taken out, the target's lines that are
// missing are appended, and every other line (the user's own, the proxy's entry) stays as it
// was. Lines are compared without letter case, with white space runs taken as one space.
std::string SwitchPreparedHosts(const std::string& current, const std::string& target,
                                const std::string& other);

// The hosts content with the lines this program brought in taken out, for the uninstaller:
//  - the proxy's entry: a line "127.0.0.1 <proxyHost>", however spaced and lettered;
//  - a line of one of the prepared files (`prepared`, "hostse" and "hostsd") that the user's
//    earlier file (`backup`, "mHosts"; empty when there is none) did not hold.
// Lines are compared as in SwitchPreparedHosts. Without a backup a line naming "localhost" is
// kept, since the user's own file most likely had it too; with one, it goes like any other line
// the user's file did not hold. Every other line stays byte for byte, its line break included,
// and nothing is added: a file left without lines stays so.
std::string RemoveProgramHostsLines(const std::string& current, const std::string& backup,
                                    const std::vector<std::string>& prepared,
                                    const std::string& proxyHost);

// Looks up a language text (core::GetLanguageString of the application's state).
using TextLookup = std::function<std::string(const core::LanguageText& text)>;

// The manual-instruction message shown when the entry cannot be written: texts
// kHostsNotWritable to kHostsManualEntry (6005 to 6009), looked up through lookup, joined
// without separators.
std::string HostsManualInstructions(TextLookup lookup);

// The hosts file changes that need an administrator's rights on today's systems. The tray
// program runs itself elevated with HostsCommandArguments to have one done
// (RunHostsCommand), then ends.
enum class HostsCommand {
    kAddEntry,  // AddHostsEntry("127.0.0.1", kProxyHost)
    kAdsOn,     // ApplyAdBlockHostsFile(true)
    kAdsOff,    // ApplyAdBlockHostsFile(false)
};

// The command line of such a run: "/hosts entry", "/hosts ads-on" or "/hosts ads-off".
std::string HostsCommandArguments(HostsCommand command);

// The command of a command line made by HostsCommandArguments (surrounding white space
// ignored); false for any other command line, the program's ordinary start among them.
bool ParseHostsCommand(const std::string& commandLine, HostsCommand* command);

// ---- The files (Windows only) ----

// The system's hosts file path.
std::string GetHostsPath();

// Sets the file's attributes to kHostsReadOnlyAttributes (readOnly) or kHostsWritableAttributes;
// other attribute bits are dropped. Returns false when the file's attributes cannot be set.
bool SetHostsAttributes(const std::string& path, bool readOnly);

// Whether a line of the hosts file has a host field containing name (false also when the file
// is missing, empty or unreadable).
bool HostsContains(const std::string& name);

// Makes sure the hosts file maps host: when no line contains it yet, the entry line is appended
// (after a line break when the last line has none) and the file replaced in one step. A hosts
// file that exists but cannot be read is left alone. Returns whether, afterwards, the file
// contains the host. The file ends read-only.
bool AddHostsEntry(const std::string& address, const std::string& host);

// The hosts backup's name among the program's run-time files.
constexpr char kHostsBackupName[] = "mHosts";

// Copies the hosts file to files.WritePath("mHosts"), through a temporary file moved over it in
// one step. Skipped (false) when that folder cannot be written; an existing "mHosts" is never
// replaced by an empty or missing hosts file.
bool BackupHosts(const proxy::RunTimeFiles& files = proxy::RunTimeFiles::InProgramFolder());

// Takes the program's lines out of the hosts file (RemoveProgramHostsLines with "mHosts",
// "hostse" and "hostsd" of programFolder, which ends without a backslash; an empty folder gives
// none of the three, so only the proxy's entry goes), replacing the file in one step, and leaves
// it read-only (kHostsReadOnlyAttributes). The backup is userFolder's "mHosts" when there is one
// (the program kept its files there, see proxy::RunTimeFiles), else programFolder's; userFolder
// also ends without a backslash and may be empty. Every "mHosts" of the two folders is deleted
// once the hosts file holds the result. A backup that exists but cannot be read is kept, and the
// prepared files are then not consulted either: without the user's earlier lines, only the
// proxy's entry goes. A missing hosts file stays missing. Returns false, keeping the backups and
// the hosts file as they are, when the hosts file cannot be read or replaced.
bool RemoveProgramHostsEntries(const std::string& programFolder, const std::string& userFolder,
                               const std::string& proxyHost);

// What switching ad blocking did to the hosts file.
enum class HostsSwitch {
    kSwitched,        // the hosts file holds the switched content
    kNoPreparedFile,  // "hostse"/"hostsd" or the hosts file could not be read: nothing changed
    kNotWritten,      // the hosts file could not be replaced (an administrator's file): unchanged
};

// Switches the hosts file to "hostse" (enabled) or "hostsd" of the program folder, keeping the
// user's own lines and the proxy's entry (see SwitchPreparedHosts). The new content replaces the
// file in one step. Nothing changes when the prepared file or an existing hosts file cannot be
// read, or the file cannot be written; a readable hosts file ends read-only in any case.
HostsSwitch ApplyAdBlockHostsFile(bool enabled);

// Does command; returns the exit code of its run: 0 when the hosts file holds the result, 1 when
// not.
int RunHostsCommand(HostsCommand command);

}  // namespace browsers
