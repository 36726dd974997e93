// Work run side by side on several threads, watched from the calling thread.
#pragma once

#include <cstddef>
#include <functional>

// Runs work(0) ... work(count - 1), each exactly once, on up to threads
// threads (at least one), and calls watch() on the calling thread about ten
// times a second until all are done. The interrupts are blocked in the
// threads, so that the calling thread is the one that answers them.
void RunSideBySide(size_t count, unsigned threads, const std::function<void(size_t)>& work,
                   const std::function<void()>& watch);
