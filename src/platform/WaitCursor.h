#pragma once

namespace tobimaru {

/// The busy pointer over the whole program while it lives: every path out of a long step, a
/// failure included, gives the normal pointer back. Guards nest.
class WaitCursor final {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace tobimaru
