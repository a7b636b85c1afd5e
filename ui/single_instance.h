// One running copy per data directory: the first start serves a local socket named after
// "TavrinNodeAgoranShell"; a second start connects, asks that copy to come forward and exits.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace ui {

inline constexpr const char* SHELL_NAME = "TavrinNodeAgoranShell";

// The socket name for a data directory: "TavrinNodeAgoranShell-" and a short hash of the
// folder, so that traders with their own data directories run side by side.
QString single_instance_name(const QString& data_dir);

// True when a running copy answered the name and was asked to come forward.
bool hand_over_to_running(const QString& name, int timeout_ms = 1500);

class SingleInstanceServer : public QObject {
    Q_OBJECT
public:
    explicit SingleInstanceServer(const QString& name, QObject* parent = nullptr);
    // Starts serving; removes a socket left by a copy that died. False when it cannot listen.
    bool listen();
    QString name() const { return m_name; }

signals:
    // A second start asked this copy to come forward.
    void activationRequested();

private:
    QString m_name;
    QLocalServer m_server;
};

} // namespace ui
