#pragma once

#include "base/KeyCommand.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

namespace tobimaru {

class Prompts;

/// Every command of the window by name (a menu item's control name such as "Dspsize(3)", or a
/// toolbar button's key such as "再生") and by key (KeyCommand), each with one handler that the
/// subsystem owning it registers. Running a command traps its failures for its whole body: they
/// end in the error box and the program goes on.
class CommandTable final {
public:
    using Handler = std::function<void()>;
    /// Hears each command that runs, before its handler: a named one with `key` None, a key
    /// command with an empty `name`.
    using Observer = std::function<void(const QString& name, KeyCommand key)>;

    /// `prompts` shows the error box of a failed command; it must outlive the table.
    explicit CommandTable(Prompts& prompts);

    /// Registers the handler of a name or a key. A second handler for the same name or key is a
    /// wiring fault: it throws std::logic_error, so it cannot pass unnoticed.
    void add(const QString& name, Handler handler);
    void add(KeyCommand key, Handler handler);

    bool has(const QString& name) const { return m_named.contains(name); }
    bool has(KeyCommand key) const { return m_keyed.contains(int(key)); }
    /// Every registered name, in no particular order.
    QStringList names() const { return m_named.keys(); }

    /// Runs the handler; false (and a warning in the log) when nothing is registered.
    bool execute(const QString& name) const;
    bool execute(KeyCommand key) const;

    /// One observer at most; an empty one stops the reports. Tests read what a key, a click or
    /// a gesture ran through it.
    void setObserver(Observer observer) { m_observer = std::move(observer); }

private:
    bool run(const Handler* handler, const char* what, const QString& name) const;

    Prompts& m_prompts;
    QHash<QString, Handler> m_named;
    QHash<int, Handler> m_keyed;
    Observer m_observer;
};

} // namespace tobimaru
