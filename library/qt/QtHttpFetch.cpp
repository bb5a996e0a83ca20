// The download service over Qt Network: one QNetworkAccessManager per download, run in a
// nested event loop so the windows stay alive while the body arrives.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <vector>

#include "library/HttpFetch.h"
#include "library/Network.h"

namespace library {
namespace {

constexpr int kTransferTimeoutMs = 60000;  // no byte for this long ends the download
constexpr int kMaxRedirects = 20;
constexpr int kPollMs = 100;      // how often a stalled transfer still looks at the cancel flag
constexpr qint64 kReportMs = 50;  // progress reports at most this often (and at the end)
constexpr qint64 kChunk = 1 << 20;
// The reply holds at most this much unread, so a fast server never fills the memory.
constexpr qint64 kReadBuffer = 4 << 20;

QNetworkProxy proxyFor(const QUrl& url) {
    const ProxyChoice choice =
        chooseProxy(readProxyConfig(), url.scheme().toStdString(), url.host().toStdString());
    switch (choice.kind) {
    case ProxyChoice::Kind::Http:
        return QNetworkProxy(QNetworkProxy::HttpProxy, QString::fromStdString(choice.host), choice.port);
    case ProxyChoice::Kind::Socks:
        return QNetworkProxy(QNetworkProxy::Socks5Proxy, QString::fromStdString(choice.host), choice.port);
    default: return QNetworkProxy(QNetworkProxy::NoProxy);
    }
}

std::string kilobytes(qint64 bytes) { return std::to_string((bytes + 1023) / 1024) + " KB"; }

std::string progressText(qint64 received, qint64 total) {
    if (total > 0) return "Downloaded " + kilobytes(received) + " of " + kilobytes(total);
    return "Downloaded " + kilobytes(received);
}

int statusOf(const QNetworkReply& reply) {
    const QVariant v = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return v.isValid() ? v.toInt() : 0;
}

}  // namespace

FetchOutcome fetchUrl(const std::string& url, const FetchHooks& hooks) {
    FetchOutcome outcome;
    const QUrl qurl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size())), QUrl::StrictMode);
    const QString scheme = qurl.scheme().toLower();
    if (!qurl.isValid() || !(scheme == "http" || scheme == "https" || scheme == "file")) {
        outcome.error = "unsupported URL";
        return outcome;
    }
    if (!QCoreApplication::instance()) {
        outcome.error = "no application object";
        return outcome;
    }

    QNetworkAccessManager manager;
    manager.setProxy(proxyFor(qurl));
    QNetworkRequest request(qurl);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Vantrel"));
    // Left to itself the manager asks for gzip and inflates what comes back, which would turn
    // a stored archive.gz into its unpacked contents: the file must hold the server's bytes.
    request.setRawHeader("Accept-Encoding", "identity");

    hooks.progress(0, -1, "Connecting to " + qurl.host().toStdString() + " ...");
    QNetworkReply* reply = manager.get(request);
    reply->setReadBufferSize(kReadBuffer);
    QEventLoop loop;
    bool stopped = false, writeFailed = false;
    qint64 received = 0, total = -1;
    std::vector<char> buffer(static_cast<size_t>(kChunk));
    QElapsedTimer sinceReport;
    sinceReport.start();

    const auto stop = [&] {
        if (stopped) return;
        stopped = true;
        reply->abort();
    };
    const auto checkCancel = [&] {
        if (!stopped && hooks.cancelled()) stop();
    };
    const auto drain = [&] {
        // Bodies of error pages are read and dropped, never written.
        const bool keep = statusOf(*reply) < 400;
        while (!stopped && reply->bytesAvailable() > 0) {
            const qint64 n = reply->read(buffer.data(), kChunk);
            if (n <= 0) break;
            received += n;
            if (keep && !hooks.write(std::string_view(buffer.data(), static_cast<size_t>(n)))) {
                writeFailed = true;
                stop();
            }
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, drain);
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64, qint64 all) {
        total = all;
        if (stopped || sinceReport.elapsed() < kReportMs) return;
        sinceReport.restart();
        hooks.progress(received, total, progressText(received, total));
        checkCancel();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, checkCancel);
    poll.start(kPollMs);
    if (!reply->isFinished()) loop.exec();
    poll.stop();
    drain();

    outcome.httpStatus = statusOf(*reply);
    if (stopped && !writeFailed) {
        outcome.result = FetchResult::Cancelled;
        outcome.error = "cancelled";
    } else if (writeFailed) {
        outcome.error = "the file could not be written";
    } else if (reply->error() != QNetworkReply::NoError) {
        outcome.error = reply->errorString().toStdString();
    } else if (outcome.httpStatus >= 400) {
        outcome.error = "HTTP status " + std::to_string(outcome.httpStatus);
    } else {
        hooks.progress(received, total < 0 ? received : total, "Download complete");
        outcome.result = FetchResult::Ok;
    }
    delete reply;
    return outcome;
}

}  // namespace library
