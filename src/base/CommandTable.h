#pragma once

#include "base/CommandIds.h"

#include <functional>
#include <unordered_map>
#include <vector>

namespace tobimaru {

class Prompts;

/// Every command of the window by its id, each with one handler that the subsystem owning it
/// registers. Menu items, buttons and keys find their id in CommandMap. Running a command traps
/// its failures for its whole body: they end in the error box and the program goes on.
class CommandTable final {
public:
    using Handler = std::function<void()>;
    /// Hears each command that runs, before its handler.
    using Observer = std::function<void(CommandId id)>;

    /// `prompts` shows the error box of a failed command; it must outlive the table.
    explicit CommandTable(Prompts& prompts);

    /// Registers the handler of an id. A second handler for the same id is a wiring fault: it
    /// throws std::logic_error, so it cannot pass unnoticed.
    void add(CommandId id, Handler handler);

    bool has(CommandId id) const { return m_handlers.contains(id); }
    /// Every registered id, in no particular order.
    std::vector<CommandId> ids() const;

    /// Runs the handler; false (and a warning in the log) when nothing is registered.
    bool execute(CommandId id) const;

    /// One observer at most; an empty one stops the reports. Tests read what a key, a click or
    /// a gesture ran through it.
    void setObserver(Observer observer) { m_observer = std::move(observer); }

private:
    Prompts& m_prompts;
    std::unordered_map<CommandId, Handler> m_handlers;
    Observer m_observer;
};

} // namespace tobimaru
