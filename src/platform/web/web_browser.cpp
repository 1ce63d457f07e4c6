#include "platform/web/web_browser.h"

#include "platform/form.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QWebEngineDownloadRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

namespace sky {

namespace {

// Refuses the local files its rule does not allow, before they are read.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor
{
public:
    LocalFileGuard(const std::function<bool(const QUrl &)> &rule, QObject *parent)
        : QWebEngineUrlRequestInterceptor(parent), m_rule(rule)
    {
    }

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl &url = info.requestUrl();
        if (url.isLocalFile() && !(m_rule && m_rule(url)))
            info.block(true);
    }

private:
    const std::function<bool(const QUrl &)> &m_rule;
};

} // namespace

void prepareWebEngine()
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

WebBrowser::WebBrowser(Form &form, const QString &name, QWebEngineProfile &profile, Control *container)
    : Control(form, name, new QWebEngineView, container)
{
    m_view = static_cast<QWebEngineView *>(widget());
    auto *page = new QWebEnginePage(&profile, m_view);
    page->setUrlRequestInterceptor(new LocalFileGuard(MayReadLocalFile, page));
    m_view->setPage(page);
    QObject::connect(page, &QWebEnginePage::loadStarted, this, [this] { m_busy = true; });
    QObject::connect(page, &QWebEnginePage::loadFinished, this, [this](bool) {
        m_busy = false;
        fire(DocumentComplete);
    });
    QObject::connect(page, &QWebEnginePage::newWindowRequested, this,
                     [this](QWebEngineNewWindowRequest &request) { m_view->load(request.requestedUrl()); });
    QObject::connect(&profile, &QWebEngineProfile::downloadRequested, this,
                     [this](QWebEngineDownloadRequest *download) { offerDownload(download); });
}

WebBrowser::~WebBrowser()
{
    // The view outlives its control; its page must not ask a rule that has
    // gone.
    m_view->page()->setUrlRequestInterceptor(nullptr);
}

void WebBrowser::Navigate(const QUrl &address)
{
    m_busy = address.isValid() && !address.isEmpty();
    m_view->load(address);
}

void WebBrowser::GoBack()
{
    m_view->back();
}

void WebBrowser::GoForward()
{
    m_view->forward();
}

void WebBrowser::Refresh()
{
    m_view->reload();
}

void WebBrowser::Stop()
{
    m_view->stop();
    m_busy = false;
}

QString WebBrowser::LocationName() const
{
    const QString title = m_view->title();
    return title.isEmpty() ? m_view->url().toString() : title;
}

QUrl WebBrowser::LocationURL() const
{
    return m_view->url();
}

void WebBrowser::offerDownload(QWebEngineDownloadRequest *download)
{
    if (download->page() != m_view->page())
        return;
    FileDialogService::Request request;
    request.mode = FileDialogService::Mode::Save;
    request.filter = QStringLiteral("All Files|*");
    request.title = QStringLiteral("Save As");
    request.initialDir = download->downloadDirectory();
    request.fileName = download->downloadFileName();
    const std::optional<QString> chosen = form().services().fileDialog.choose(request);
    if (!chosen) {
        download->cancel();
        return;
    }
    // The file is written beside the chosen one and renamed over it when
    // complete, so a failed download leaves a file of that name as it was.
    const QFileInfo target(*chosen);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName() + QStringLiteral(".part"));
    QObject::connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this,
                     [this, download, path = target.absoluteFilePath()] { finishDownload(download, path); });
    download->accept();
}

void WebBrowser::finishDownload(QWebEngineDownloadRequest *download, const QString &target)
{
    const QString part = target + QStringLiteral(".part");
    const bool completed = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
    if (completed && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) == 0)
        return;
    QFile::remove(part);
    if (download->state() != QWebEngineDownloadRequest::DownloadCancelled)
        form().services().messageBox.show(QStringLiteral("The file %1 could not be saved.").arg(target));
}

} // namespace sky
