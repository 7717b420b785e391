// Temporary file beside the destination, renamed on success.

#include "host/cli/atomic_file.h"

#include <cstdio>

#include "host/cli/interrupt.h"
#include "host/cli/system.h"

namespace rimelace_cli {

AtomicOutput::AtomicOutput(std::string destination) : destination_(std::move(destination)) {
    if (destination_.empty() || sys::IsSeparator(destination_.back()))
        throw OutputFileError("cannot write '" + destination_ + "': not a file name");
    if (sys::IsFolder(destination_)) throw OutputFileError("cannot write '" + destination_ + "': it is a folder");
    std::string folder = sys::FolderOf(destination_);
    if (!sys::IsSeparator(folder.back())) folder += '/';
    std::string why;
    temp_ = sys::CreateUniqueFile(folder + "." + sys::NameOf(destination_) + ".rimelace-", &why);
    if (temp_.empty()) throw OutputFileError("cannot write '" + destination_ + "': " + why);
    pendingSlot_ = AddPendingTempFile(temp_.c_str());
}

AtomicOutput::~AtomicOutput() {
    if (!committed_) std::remove(temp_.c_str());
    RemovePendingTempFile(pendingSlot_);
}

void AtomicOutput::Commit() {
    std::string why;
    if (!sys::RenameOver(temp_, destination_, &why))
        throw OutputFileError("cannot write '" + destination_ + "': " + why);
    committed_ = true;
    RemovePendingTempFile(pendingSlot_);
    pendingSlot_ = -1;
}

} // namespace rimelace_cli
