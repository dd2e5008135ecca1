#pragma once
// Files and folders. Paths use "/"; "\\" is accepted.
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum FileKind : int { FILETYPE_NONE = 0, FILETYPE_FILE = 1, FILETYPE_DIR = 2 };

int FileType(const std::string& path);
bool CreateFile(const std::string& path);
bool CreateDir(const std::string& path, bool recurse = false);
bool DeleteFile(const std::string& path);
bool DeleteDir(const std::string& path, bool recurse = false);
bool CopyFile(const std::string& from, const std::string& to);
bool RenameFile(const std::string& from, const std::string& to);

// Folder listing, "." and ".." included; nullopt when the folder cannot be read.
std::optional<std::vector<std::string>> LoadDir(const std::string& path);
// Handle style listing: ReadDir returns 0 on failure; NextFile returns "" at the end.
int ReadDir(const std::string& path);
std::string NextFile(int dir);
void CloseDir(int dir);

// Resolves a path whose exact name does not exist to an existing entry that
// differs only in letter case (each component); the path itself otherwise.
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
