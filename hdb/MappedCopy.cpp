#include "MappedCopy.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>

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

} // namespace

bool copy(void* destination, const void* source, std::size_t size) {
    static std::once_flag once;
    std::call_once(once, install);
    sigjmp_buf target;
    if (sigsetjmp(target, 0) != 0)
        return false;
    t_target = &target;
    std::memcpy(destination, source, size);
    // Keeps the copy from being moved past the end of the guarded stretch.
    std::atomic_signal_fence(std::memory_order_seq_cst);
    t_target = nullptr;
    return true;
}

} // namespace MappedCopy
