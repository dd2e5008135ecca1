// Files, folders and path helpers over POSIX.
#include "tallyfold/platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>

#include "internal.h"

namespace platform {
namespace {

using detail::NormalizeSlashes;

std::string StripTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
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
        ssize_t off = 0;
        while (off < n) {
            ssize_t w = ::write(out, buf + off, static_cast<size_t>(n - off));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            off += w;
        }
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

}  // namespace

int FileType(const std::string& path) {
    std::string p = StripTrailingSlash(NormalizeSlashes(path));
    if (p.empty()) return FILETYPE_NONE;
    struct stat st;
    if (stat(p.c_str(), &st) != 0) return FILETYPE_NONE;
    if (S_ISDIR(st.st_mode)) return FILETYPE_DIR;
    if (S_ISREG(st.st_mode)) return FILETYPE_FILE;
    return FILETYPE_NONE;
}

bool CreateFile(const std::string& path) {
    int fd = ::open(NormalizeSlashes(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    return ::close(fd) == 0;
}

bool CreateDir(const std::string& path, bool recurse) {
    std::string p = StripTrailingSlash(NormalizeSlashes(path));
    if (p.empty()) return false;
    if (FileType(p) == FILETYPE_DIR) return true;
    if (recurse) {
        std::string parent = ExtractDir(p);
        if (!parent.empty() && parent != p && !CreateDir(parent, true)) return false;
    }
    if (::mkdir(p.c_str(), 0777) != 0 && errno != EEXIST) return false;
    return FileType(p) == FILETYPE_DIR;
}

bool DeleteFile(const std::string& path) {
    std::string p = NormalizeSlashes(path);
    struct stat st;
    if (lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return ::unlink(p.c_str()) == 0;
}

bool DeleteDir(const std::string& path, bool recurse) {
    std::string p = StripTrailingSlash(NormalizeSlashes(path));
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
    std::string src = NormalizeSlashes(from), dst = NormalizeSlashes(to);
    if (FileType(src) != FILETYPE_FILE) return false;
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = CopyBytes(in, out);
    ::close(in);
    if (::close(out) != 0) ok = false;
    return ok;
}

bool RenameFile(const std::string& from, const std::string& to) {
    return std::rename(NormalizeSlashes(from).c_str(), NormalizeSlashes(to).c_str()) == 0;
}

std::optional<std::vector<std::string>> LoadDir(const std::string& path) {
    std::string p = NormalizeSlashes(path);
    if (p.empty()) p = ".";
    std::unique_ptr<DIR, DirCloser> d(opendir(p.c_str()));
    if (!d) return std::nullopt;
    std::vector<std::string> names;
    while (dirent* e = readdir(d.get())) names.emplace_back(e->d_name);
    return names;
}

int ReadDir(const std::string& path) {
    std::string p = NormalizeSlashes(path);
    if (p.empty()) p = ".";
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
    std::string p = NormalizeSlashes(path);
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
    std::string p = NormalizeSlashes(path);
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

bool ChangeDir(const std::string& path) { return ::chdir(NormalizeSlashes(path).c_str()) == 0; }

std::string StripDir(const std::string& path) {
    std::string p = NormalizeSlashes(path);
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string StripExt(const std::string& path) {
    std::string p = NormalizeSlashes(path);
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
    std::string p = NormalizeSlashes(path);
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

}  // namespace platform
