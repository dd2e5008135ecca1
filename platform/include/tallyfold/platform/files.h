// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files and folders. Paths are taken as they are: "/" separates folders and
// every other character, "\\" included, belongs to a name. Folders made here
// are 0700 and files written here 0600 whatever the umask: they belong to the
// player alone. Folders that exist already are never changed.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum FileKind : int { FILETYPE_NONE = 0, FILETYPE_FILE = 1, FILETYPE_DIR = 2 };

int FileType(const std::string& path);
// A regular file under this very name: not a link, a folder, a pipe or a device.
bool IsPlainFile(const std::string& path);
// When the file under this very name (a link is not followed) last changed,
// in seconds since 1970; -1 when there is no such file.
long long FileModifiedTime(const std::string& path);
// Creates or empties a file by replacing it (temporary file, then rename), so
// a link of that name is replaced, never followed.
bool CreateFile(const std::string& path);
// On failure errno is that of the mkdir that failed. Only a folder made here
// is set to 0700; one that exists already keeps its mode.
bool CreateDir(const std::string& path, bool recurse = false);
// Whether a file of a few KB can be written into the folder now (a read-only
// or full disk cannot); nothing is left behind. reason says why not.
bool ProbeWritable(const std::string& folder, std::string* reason = nullptr);
bool DeleteFile(const std::string& path);
bool DeleteDir(const std::string& path, bool recurse = false);
// The target is replaced as a whole, like SaveFileAtomic.
bool CopyFile(const std::string& from, const std::string& to);
bool RenameFile(const std::string& from, const std::string& to);

// What happened to a file read whole.
enum class ReadStatus {
    Read,        // the bytes are there
    Missing,     // nothing at all has this name
    NotRegular,  // a link (dangling or not), folder, pipe or device has it
    Unreadable,  // a file that cannot be opened or read (permissions, I/O error)
    TooLarge,    // more than the caller will ever accept
};
// Reads a regular file of at most maxBytes, never blocking on a pipe; a link
// counts as NotRegular unless followLinks (then only a link to a regular file
// is read). reason (when given) says why it failed, in words for a message.
ReadStatus ReadRegularFile(const std::string& path, int64_t maxBytes, std::string& bytes, std::string* reason = nullptr,
                           bool followLinks = false);

// A few words for an errno value, for messages that name a file: "the disk is
// full", "the disk is read-only", "permission denied", or the system's text.
std::string FileErrorText(int error);

// Removes what an interrupted SaveFileAtomic leaves in a folder: our own
// regular files named "." + name + "." + six letters or digits, where name
// ends in "." + one of the extensions. Returns how many went.
int RemoveStaleTempFiles(const std::string& folder, const std::vector<std::string>& extensions);

// Folder listing, "." and ".." included; nullopt when the folder cannot be read.
std::optional<std::vector<std::string>> LoadDir(const std::string& path);
// Handle style listing: ReadDir returns 0 on failure; NextFile returns "" at the end.
int ReadDir(const std::string& path);
std::string NextFile(int dir);
void CloseDir(int dir);

// Resolves a path whose exact name does not exist to an existing entry that
// differs only in letter case (each "/"-separated component); the path itself
// otherwise.
std::string ResolveCase(const std::string& path);

std::string RealPath(const std::string& path);
std::string CurrentDir();
bool ChangeDir(const std::string& path);
std::string StripDir(const std::string& path);
std::string StripExt(const std::string& path);
std::string StripAll(const std::string& path);
std::string ExtractExt(const std::string& path);
std::string ExtractDir(const std::string& path);

}  // namespace platform
