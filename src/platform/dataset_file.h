#pragma once
// Datasets rewritten in place: opened for reading and writing, read and
// written at explicit offsets, closed with the result checked. Every read and
// write either moves all the bytes asked for or reports failure; a short
// read (the dataset shrank) counts as failure.

#include <cstddef>
#include <cstdint>

namespace platform {

struct DatasetFile {
  std::intptr_t handle = -1;  // descriptor; -1 when not open
};

// Opens the regular file `name` for reading and writing. False for an empty
// name, anything but a regular file (a FIFO is never opened), or a file this
// process may not write. With `followLink` false a symbolic link is not
// followed, also one that took the name's place a moment ago: for a dataset
// that a search found, which must be the file the search saw.
[[nodiscard]] bool OpenDataset(DatasetFile& file, const char* name, bool followLink = true);

// The dataset's length in bytes.
[[nodiscard]] bool DatasetLength(const DatasetFile& file, std::uint64_t& length);

// Reads exactly `size` bytes at byte `offset`.
[[nodiscard]] bool ReadDatasetAt(DatasetFile& file, std::uint64_t offset, std::uint8_t* data,
                                 std::size_t size);
// Writes `size` bytes at byte `offset`; returns how many were written, from
// the first on: `size`, or fewer when a write failed (a full disk, a file-size
// limit), so that the caller knows how far the dataset was rewritten.
[[nodiscard]] std::size_t WriteDatasetAt(DatasetFile& file, std::uint64_t offset,
                                         const std::uint8_t* data, std::size_t size);

// Closes the dataset; false when the close reported an error (written data
// may be lost). Closing a dataset that is not open succeeds.
[[nodiscard]] bool CloseDataset(DatasetFile& file);

// Faults that tests inject into the dataset operations; production code never
// sets them. A count n > 0 fails the n-th call from the time it was set.
struct DatasetFaults {
  int failRead = 0;
  int failWrite = 0;
  bool failClose = false;
  int reads = 0;   // calls counted so far
  int writes = 0;
  void (*beforeWrite)(int write) = nullptr;  // called with the number of each write
};
// Null unless a test installs faults.
extern DatasetFaults* gDatasetFaults;

// For the platform files: each counts its call and tells whether an installed
// fault makes it fail; InjectWriteFault first calls beforeWrite.
[[nodiscard]] bool InjectReadFault();
[[nodiscard]] bool InjectWriteFault();
[[nodiscard]] bool InjectCloseFault();

}  // namespace platform
