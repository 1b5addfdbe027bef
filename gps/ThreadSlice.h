#pragma once

// The receiving threads of the link do little each time they wake: a few
// lines or frames. Asking the scheduler for a short time slice lets such a
// thread run soon after its data arrives even while other threads keep the
// processors busy, at no cost to them: it gets the processor more often, for
// shorter turns, not more of it.
namespace ThreadSlice {

// Asks for a short slice for the calling thread, keeping its scheduling
// policy and nice value. False where the kernel does not offer it; the
// thread then simply keeps its usual slice.
bool requestShort();

} // namespace ThreadSlice
