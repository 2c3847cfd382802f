#include "base/CommandTable.h"

#include "base/ErrorBox.h"

#include <QDebug>
#include <stdexcept>
#include <string>

namespace tobimaru {

CommandTable::CommandTable(Prompts& prompts)
    : m_prompts(prompts) {}

void CommandTable::add(CommandId id, Handler handler) {
    if (!m_handlers.emplace(id, std::move(handler)).second)
        throw std::logic_error("two handlers for the command " + std::string(id.text()));
}

std::vector<CommandId> CommandTable::ids() const {
    std::vector<CommandId> out;
    out.reserve(m_handlers.size());
    for (const auto& [id, handler] : m_handlers)
        out.push_back(id);
    return out;
}

bool CommandTable::execute(CommandId id) const {
    const auto it = m_handlers.find(id);
    if (it == m_handlers.end()) {
        qWarning("no handler for the command %s", qUtf8Printable(id.toString()));
        return false;
    }
    if (m_observer)
        m_observer(id);
    RunCommand(m_prompts, it->second);
    return true;
}

} // namespace tobimaru
