#include "fileops/JobControl.h"

namespace tobimaru {

void JobControl::setTotals(qint64 bytes, int entries) {
    m_bytesTotal.store(bytes);
    m_entriesTotal.store(entries);
}

void JobControl::setEntry(int index, const QString& name) {
    m_entriesDone.store(index);
    const QMutexLocker lock(&m_nameLock);
    m_current = name;
}

JobControl::Clash JobControl::askClash(const QString& target) {
    const Clash answer = m_asker ? m_asker(target) : Clash::Skip;
    if (answer == Clash::CancelAll)
        cancel();
    return answer;
}

void JobControl::pauseAt(CopyPoint point, const QString& where) const {
    if (m_pause)
        m_pause(point, where);
}

JobControl::Progress JobControl::progress() const {
    Progress p;
    p.bytesDone = m_bytesDone.load();
    p.bytesTotal = m_bytesTotal.load();
    p.entriesDone = m_entriesDone.load();
    p.entriesTotal = m_entriesTotal.load();
    const QMutexLocker lock(&m_nameLock);
    p.current = m_current;
    return p;
}

} // namespace tobimaru
