#include "run/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

OutputFileFaultHook FaultHook = nullptr;

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
    if (!fp) close(fd);
    return fp;
}

}  // namespace

OutputFile::OutputFile(std::string name) : name_(std::move(name)) {
    temp_ = name_ + ".tmp" + std::to_string(static_cast<long>(getpid()));
    fp_ = CreateExclusive(temp_);
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::discard() {
    if (fp_) {
        std::fclose(fp_);
        fp_ = nullptr;
        unlink(temp_.c_str());
    }
}

bool OutputFile::commit() {
    if (!fp_) return false;
    bool ok = !FaultHook || FaultHook(name_, fp_);
    ok = std::fflush(fp_) == 0 && !std::ferror(fp_) && ok;
    ok = std::fclose(fp_) == 0 && ok;
    fp_ = nullptr;
    if (ok) ok = std::rename(temp_.c_str(), name_.c_str()) == 0;
    if (!ok) unlink(temp_.c_str());
    return ok;
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
