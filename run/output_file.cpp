#include "run/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "run/stop_signals.h"

namespace {

OutputFileFaultHook FaultHook = nullptr;

constexpr char kTempInfix[] = ".tmp";

// A temporary file of `base` from a process that no longer runs (killed
// while it wrote, or the machine went down): "<base>.tmp<pid>".
bool IsStaleTemp(const std::string& entry, const std::string& base) {
    const std::string prefix = base + kTempInfix;
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string digits = entry.substr(prefix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
    const long pid = std::strtol(digits.c_str(), nullptr, 10);
    if (pid <= 0 || pid == static_cast<long>(getpid())) return false;
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Stale temporary files would otherwise pile up beside the target, each as
// large as it; a live process's file is left to it.
void RemoveStaleTemps(const std::string& name) {
    const size_t slash = name.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = readdir(d)) {
        if (IsStaleTemp(e->d_name, base)) unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
}

// Creates the temporary file exclusively; the mode follows the umask as a
// plain fopen would.
FILE* CreateExclusive(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0 && errno == EEXIST) {
        // Left behind by an earlier process of the same id that died.
        unlink(path.c_str());
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    }
    if (fd < 0) return nullptr;
    FILE* fp = fdopen(fd, "w");
    if (!fp) {
        close(fd);
        unlink(path.c_str());
    }
    return fp;
}

}  // namespace

OutputFile::OutputFile(std::string name) : name_(std::move(name)) {
    temp_ = name_ + kTempInfix + std::to_string(static_cast<long>(getpid()));
    RemoveStaleTemps(name_);
    slot_ = RegisterTempFile(temp_.c_str());
    fp_ = CreateExclusive(temp_);
    if (!fp_) release();
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::release() {
    UnregisterTempFile(slot_);
    slot_ = -1;
}

void OutputFile::discard() {
    if (fp_) {
        std::fclose(fp_);
        fp_ = nullptr;
        unlink(temp_.c_str());
    }
    release();
}

bool OutputFile::commit() {
    if (!fp_) return false;
    bool ok = !FaultHook || FaultHook(name_, fp_);
    ok = std::fflush(fp_) == 0 && !std::ferror(fp_) && ok;
    ok = std::fclose(fp_) == 0 && ok;
    fp_ = nullptr;
    if (ok) ok = std::rename(temp_.c_str(), name_.c_str()) == 0;
    if (!ok) unlink(temp_.c_str());
    release();
    return ok;
}

FILE* OpenRegularNoFollow(const char* name, bool append) {
    // Non-blocking, so that a FIFO of that name cannot hold the run.
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    const int fd = open(name, flags, 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* fp = fdopen(fd, append ? "a" : "w");
    if (!fp) close(fd);
    return fp;
}

FILE* OpenPlainOutput(const char* name, bool append) {
    FILE* fp = OpenRegularNoFollow(name, append);
    if (fp || errno != ELOOP) return fp;
    struct stat st;
    if (lstat(name, &st) != 0 || !S_ISLNK(st.st_mode) || unlink(name) != 0) return nullptr;
    return OpenRegularNoFollow(name, append);
}

void SetOutputFileFaultHook(OutputFileFaultHook hook) { FaultHook = hook; }

bool WriteOutputFile(const std::string& name, const std::function<void(FILE*)>& body) {
    OutputFile out(name);
    if (!out) return false;
    body(out.get());
    return out.commit();
}

std::string NumberedName(const std::string& prefix, int n, int width, const std::string& suffix) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*d", width, n);
    return prefix + digits + suffix;
}

std::string FirstFreeNumberedName(const std::string& prefix, int width, const std::string& suffix, int maxNumber) {
    for (int n = 0; n <= maxNumber; ++n) {
        std::string name = NumberedName(prefix, n, width, suffix);
        struct stat st;
        if (stat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
    }
    return std::string();
}
