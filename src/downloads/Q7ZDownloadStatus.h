#pragma once
// The states of a download record. A record's state is a plain 64-bit value: a value outside
// this list is kept as it is and shown like None.

#include <cstdint>

enum class Q7ZDownloadStatus : std::uint64_t {
    None = 0,         // not started
    Downloading = 1,  // transfer running
    Finished = 2,     // file complete at the record's save path
    Failed = 3,       // failed or cancelled
    FileMissing = 4,  // finished, but the file has gone since
};

// Why a Failed record failed, as its row says.
enum class Q7ZDownloadFailure {
    None,
    Cancelled,  // the user cancelled it, or logged out
    Network,    // no answer, or the connection broke off
    Server,     // the server answered, but not with the file
    Disk,       // the file could not be written
};
