#include "TWebhookSender.h"
#include <QMessageAuthenticationCode>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

const QByteArray TWebhookSender::SignatureHeader = QByteArrayLiteral("X-Konvelo-Signature");

namespace {
const char *const TimedOutProperty = "konveloTimedOut";
}

TWebhookSender::TWebhookSender(QObject *parent) : QObject(parent)
{
}

TWebhookSender::~TWebhookSender()
{
    // Replies still running are aborted with the manager; their handlers must not run.
    FManager.disconnect(this);
    for (QNetworkReply *r : FManager.findChildren<QNetworkReply *>())
        r->disconnect(this);
}

void TWebhookSender::SetTargets(const QStringList &Urls, const QByteArray &Secret)
{
    FTargets.clear();
    FSecret = Secret;
    for (const QString &text : Urls) {
        const QUrl url(text, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https")) {
            report(QStringLiteral("webhook address ignored, not an http or https URL: ") + text);
            continue;
        }
        FTargets << url;
    }
}

void TWebhookSender::SetTimings(int TimeoutMs, int FirstRetryMs)
{
    FTimeoutMs = TimeoutMs;
    FFirstRetryMs = FirstRetryMs;
}

QByteArray TWebhookSender::Signature(const QByteArray &Body, const QByteArray &Secret)
{
    return QByteArrayLiteral("sha256=")
        + QMessageAuthenticationCode::hash(Body, Secret, QCryptographicHash::Sha256).toHex();
}

void TWebhookSender::Post(const QByteArray &Body)
{
    for (const QUrl &url : std::as_const(FTargets)) {
        if (FPending >= MaxQueued) {
            report(QStringLiteral("webhook post to %1 dropped: %2 posts are waiting")
                       .arg(url.toDisplayString(QUrl::RemoveUserInfo)).arg(FPending));
            continue;
        }
        ++FPending;
        send(url, Body, 0);
    }
}

void TWebhookSender::send(const QUrl &Url, const QByteArray &Body, int Attempt)
{
    QNetworkRequest request(Url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Konvelo"));
    if (!FSecret.isEmpty())
        request.setRawHeader(SignatureHeader, Signature(Body, FSecret));
    request.setTransferTimeout(FTimeoutMs);
    QNetworkReply *reply = FManager.post(request, Body);
    // The transfer time-out only bounds silence between bytes; a receiver that
    // trickles its answer would hold the post (and one of the few connections
    // per host) for minutes. The whole attempt gets the same bound.
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply] {
        reply->setProperty(TimedOutProperty, true);
        reply->abort();
    });
    deadline->start(FTimeoutMs);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, Url, Body, Attempt] { finished(reply, Url, Body, Attempt); });
}

void TWebhookSender::finished(QNetworkReply *Reply, const QUrl &Url, const QByteArray &Body, int Attempt)
{
    Reply->deleteLater();
    const bool timedOut = Reply->property(TimedOutProperty).toBool();
    const int status = Reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!timedOut && Reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
        --FPending;
        return;
    }
    if (Attempt < Retries) {
        QTimer::singleShot(FFirstRetryMs << Attempt, this, [this, Url, Body, Attempt] { send(Url, Body, Attempt + 1); });
        return;
    }
    --FPending;
    const QString why = timedOut       ? QStringLiteral("no complete answer within %1 ms").arg(FTimeoutMs)
                        : status != 0 ? QStringLiteral("HTTP status %1").arg(status)
                                      : Reply->errorString();
    report(QStringLiteral("webhook post to %1 failed after %2 attempts: %3")
               .arg(Url.toDisplayString(QUrl::RemoveUserInfo)).arg(Retries + 1).arg(why));
}

void TWebhookSender::report(const QString &Text)
{
    if (OnFailure)
        OnFailure(Text);
}
