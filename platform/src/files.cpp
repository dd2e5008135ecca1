// SPDX-License-Identifier: GPL-3.0-or-later
// Files, folders and path helpers over POSIX.
#include "tallyfold/platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "internal.h"

namespace platform {
namespace {

std::string StripTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

bool WriteAll(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool CopyBytes(int in, int out) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!WriteAll(out, buf, static_cast<size_t>(n))) return false;
    }
}

struct DirCloser {
    void operator()(DIR* d) const {
        if (d) closedir(d);
    }
};

std::map<int, std::unique_ptr<DIR, DirCloser>>& OpenDirs() {
    static std::map<int, std::unique_ptr<DIR, DirCloser>> dirs;
    return dirs;
}

bool IsTempLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

namespace detail {

bool ReplaceFile(const std::string& path, const std::function<bool(int)>& write, std::string* reason,
                 unsigned newMode) {
    auto fail = [&](int error) {
        // Writing, a missing name can only be a missing folder.
        if (reason) *reason = error == ENOENT ? "its folder does not exist" : FileErrorText(error);
        return false;
    };
    const std::string name = StripDir(path);
    if (name.empty() || FileType(path) == FILETYPE_DIR) return fail(EISDIR);
    const std::string folder = ExtractDir(path);
    const std::string dir = folder.empty() ? std::string(".") : folder;
    std::string tmp = dir + "/." + name + ".XXXXXX";
    int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return fail(errno);

    // What we write gets the mode asked for, whatever an older file of that
    // name had: the game's own files are the player's alone, however an
    // earlier version or an umask left them. A link is replaced, so whatever
    // it pointed to says nothing about the new file.
    const mode_t mode = static_cast<mode_t>(newMode) & 07777;
    int error = 0;
    errno = 0;
    if (fchmod(fd, mode) != 0 || !write(fd) || fsync(fd) != 0) error = errno ? errno : EIO;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(tmp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(tmp.c_str());
        return fail(error);
    }
    // Make the rename itself durable; a failure here loses nothing already written.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool ReplaceFileWith(const std::string& path, const std::string& bytes, std::string* reason, unsigned newMode) {
    return ReplaceFile(
        path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); }, reason, newMode);
}

}  // namespace detail

int FileType(const std::string& path) {
    std::string p = StripTrailingSlash(path);
    if (p.empty()) return FILETYPE_NONE;
    struct stat st;
    if (stat(p.c_str(), &st) != 0) return FILETYPE_NONE;
    if (S_ISDIR(st.st_mode)) return FILETYPE_DIR;
    if (S_ISREG(st.st_mode)) return FILETYPE_FILE;
    return FILETYPE_NONE;
}

bool IsPlainFile(const std::string& path) {
    struct stat st;
    return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

long long FileModifiedTime(const std::string& path) {
    struct stat st;
    if (path.empty() || lstat(path.c_str(), &st) != 0) return -1;
    return static_cast<long long>(st.st_mtime);
}

bool CreateFile(const std::string& path) { return detail::ReplaceFileWith(path, std::string(), nullptr, 0600); }

bool CreateDir(const std::string& path, bool recurse) {
    std::string p = StripTrailingSlash(path);
    if (p.empty()) return false;
    if (FileType(p) == FILETYPE_DIR) return true;
    if (recurse) {
        std::string parent = ExtractDir(p);
        if (!parent.empty() && parent != p && !CreateDir(parent, true)) return false;
    }
    if (::mkdir(p.c_str(), 0700) != 0) {
        if (errno != EEXIST) return false;
        return FileType(p) == FILETYPE_DIR;
    }
    // Ours, so ours to set: an umask that takes the owner's own rights away
    // would leave a folder we cannot write. Opened without following a link,
    // in case something else took the name in between.
    const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        fchmod(fd, 0700);  // a refusal shows when the folder is written to
        ::close(fd);
    }
    return FileType(p) == FILETYPE_DIR;
}

bool ProbeWritable(const std::string& folder, std::string* reason) {
    // A name the stale-file sweep knows, should we be killed in between.
    std::string tmp = (folder.empty() ? std::string(".") : StripTrailingSlash(folder)) + "/.probe.txt.XXXXXX";
    int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (reason) *reason = FileErrorText(errno);
        return false;
    }
    // About what the settings take: a disk without room for that is full for us.
    const std::string bytes(4096, ' ');
    int error = 0;
    errno = 0;
    if (!WriteAll(fd, bytes.data(), bytes.size()) || fsync(fd) != 0) error = errno ? errno : EIO;
    if (::close(fd) != 0 && error == 0) error = errno;
    ::unlink(tmp.c_str());
    if (error != 0 && reason) *reason = FileErrorText(error);
    return error == 0;
}

bool DeleteFile(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool DeleteDir(const std::string& path, bool recurse) {
    std::string p = StripTrailingSlash(path);
    struct stat st;
    if (p.empty() || lstat(p.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (recurse) {
        auto entries = LoadDir(p);
        if (!entries) return false;
        for (const auto& name : *entries) {
            if (name == "." || name == "..") continue;
            std::string child = Join(p, name);
            // lstat: a link to a folder is removed as a link, never followed.
            struct stat cst;
            if (lstat(child.c_str(), &cst) != 0) continue;
            bool ok = S_ISDIR(cst.st_mode) ? DeleteDir(child, true) : ::unlink(child.c_str()) == 0;
            if (!ok) return false;
        }
    }
    return ::rmdir(p.c_str()) == 0;
}

bool CopyFile(const std::string& from, const std::string& to) {
    if (FileType(from) != FILETYPE_FILE) return false;
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return false;
    bool ok = detail::ReplaceFile(
        to, [&](int out) { return CopyBytes(in, out); }, nullptr, 0600);
    ::close(in);
    return ok;
}

bool RenameFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

std::string FileErrorText(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        case EFBIG:
            return "the file is larger than the disk or the system allows";
        case EROFS:
            return "the disk is read-only";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOENT:
            return "it does not exist";
        case ENOTDIR:
            return "a folder on its path is not a folder";
        case EEXIST:
            return "a file stands where a folder should be";
        case EISDIR:
            return "it is a folder";
        case ELOOP:
            return "it is a symbolic link";
        case ENAMETOOLONG:
            return "its name is too long";
        case EIO:
            return "the disk reported an input/output error";
        default:
            return std::strerror(error);
    }
}

ReadStatus ReadRegularFile(const std::string& path, int64_t maxBytes, std::string& bytes, std::string* reason,
                           bool followLinks) {
    bytes.clear();
    auto fail = [&](ReadStatus status, const std::string& why) {
        if (reason) *reason = why;
        return status;
    };
    if (path.empty()) return fail(ReadStatus::Missing, FileErrorText(ENOENT));
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        const int error = errno;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            return error == ENOENT ? fail(ReadStatus::Missing, FileErrorText(error))
                                   : fail(ReadStatus::Unreadable, FileErrorText(error));
        if (S_ISLNK(st.st_mode)) return fail(ReadStatus::NotRegular, "it is a symbolic link");
        if (!S_ISREG(st.st_mode)) return fail(ReadStatus::NotRegular, "it is not a regular file");
        return fail(ReadStatus::Unreadable, FileErrorText(error));
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(ReadStatus::NotRegular, "it is not a regular file");
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return fail(ReadStatus::TooLarge, "it is far larger than such a file can be");
    }
    // The size may change while we read; never take more than the limit.
    char chunk[16384];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            bytes.clear();
            return fail(ReadStatus::Unreadable, FileErrorText(error));
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<size_t>(n));
        if (static_cast<int64_t>(bytes.size()) > maxBytes) {
            ::close(fd);
            bytes.clear();
            return fail(ReadStatus::TooLarge, "it is far larger than such a file can be");
        }
    }
    ::close(fd);
    return ReadStatus::Read;
}

int RemoveStaleTempFiles(const std::string& folder, const std::vector<std::string>& extensions) {
    auto entries = LoadDir(folder);
    if (!entries) return 0;
    int removed = 0;
    for (const auto& entry : *entries) {
        // "." + name + "." + XXXXXX, as mkostemp fills the template in ReplaceFile.
        if (entry.size() < 9 || entry[0] != '.' || entry[entry.size() - 7] != '.') continue;
        bool letters = true;
        for (size_t i = entry.size() - 6; i < entry.size(); ++i) letters = letters && IsTempLetter(entry[i]);
        if (!letters) continue;
        const std::string name = entry.substr(1, entry.size() - 8);
        bool ours = false;
        for (const auto& ext : extensions) {
            const std::string tail = "." + ext;
            ours = ours || (name.size() > tail.size() &&
                            detail::LowerAscii(name.substr(name.size() - tail.size())) == detail::LowerAscii(tail));
        }
        if (!ours) continue;
        const std::string path = Join(folder, entry);
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) continue;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

std::optional<std::vector<std::string>> LoadDir(const std::string& path) {
    std::string p = path.empty() ? std::string(".") : path;
    std::unique_ptr<DIR, DirCloser> d(opendir(p.c_str()));
    if (!d) return std::nullopt;
    std::vector<std::string> names;
    while (dirent* e = readdir(d.get())) names.emplace_back(e->d_name);
    return names;
}

int ReadDir(const std::string& path) {
    std::string p = path.empty() ? std::string(".") : path;
    DIR* d = opendir(p.c_str());
    if (!d) return 0;
    auto& dirs = OpenDirs();
    int id = dirs.empty() ? 1 : dirs.rbegin()->first + 1;
    dirs.emplace(id, std::unique_ptr<DIR, DirCloser>(d));
    return id;
}

std::string NextFile(int dir) {
    auto& dirs = OpenDirs();
    auto it = dirs.find(dir);
    if (it == dirs.end()) return "";
    dirent* e = readdir(it->second.get());
    return e ? std::string(e->d_name) : std::string();
}

void CloseDir(int dir) { OpenDirs().erase(dir); }

std::string ResolveCase(const std::string& path) {
    const std::string& p = path;
    if (p.empty()) return p;
    struct stat st;
    if (lstat(p.c_str(), &st) == 0) return p;
    // Walk the components; where the exact one is missing, take an entry of
    // that folder that differs only in letter case.
    std::string resolved = p[0] == '/' ? "/" : "";
    size_t pos = p[0] == '/' ? 1 : 0;
    while (pos <= p.size()) {
        size_t slash = p.find('/', pos);
        std::string comp = p.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
        std::string candidate = resolved + comp;
        if (!comp.empty() && comp != "." && comp != ".." && lstat(candidate.c_str(), &st) != 0) {
            auto entries = LoadDir(resolved.empty() ? "." : resolved);
            if (!entries) return p;
            const std::string want = detail::LowerAscii(comp);
            bool found = false;
            for (const auto& name : *entries) {
                if (detail::LowerAscii(name) == want) {
                    candidate = resolved + name;
                    found = true;
                    break;
                }
            }
            if (!found) return p;
        }
        if (slash == std::string::npos) return candidate;
        resolved = candidate + "/";
        pos = slash + 1;
    }
    return p;
}

std::string RealPath(const std::string& path) {
    std::string p = path;
    if (p.empty() || p[0] != '/') p = Join(CurrentDir(), p);
    // Lexical: "." and ".." fold away without touching the disk, so a path
    // that does not exist yet still has an absolute form.
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= p.size()) {
        size_t slash = p.find('/', pos);
        std::string comp = p.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
        if (comp == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!comp.empty() && comp != ".") {
            parts.push_back(comp);
        }
        if (slash == std::string::npos) break;
        pos = slash + 1;
    }
    std::string out;
    for (const auto& c : parts) out += "/" + c;
    return out.empty() ? "/" : out;
}

std::string CurrentDir() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

bool ChangeDir(const std::string& path) { return ::chdir(path.c_str()) == 0; }

std::string StripDir(const std::string& path) {
    const std::string& p = path;
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string StripExt(const std::string& path) {
    const std::string& p = path;
    size_t slash = p.rfind('/');
    size_t dot = p.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return p;
    return p.substr(0, dot);
}

std::string StripAll(const std::string& path) { return StripExt(StripDir(path)); }

std::string ExtractExt(const std::string& path) {
    std::string name = StripDir(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string ExtractDir(const std::string& path) {
    const std::string& p = path;
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

}  // namespace platform
