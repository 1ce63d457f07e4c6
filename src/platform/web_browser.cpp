#include "platform/web_browser.h"

#include "platform/form.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTextBrowser>
#include <QUrl>

namespace sky {

WebBrowser::WebBrowser(Form &form, const QString &name, Control *container)
    : Control(form, name, new QTextBrowser, container), m_network(new QNetworkAccessManager(this))
{
    m_view = static_cast<QTextBrowser *>(widget());
    m_view->setOpenLinks(false);
    QObject::connect(m_view, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        Navigate(url.isRelative() ? QUrl::fromLocalFile(m_address).resolved(url).toString() : url.toString());
    });
}

void WebBrowser::Navigate(const QString &address)
{
    // A new page drops the pages ahead in the history.
    m_history.resize(m_at + 1);
    m_history.append(address.trimmed());
    m_at = m_history.size() - 1;
    load(m_history.at(m_at));
}

void WebBrowser::GoBack()
{
    if (m_at > 0)
        load(m_history.at(--m_at));
}

void WebBrowser::GoForward()
{
    if (m_at + 1 < m_history.size())
        load(m_history.at(++m_at));
}

void WebBrowser::Refresh()
{
    if (m_at >= 0)
        load(m_history.at(m_at));
}

void WebBrowser::Stop()
{
    if (m_reply)
        m_reply->abort();
}

QString WebBrowser::LocationName() const
{
    const QString title = m_view->documentTitle();
    return title.isEmpty() ? m_address : title;
}

void WebBrowser::load(const QString &address)
{
    Stop();
    m_address = address;
    const QUrl url = QUrl::fromUserInput(address, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https")) {
        QNetworkReply *reply = m_network->get(QNetworkRequest(url));
        m_reply = reply;
        QObject::connect(reply, &QNetworkReply::finished, this, [this, reply] { fetched(reply); });
        return;
    }
    const QFileInfo file(url.toLocalFile());
    if (!url.isLocalFile() || !file.isFile()) {
        showMessage(QStringLiteral("The page cannot be displayed"),
                    QStringLiteral("The page %1 could not be found.").arg(address.toHtmlEscaped()));
        return;
    }
    m_view->setSource(url);
    completed();
}

void WebBrowser::fetched(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        m_reply.clear();
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        m_reply.clear();
        showMessage(QStringLiteral("The page cannot be displayed"), reply->errorString().toHtmlEscaped());
        return;
    }
    const QByteArray content = reply->readAll();
    m_reply.clear();
    m_view->setHtml(QString::fromUtf8(content));
    completed();
}

void WebBrowser::showMessage(const QString &title, const QString &text)
{
    m_view->setHtml(QStringLiteral("<html><head><title>%1</title></head><body><h2>%1</h2><p>%2</p></body></html>")
                        .arg(title, text));
    completed();
}

void WebBrowser::completed()
{
    fire(DocumentComplete);
}

} // namespace sky
