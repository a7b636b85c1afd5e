#include "ui/single_instance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

namespace ui {

namespace {

constexpr const char ACTIVATE[] = "activate\n";

} // namespace

QString single_instance_name(const QString& data_dir)
{
    const QByteArray hash = QCryptographicHash::hash(data_dir.toUtf8(), QCryptographicHash::Sha256).toHex();
    return QString(SHELL_NAME) + "-" + QString::fromLatin1(hash.left(12));
}

bool hand_over_to_running(const QString& name, int timeout_ms)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeout_ms)) return false;
    socket.write(ACTIVATE);
    socket.flush();
    socket.waitForBytesWritten(timeout_ms);
    // Wait for the running copy's acknowledgement, so the request is not lost on exit.
    socket.waitForReadyRead(timeout_ms);
    socket.disconnectFromServer();
    return true;
}

SingleInstanceServer::SingleInstanceServer(const QString& name, QObject* parent)
    : QObject(parent), m_name(name)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                const QByteArray data = socket->readAll();
                if (data.contains("activate")) {
                    socket->write("ok\n");
                    socket->flush();
                    emit activationRequested();
                }
            });
        }
    });
}

bool SingleInstanceServer::listen()
{
    // A copy that answers keeps its name; a socket nobody answers was left by a copy that died.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(300)) {
        probe.disconnectFromServer();
        return false;
    }
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    return m_server.listen(m_name);
}

} // namespace ui
