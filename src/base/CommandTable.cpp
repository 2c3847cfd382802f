#include "base/CommandTable.h"

#include "base/ErrorBox.h"

#include <QDebug>
#include <stdexcept>

namespace tobimaru {

CommandTable::CommandTable(Prompts& prompts)
    : m_prompts(prompts) {}

void CommandTable::add(const QString& name, Handler handler) {
    if (m_named.contains(name))
        throw std::logic_error("two handlers for the command " + name.toStdString());
    m_named.insert(name, std::move(handler));
}

void CommandTable::add(KeyCommand key, Handler handler) {
    if (m_keyed.contains(int(key)))
        throw std::logic_error("two handlers for the key command " + std::to_string(int(key)));
    m_keyed.insert(int(key), std::move(handler));
}

bool CommandTable::execute(const QString& name) const {
    const auto it = m_named.constFind(name);
    if (it != m_named.constEnd() && m_observer)
        m_observer(name, KeyCommand::None);
    return run(it == m_named.constEnd() ? nullptr : &it.value(), "command", name);
}

bool CommandTable::execute(KeyCommand key) const {
    const auto it = m_keyed.constFind(int(key));
    if (it != m_keyed.constEnd() && m_observer)
        m_observer(QString(), key);
    return run(it == m_keyed.constEnd() ? nullptr : &it.value(), "key command", QString::number(int(key)));
}

bool CommandTable::run(const Handler* handler, const char* what, const QString& name) const {
    if (!handler) {
        qWarning("no handler for the %s %s", what, qUtf8Printable(name));
        return false;
    }
    RunCommand(m_prompts, *handler);
    return true;
}

} // namespace tobimaru
