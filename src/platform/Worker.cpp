#include "platform/Worker.h"

namespace tobimaru {

void RunAside(std::function<void()> work) {
    // The worker goes at once; its thread finishes the work on its own.
    const Worker<bool> aside([work = std::move(work)] {
        work();
        return true;
    });
}

} // namespace tobimaru
