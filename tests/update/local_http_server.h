// A tiny HTTP server on 127.0.0.1 for the update tests: one scripted answer
// for every request, the request heads it saw, and answers held back until
// released.
#pragma once

#include "update/update_check.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace kvntest {

class LocalHttpServer {
public:
    LocalHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString HostAndPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    // A port nobody listens on: connecting there is refused.
    static QString ClosedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    }

    void Answer(int status, const QByteArray& body)
    {
        m_status = status;
        m_body = body;
    }
    // An answer that claims a gigabyte and sends `start`, then nothing more,
    // the connection left open.
    void AnswerWithoutEnd(const QByteArray& start)
    {
        Answer(200, start);
        m_endless = true;
    }
    void Hold() { m_holding = true; }
    void Release()
    {
        m_holding = false;
        for (const QPointer<QTcpSocket>& socket : std::exchange(m_held, {}))
            if (socket)
                Respond(socket);
    }
    qsizetype HeldCount() const { return m_held.size(); }
    // Each request's head: request line and header lines.
    const QList<QByteArray>& Requests() const { return m_requests; }

private:
    void Read(QTcpSocket* socket)
    {
        QByteArray head = socket->property("head").toByteArray() + socket->readAll();
        socket->setProperty("head", head);
        if (!head.contains("\r\n\r\n"))
            return;
        m_requests << head.left(head.indexOf("\r\n\r\n"));
        if (m_holding)
            m_held << socket;
        else
            Respond(socket);
    }

    void Respond(QTcpSocket* socket)
    {
        const qint64 length = m_endless ? qint64(1) << 30 : m_body.size();
        socket->write("HTTP/1.1 " + QByteArray::number(m_status) + (m_status == 200 ? " OK" : " Not Found")
            + "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(length)
            + "\r\nConnection: close\r\n\r\n" + m_body);
        if (!m_endless)
            socket->disconnectFromHost();
    }

    QTcpServer m_server;
    int m_status = 200;
    QByteArray m_body;
    bool m_holding = false;
    bool m_endless = false;
    QList<QPointer<QTcpSocket>> m_held;
    QList<QByteArray> m_requests;
};

// Lets whatever was already sent to this process arrive before a test checks
// that nothing came of it: a whole request to a second server, answered, goes
// through the event loop after anything that was waiting there.
inline bool LetPendingAnswersArrive()
{
    LocalHttpServer other;
    CUpdateCheck probe;
    bool finished = false;
    QObject::connect(&probe, &CUpdateCheck::Finished, [&finished](const CheckOutcome&) { finished = true; });
    probe.Start(QUrl("http://" + other.HostAndPort() + "/version.txt"));
    return QTest::qWaitFor([&finished] { return finished; }, 20000);
}

// Loopback must never be sent to a proxy the environment may name.
inline void BypassProxyForLoopback()
{
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    qputenv("no_proxy", "127.0.0.1,localhost");
}

} // namespace kvntest
