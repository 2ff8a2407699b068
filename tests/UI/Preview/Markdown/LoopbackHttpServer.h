#pragma once

#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <functional>
#include <map>

// An HTTP server on the loopback for tests: answers each request with what its path is given, and
// records every path asked for.
class LoopbackHttpServer : public QObject {
public:
    using Handler = std::function<void(QTcpSocket&)>;

    LoopbackHttpServer() {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_buffers[socket] += socket->readAll();
                    if (!m_buffers[socket].contains("\r\n\r\n"))
                        return;
                    const QList<QByteArray> request = m_buffers[socket].split(' ');
                    const QString path = QString::fromLatin1(request.value(1));
                    requests.append(path);
                    m_buffers.erase(socket);
                    const auto handler = m_handlers.find(path);
                    if (handler == m_handlers.end())
                        respond(*socket, "404 Not Found", "text/plain", "missing");
                    else
                        handler->second(*socket);
                });
            }
        });
    }

    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    void on(const QString& path, Handler handler) { m_handlers[path] = std::move(handler); }

    static void respond(QTcpSocket& socket, const QByteArray& status, const QByteArray& type,
                        const QByteArray& body, const QByteArray& extra = {}) {
        socket.write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\nConnection: close\r\n" + extra + "\r\n" + body);
        socket.disconnectFromHost();
    }

    QStringList requests;

private:
    QTcpServer m_server;
    std::map<QString, Handler> m_handlers;
    std::map<QTcpSocket*, QByteArray> m_buffers;
};
