#pragma once
// Writing a file so that it appears whole or not at all: the data goes to a temporary file in
// the destination's folder, which is renamed over the destination on Commit. A run that fails
// or is interrupted removes the temporary file and leaves the destination as it was.

#include <stdexcept>
#include <string>

namespace rimelace_cli {

class OutputFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class AtomicOutput {
  public:
    // Creates the temporary file beside `destination`. Throws OutputFileError ("cannot write
    // 'destination': why") when the folder does not exist or is not writable.
    explicit AtomicOutput(std::string destination);
    ~AtomicOutput(); // removes the temporary file unless committed
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    const std::string& TempPath() const { return temp_; }
    const std::string& Destination() const { return destination_; }

    // Renames the temporary file over the destination. Throws OutputFileError.
    void Commit();

  private:
    std::string destination_;
    std::string temp_;
    bool committed_ = false;
    int pendingSlot_ = -1; // registration for removal on a second Ctrl-C
};

} // namespace rimelace_cli
