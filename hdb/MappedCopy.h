#pragma once

#include <cstddef>

// Copying out of a memory-mapped file. A file that shrinks while it is
// mapped (another program truncates it, the medium goes away) makes a read
// of the lost part raise SIGBUS; here that read fails instead, and the caller
// treats the bytes as unreadable, as a failed read() would be.
namespace MappedCopy {

// Copies `size` bytes; false (destination partly written) when the source
// could not be read.
bool copy(void* destination, const void* source, std::size_t size);

// The sum of `size` bytes modulo 256; false when they could not be read.
bool byteSum(const void* source, std::size_t size, unsigned char& sum);

} // namespace MappedCopy
