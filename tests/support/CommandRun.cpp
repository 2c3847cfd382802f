#include "support/CommandRun.h"

#include "base/CommandMap.h"
#include "base/CommandTable.h"

namespace tobimaru::test {

namespace {

bool Execute(const CommandTable& table, const std::optional<CommandId>& id) {
    return id && table.execute(*id);
}

} // namespace

bool ExecuteMenuItem(const CommandTable& table, const QString& name) {
    return Execute(table, CommandForMenuItem(name));
}

bool ExecuteButton(const CommandTable& table, const QString& key) {
    return Execute(table, CommandForButton(key));
}

bool ExecuteKey(const CommandTable& table, KeyCommand key) {
    return Execute(table, CommandForKey(key));
}

} // namespace tobimaru::test
