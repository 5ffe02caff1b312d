#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface thread, so a
// program asked to end by the system closes its windows as if the user had.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void Requested();

private:
    QSocketNotifier* notifier_ = nullptr;
};
