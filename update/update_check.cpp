// The request for version.txt through the system's proxy settings, and what
// its reply means.
#include "update/update_check.h"

#include "product_version.h"
#include "update/version_text.h"

#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

namespace {

const char* const kUserAgent = KVN_PRODUCT_NAME;

// The proxy the desktop is configured with, for this manager only: the
// application-wide setting belongs to whoever else uses the network.
class SystemProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override { return systemProxyForQuery(query); }
};

// Anything but a version number, or an answer longer than a version file
// ever is, tells nothing: the check ends as failed, without a word.
CheckOutcome OutcomeOf(QNetworkReply& reply, const QByteArray& body, bool tooLong)
{
    CheckOutcome outcome;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return outcome;
    outcome.status = status.toInt();
    if (outcome.status != 200)
        outcome.kind = CheckOutcome::Kind::ServerStatus;
    else if (reply.error() == QNetworkReply::NoError && !tooLong) {
        const QString latest = VersionText::FirstLine(body);
        if (VersionText::IsVersion(latest)) {
            outcome.kind = CheckOutcome::Kind::Latest;
            outcome.latest = latest;
        }
    }
    return outcome;
}

} // namespace

CUpdateCheck::CUpdateCheck(QObject* parent)
    : QObject(parent)
{
    m_manager.setProxyFactory(new SystemProxyFactory);
}

CUpdateCheck::~CUpdateCheck()
{
    Cancel();
}

void CUpdateCheck::Start(const QUrl& versionAddress)
{
    Cancel();
    QNetworkRequest request(versionAddress);
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(kUserAgent));
    request.setRawHeader("Accept", "text/*");
    request.setTransferTimeout(m_transferTimeout);
    m_body.clear();
    m_tooLong = false;
    m_reply = m_manager.get(request);
    // Never more than a version file's worth in memory, whatever comes.
    m_reply->setReadBufferSize(kLongestAnswer + 1);
    connect(m_reply, &QNetworkReply::readyRead, this, &CUpdateCheck::OnReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CUpdateCheck::OnReplyFinished);
}

void CUpdateCheck::Cancel()
{
    if (!m_reply)
        return;
    // Aborting emits finished(); nobody may hear it any more.
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

void CUpdateCheck::OnReadyRead()
{
    m_body += m_reply->read(kLongestAnswer + 1 - m_body.size());
    if (m_body.size() > kLongestAnswer) {
        m_tooLong = true;
        m_reply->abort(); // finished() follows
    }
}

void CUpdateCheck::OnReplyFinished()
{
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->deleteLater();
    if (!m_tooLong && reply->isReadable())
        m_body += reply->read(kLongestAnswer + 1 - m_body.size());
    const bool tooLong = m_tooLong || m_body.size() > kLongestAnswer;
    emit Finished(OutcomeOf(*reply, std::exchange(m_body, {}), tooLong));
}
