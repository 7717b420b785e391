// Temporary file beside the destination, renamed on success.

#include "host/cli/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/cli/interrupt.h"

namespace rimelace_cli {
namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

AtomicOutput::AtomicOutput(std::string destination) : destination_(std::move(destination)) {
    if (destination_.empty() || destination_.back() == '/')
        throw OutputFileError("cannot write '" + destination_ + "': not a file name");
    struct stat info {};
    if (stat(destination_.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw OutputFileError("cannot write '" + destination_ + "': it is a folder");
    std::string pattern = FolderOf(destination_) + "/." + NameOf(destination_) + ".rimelace-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) throw OutputFileError("cannot write '" + destination_ + "': " + std::strerror(errno));
    // mkstemp makes the file private; give it the permissions a new file normally gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    temp_ = name.data();
    pendingSlot_ = AddPendingTempFile(temp_.c_str());
}

AtomicOutput::~AtomicOutput() {
    if (!committed_) std::remove(temp_.c_str());
    RemovePendingTempFile(pendingSlot_);
}

void AtomicOutput::Commit() {
    if (std::rename(temp_.c_str(), destination_.c_str()) != 0)
        throw OutputFileError("cannot write '" + destination_ + "': " + std::strerror(errno));
    committed_ = true;
    RemovePendingTempFile(pendingSlot_);
    pendingSlot_ = -1;
}

} // namespace rimelace_cli
