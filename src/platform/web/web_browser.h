#pragma once

#include "platform/control.h"

#include <QUrl>

#include <functional>

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class QWebEngineView;

namespace sky {

// Settings the web engine needs before the application object exists. As
// root its sandbox cannot start, so it runs without one.
void prepareWebEngine();

// A web browser over the web engine. Busy is true while a page loads;
// DocumentComplete is raised when a load ends, also with the engine's own
// error page. Links that would open a new window open here; a download is
// offered through the save dialog and never run.
class WebBrowser : public Control
{
public:
    WebBrowser(Form &form, const QString &name, QWebEngineProfile &profile, Control *container = nullptr);
    ~WebBrowser() override;

    void Navigate(const QUrl &address);
    void GoBack();
    void GoForward();
    void Refresh();
    void Stop();
    // The page's title, or its address when it has none.
    QString LocationName() const;
    QUrl LocationURL() const;
    bool Busy() const { return m_busy; }

    Handler DocumentComplete;
    // Asked for every local file a page would read (the page itself, its
    // pictures, styles, scripts and frames); a file refused is not read.
    std::function<bool(const QUrl &)> MayReadLocalFile;

private:
    void offerDownload(QWebEngineDownloadRequest *download);
    void finishDownload(QWebEngineDownloadRequest *download, const QString &target);

    QWebEngineView *m_view;
    bool m_busy = false;
};

} // namespace sky
