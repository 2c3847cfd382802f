#pragma once

#include <functional>

namespace tobimaru {

/// Runs `here` on the calling thread and `beside` on a thread of its own, and returns when both
/// are done: the machines this runs on have two cores or more, and a big folder's listing has
/// halves that need nothing of each other. When no thread can be had, `beside` runs after `here`.
void RunSideBySide(const std::function<void()>& here, const std::function<void()>& beside);

} // namespace tobimaru
