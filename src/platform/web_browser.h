#pragma once

#include "platform/control.h"

#include <QPointer>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;
class QTextBrowser;

namespace sky {

// A small web browser: shows local HTML pages, and pages fetched over HTTP,
// with a history to go back and forward through. Busy is true while a page
// loads; DocumentComplete is raised when it has.
class WebBrowser : public Control
{
public:
    WebBrowser(Form &form, const QString &name, Control *container = nullptr);

    void Navigate(const QString &address);
    void GoBack();
    void GoForward();
    void Refresh();
    void Stop();
    // The page's title, or its address when it has none.
    QString LocationName() const;
    QString LocationURL() const { return m_address; }
    bool Busy() const { return !m_reply.isNull(); }

    Handler DocumentComplete;

private:
    void load(const QString &address);
    void fetched(QNetworkReply *reply);
    void showMessage(const QString &title, const QString &text);
    void completed();

    QTextBrowser *m_view;
    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QString m_address;
    QStringList m_history;
    qsizetype m_at = -1;
};

} // namespace sky
