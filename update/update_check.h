// One request for the latest version number at a time, without blocking the
// window that asked: the answer arrives as Finished().
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkReply;

struct CheckOutcome {
    enum class Kind {
        Latest, // status 200: `latest` holds the version the file's first line gives
        ServerStatus, // the server answered with another status, in `status`
        Failed, // no answer (connection, request or transfer error), or one that is no version
    };
    Kind kind = Kind::Failed;
    QString latest;
    int status = 0;
};

class CUpdateCheck : public QObject {
    Q_OBJECT

public:
    // The most of an answer that is read; a longer one tells nothing.
    static constexpr qsizetype kLongestAnswer = 256;

    explicit CUpdateCheck(QObject* parent = nullptr);
    // Ends a running request as Cancel() does. Not to be destroyed from a
    // slot of its own Finished().
    ~CUpdateCheck() override;

    void Start(const QUrl& versionAddress);
    bool IsRunning() const { return m_reply != nullptr; }
    // Abandons a running request without a Finished() signal.
    void Cancel();
    // A server that stops answering ends the check as Failed after this long.
    void SetTransferTimeout(int milliseconds) { m_transferTimeout = milliseconds; }

signals:
    void Finished(const CheckOutcome& outcome);

private:
    void OnReadyRead();
    void OnReplyFinished();

    // One manager for all checks of a window, so that a second check can
    // reuse the connection of the first.
    QNetworkAccessManager m_manager;
    QNetworkReply* m_reply = nullptr;
    QByteArray m_body;
    bool m_tooLong = false;
    // Without a limit a server that stops answering would keep the window's
    // Close button disabled for good.
    int m_transferTimeout = 30000;
};
