#pragma once
// Posts JSON bodies to the webhook addresses through Qt Network, never
// waiting for an answer: each post has a time-out, a failed one is tried
// again three times with a doubling delay and then reported through
// OnFailure.
#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class QNetworkReply;

class TWebhookSender : public QObject {
    Q_OBJECT
public:
    static constexpr int Retries = 3;
    static constexpr int MaxQueued = 256;   // posts waiting or running; more are dropped and reported
    static const QByteArray SignatureHeader;   // "X-Konvelo-Signature"

    explicit TWebhookSender(QObject *parent = nullptr);
    ~TWebhookSender() override;

    // Only http and https addresses are taken; the others are reported and left out.
    // An empty Secret sends no signature.
    void SetTargets(const QStringList &Urls, const QByteArray &Secret);
    QList<QUrl> Targets() const { return FTargets; }
    // The time-out of each whole attempt, from the request to the end of the
    // answer (5000 ms), and the delay before the first retry (1000 ms).
    void SetTimings(int TimeoutMs, int FirstRetryMs);

    // Posts Body to every target and returns at once.
    void Post(const QByteArray &Body);
    int Pending() const { return FPending; }

    // "sha256=<hex HMAC-SHA256 of Body under Secret>".
    static QByteArray Signature(const QByteArray &Body, const QByteArray &Secret);

    std::function<void(const QString &)> OnFailure;

private:
    void send(const QUrl &Url, const QByteArray &Body, int Attempt);
    void finished(QNetworkReply *Reply, const QUrl &Url, const QByteArray &Body, int Attempt);
    void report(const QString &Text);

    QNetworkAccessManager FManager;
    QList<QUrl> FTargets;
    QByteArray FSecret;
    int FTimeoutMs = 5000;
    int FFirstRetryMs = 1000;
    int FPending = 0;
};
