// Serving the archiver adapter's children: their output and error, and the decompressed tar
// passed from one 7-Zip to the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace quendle::adapter {

// Where a child's output and error go as they arrive.
class StreamSink {
public:
    virtual void out(std::string_view data) = 0;
    virtual void err(std::string_view data) = 0;

protected:
    ~StreamSink() = default;
};

// A decompressed stream on its way into the 7-Zip that reads the tar.
struct Pump {
    int source = -1; // the decompressed stream
    int sink = -1;   // the standard input of the 7-Zip that reads the tar
    pid_t producer = -1;
    pid_t consumer = -1;
    std::string pending;
    std::size_t pendingAt = 0;
    bool sourceEnded = false;
    // A file that gets a copy of everything read from the source (-1: none), up to a budget
    // of bytes; when the budget or the file fails, the copy is given up (copyFailed).
    int copy = -1;
    std::uint64_t copyBudget = 0;
    std::uint64_t copied = 0;
    bool copyFailed = false;
    // Sees everything read from the source (none: nothing does); once it returns false it is
    // not asked again, and with neither sink nor copy the source is then given up.
    std::function<bool(std::string_view)> observe;
};

// Runs until the pump's source (when there is a pump) and the output and error descriptors
// (-1: none) have all ended; what they carry goes to the sink. Closes every descriptor it got.
void serve(Pump* pump, int out, int err, StreamSink* sink);

// Reads what is there, retrying after a signal; 0 at the end or on an error.
std::size_t readSome(int fd, char* buffer, std::size_t capacity);

// Closes a descriptor that is open and marks it closed.
void closeFd(int& fd);

} // namespace quendle::adapter
