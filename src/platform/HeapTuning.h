#pragma once
// How a short-lived program of ours sets up its heap before it does any
// work. Call it first thing in main, before any thread starts.

namespace quillary::heaptuning {

// Builds run in a fraction of a second and touch a few thousand pages of
// fresh memory. In a virtual machine every first touch of a page traps to
// the hypervisor, at 10 to 40 µs a time: a third of a novel's build went
// there. With the heap in one arena of transparent huge pages a build
// touches a few hundred pages instead. Where the system gives no huge
// pages, nothing changes but the arena count.
void preferHugePages();

}  // namespace quillary::heaptuning
