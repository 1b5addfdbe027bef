#include "MappedCopy.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace MappedCopy {
namespace {

// The jump target of a copy in progress on this thread, if any.
thread_local sigjmp_buf* t_target = nullptr;
struct sigaction g_previous {};

void onSigbus(int signal, siginfo_t* info, void* context) {
    if (sigjmp_buf* target = t_target) {
        t_target = nullptr;
        siglongjmp(*target, 1);
    }
    // Not a guarded copy: behave as before this handler was installed.
    if (g_previous.sa_flags & SA_SIGINFO) {
        g_previous.sa_sigaction(signal, info, context);
    } else if (g_previous.sa_handler != SIG_IGN && g_previous.sa_handler != SIG_DFL) {
        g_previous.sa_handler(signal);
    } else {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

void install() {
    struct sigaction action {};
    action.sa_sigaction = onSigbus;
    // SA_NODEFER: leaving the handler by a jump must not leave SIGBUS
    // blocked, and saving the signal mask on every copy would cost a system
    // call each time.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous);
}

// Once for all guarded reads: installed twice, the handler would take itself
// for the one before it.
void ensureInstalled() {
    static std::once_flag once;
    std::call_once(once, install);
}

} // namespace

bool run(void (*work)(void*), void* context) {
    ensureInstalled();
    sigjmp_buf target;
    if (sigsetjmp(target, 0) != 0)
        return false;
    t_target = &target;
    work(context);
    // Keeps the reads from being moved past the end of the guarded stretch.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    t_target = nullptr;
    return true;
}

bool copy(void* destination, const void* source, std::size_t size) {
    if (size == 0)
        return true; // either pointer may be null then
    struct Copy {
        void* destination;
        const void* source;
        std::size_t size;
    } job{destination, source, size};
    return run(
        [](void* context) {
            const auto& j = *static_cast<const Copy*>(context);
            std::memcpy(j.destination, j.source, j.size);
        },
        &job);
}

namespace {

unsigned char sumBytes(const unsigned char* p, std::size_t size) {
    std::uint64_t total = 0;
    std::size_t k = 0;
#if defined(__SSE2__)
    // Sums of absolute differences against zero add 8 bytes at a time.
    __m128i acc = _mm_setzero_si128();
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= size; k += 16)
        acc = _mm_add_epi64(acc, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)), zero));
    total = std::uint64_t(_mm_cvtsi128_si64(acc)) + std::uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
#endif
    for (; k < size; ++k)
        total += p[k];
    return static_cast<unsigned char>(total);
}

struct Sums {
    const unsigned char* source;
    std::size_t stride;
    std::size_t count;
    unsigned char start;
    unsigned char* sums;
};

void runningSums(void* context) {
    const auto& s = *static_cast<const Sums*>(context);
    const unsigned char* p = s.source;
    unsigned char sum = s.start;
    for (std::size_t j = 0; j < s.count; ++j, p += s.stride) {
        sum = static_cast<unsigned char>(sum + sumBytes(p, s.stride));
        s.sums[j] = sum;
    }
}

} // namespace

bool stretchSums(const void* source, std::size_t stride, std::size_t count, unsigned char start, unsigned char* sums) {
    Sums job{static_cast<const unsigned char*>(source), stride, count, start, sums};
    return run(runningSums, &job);
}

} // namespace MappedCopy
