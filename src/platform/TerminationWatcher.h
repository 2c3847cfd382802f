#pragma once

#include <QObject>

class QSocketNotifier;

namespace tobimaru {

/// Turns SIGTERM and SIGINT into a Qt signal on the GUI thread, so a logout or a kill closes
/// the window the normal way and the settings are saved.
class TerminationWatcher final : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

Q_SIGNALS:
    void terminationRequested();

private:
    void onReadable();
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tobimaru
