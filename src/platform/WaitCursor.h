#pragma once

#include <QtGlobal>

namespace tobimaru {

/// The busy pointer over the whole program while it lives: every path out of a long step, a
/// failure included, gives the normal pointer back. Guards nest.
class WaitCursor final {
public:
    WaitCursor();
    ~WaitCursor();
    Q_DISABLE_COPY(WaitCursor)
};

} // namespace tobimaru
