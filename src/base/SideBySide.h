#pragma once

#include <functional>

namespace tobimaru {

/// Runs `here` on the calling thread and `beside` on a thread of its own, and returns when both
/// are done: the machines this runs on have two cores or more, and a big folder's listing has
/// halves that need nothing of each other. When no thread can be had, `beside` runs after `here`.
void RunSideBySide(const std::function<void()>& here, const std::function<void()>& beside);

/// Runs `lane(0)` on the calling thread and `lane(1)` .. `lane(lanes - 1)` on threads of their
/// own, and returns when all are done: many calls in flight at once, for a file system where
/// each call waits for the other side (a share, a stick) and the processor is idle meanwhile.
/// The lanes share their work themselves (an atomic next index, say). When fewer threads can be
/// had, fewer lanes run; lane 0 always does, so work taken from a shared index is all done.
void RunLanes(int lanes, const std::function<void(int lane)>& lane);

} // namespace tobimaru
