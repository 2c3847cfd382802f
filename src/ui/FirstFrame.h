#pragma once

#include <functional>

class QWidget;

namespace tobimaru {

/// Runs `then` once, as soon as `window` (a top-level widget that has been shown) has been put
/// on screen for the first time: the first expose of its native window, which Qt answers by
/// painting the whole window, comes first, and `then` is queued behind it. A window that is
/// not exposed within `latestMs` (started minimised, or on another workspace) runs it then all
/// the same. Nothing runs when the window goes first.
void AfterFirstFrame(QWidget* window, std::function<void()> then, int latestMs);

} // namespace tobimaru
