// The desktop's network and the player's other programs: HTTP through Qt Network, whose
// answers come back through the window system's loop (the frame loop never waits for them),
// the browser through QDesktopServices, another copy of the game through QProcess.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include "platform/desktop/desktop.h"

namespace {

QNetworkAccessManager* manager() {
    static QNetworkAccessManager* m = new QNetworkAccessManager(QCoreApplication::instance());
    return m;
}

// The game's code runs `done` only from the loop itself, not while it is handling an event
// (a message box's own loop may deliver the answer meanwhile): it waits for that to end.
void deliver(const thttpdone& done, const thttpanswer& a) {
    if (dsk::busy > 0) {
        QTimer::singleShot(50, QCoreApplication::instance(), [done, a] { deliver(done, a); });
        return;
    }
    dsk::busy++;
    done(a);
    dsk::busy--;
}

}  // namespace

void dsk::http(const thttprequest& r, thttpdone done) {
    QUrl url(QString::fromStdString(r.url));
    if (!url.isValid() || (url.scheme() != "http" && url.scheme() != "https")) {
        thttpanswer a{0, "", "not an http or https address: " + r.url};
        QTimer::singleShot(0, QCoreApplication::instance(), [done, a] { deliver(done, a); });
        return;
    }
    QNetworkRequest q(url);
    q.setTransferTimeout(30000);
    q.setHeader(QNetworkRequest::UserAgentHeader, QCoreApplication::applicationName());
    QNetworkReply* reply;
    if (r.method == "POST") {
        q.setHeader(QNetworkRequest::ContentTypeHeader, QString::fromStdString(r.type));
        reply = manager()->post(q, QByteArray(r.body.data(), static_cast<qsizetype>(r.body.size())));
    } else {
        reply = manager()->get(q);
    }
    QObject::connect(reply, &QNetworkReply::finished, [reply, done] {
        thttpanswer a;
        QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid()) {
            a.status = status.toInt();
            QByteArray b = reply->readAll();
            a.body.assign(b.constData(), static_cast<size_t>(b.size()));
        } else {
            a.error = reply->errorString().toStdString();
        }
        reply->deleteLater();
        deliver(done, a);
    });
}

bool dsk::openurl(const std::string& url) { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }

bool dsk::startself(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromLocal8Bit(a.c_str());
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), list);
}
