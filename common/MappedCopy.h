#pragma once

#include <cstddef>

// Copying out of a memory-mapped file. A file that shrinks while it is
// mapped (another program truncates it, the medium goes away) makes a read
// of the lost part raise SIGBUS; here that read fails instead, and the caller
// treats the bytes as unreadable, as a failed read() would be.
namespace MappedCopy {

// Whether a failed read is caught in this build: the thread sanitizer ends
// the program on a fault inside its own copy routines, which the guarded
// reads go through there.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool guarded = false;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
inline constexpr bool guarded = false;
#else
inline constexpr bool guarded = true;
#endif
#else
inline constexpr bool guarded = true;
#endif

// Copies `size` bytes; false (destination partly written) when the source
// could not be read.
bool copy(void* destination, const void* source, std::size_t size);

// Runs `work(context)`, which reads mapped bytes; false when a read failed
// and `work` was left there. `work` must hold nothing that needs cleaning up
// (no destructors run on that way out) and must not run guarded work itself.
bool run(void (*work)(void*), void* context);

// Running sums over `count` stretches of `stride` bytes one after the
// other: sums[j] is `start` plus every byte of stretches 0 … j, modulo 256.
// False (sums partly written) when the bytes could not be read.
bool stretchSums(const void* source, std::size_t stride, std::size_t count, unsigned char start, unsigned char* sums);

} // namespace MappedCopy
