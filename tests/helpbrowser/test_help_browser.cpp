#include "fakes.h"
#include "helpbrowser/frm_browser.h"
#include "platform/web/front_requests.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>

using namespace sky;
using namespace Qt::StringLiterals;

namespace {

constexpr int kLoadTimeoutMs = 15000;

// A web server on 127.0.0.1 that answers "/list.pla" with a download and
// holds every other request without an answer, like a slow site.
class TestServer : public QTcpServer
{
public:
    TestServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        });
    }

    QString address(const QString &path) const { return u"http://127.0.0.1:%1/%2"_s.arg(serverPort()).arg(path); }

    QStringList requested;

private:
    void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        requested.append(QString::fromLatin1(path));
        if (path != "/list.pla")
            return;
        const QByteArray body = "C:\\Music\\one.mp3\r\n";
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                      "Content-Disposition: attachment; filename=\"list.pla\"\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

QByteArray page(const QByteArray &title, const QByteArray &body = {})
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

} // namespace

// The help browser's window over the web engine, headless.
class TestHelpBrowser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensTheHelpPageWhoseScriptSetsTheTitle();
    void backAndForwardFollowTheHistory();
    void stopWhileLoadingShowsTheTitleAtOnce();
    void linksForANewWindowOpenHere();
    void downloadsAreOfferedAndSavedOverTheChosenFile();
    void pagesReadOnlyTheHelpFilesAndWhatTheUserOpened();
    void shortWindowKeepsTheBrowsersHeight();
    void aSecondRequestBringsTheWindowToTheFront();

private:
    void write(const QString &name, const QByteArray &content);
    QString path(const QString &name) const { return folder->filePath(name); }
    void type(const QString &text);

    std::unique_ptr<QTemporaryDir> folder;
    test::FakeMessageBox messageBox;
    test::FakeFileDialog fileDialog;
    test::ScriptedRandom random;
    test::FixedClock clock;
    test::FakeEnvironment environment;
    test::FakeUserSettings userSettings;
    test::RecordingModal modal;
    test::FakeSoundOutput soundOutput;
    test::FakeClipboard clipboard;
    Services services{messageBox, fileDialog, random, clock, environment, userSettings, modal, soundOutput, clipboard};
    QWebEngineProfile profile; // off the record
    std::unique_ptr<frmBrowser> browser;
};

void TestHelpBrowser::write(const QString &name, const QByteArray &content)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

// Types into the address box as a person does: the old text is selected
// and typed over, then Enter is pressed.
void TestHelpBrowser::type(const QString &text)
{
    auto *edit = static_cast<QComboBox *>(browser->cboAddress.widget())->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void TestHelpBrowser::init()
{
    folder = std::make_unique<QTemporaryDir>();
    environment.appFolder = folder->path();
    messageBox.shown.clear();
    fileDialog.requests.clear();
    write(u"MediaPlayer.htm"_s, page("Help", "<script>document.title = 'Player ' + 'Help';</script>"));
    write(u"two.htm"_s, page("Page two"));
    write(u"three.htm"_s, page("Page three"));
    browser = std::make_unique<frmBrowser>(services, profile);
}

void TestHelpBrowser::cleanup()
{
    browser.reset();
}

void TestHelpBrowser::opensTheHelpPageWhoseScriptSetsTheTitle()
{
    browser->Show();
    QVERIFY(browser->Visible());
    QCOMPARE(browser->Caption(), u"Web Browser"_s);
    QCOMPARE(browser->cboAddress.Text(), path(u"MediaPlayer.htm"_s));
    QVERIFY(browser->timTimer.Enabled());
    browser->timTimer_Timer();
    QCOMPARE(browser->Caption(), u"Working..."_s);
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Player Help"_s, kLoadTimeoutMs);
    browser->timTimer_Timer();
    QVERIFY(!browser->timTimer.Enabled());
    QCOMPARE(browser->tbToolBar.ButtonCount(), 6);

    // A page that is not there is shown by the engine's own error page;
    // nothing is raised.
    type(path(u"missing.htm"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!browser->brwWebBrowser.Busy(), kLoadTimeoutMs);
    QVERIFY(messageBox.shown.isEmpty());
    browser->tbToolBar_ButtonClick(u"Home"_s);
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Player Help"_s, kLoadTimeoutMs);
}

void TestHelpBrowser::backAndForwardFollowTheHistory()
{
    browser->Show();
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Player Help"_s, kLoadTimeoutMs);
    // Keys other than Enter are only typed into the address box.
    browser->timTimer.setEnabled(false);
    auto *edit = static_cast<QComboBox *>(browser->cboAddress.widget())->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, path(u"two.htm"_s));
    QVERIFY(!browser->timTimer.Enabled());
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Page two"_s, kLoadTimeoutMs);
    QCOMPARE(browser->cboAddress.ListCount(), 0);
    type(path(u"three.htm"_s));
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Page three"_s, kLoadTimeoutMs);
    browser->tbToolBar_ButtonClick(u"Back"_s);
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Page two"_s, kLoadTimeoutMs);
    browser->tbToolBar_ButtonClick(u"Back"_s);
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Player Help"_s, kLoadTimeoutMs);
    browser->tbToolBar_ButtonClick(u"Forward"_s);
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Page two"_s, kLoadTimeoutMs);
    // The address box keeps what was typed; the history does not fill it.
    QCOMPARE(browser->cboAddress.Text(), path(u"three.htm"_s));
    QCOMPARE(browser->brwWebBrowser.LocationURL(), QUrl::fromLocalFile(path(u"two.htm"_s)));
}

void TestHelpBrowser::stopWhileLoadingShowsTheTitleAtOnce()
{
    TestServer server;
    browser->Show();
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Player Help"_s, kLoadTimeoutMs);
    type(server.address(u"slow"_s));
    QTRY_VERIFY_WITH_TIMEOUT(server.requested.contains(u"/slow"_s), kLoadTimeoutMs);
    QVERIFY(browser->brwWebBrowser.Busy());
    browser->timTimer_Timer();
    QCOMPARE(browser->Caption(), u"Working..."_s);
    browser->tbToolBar_ButtonClick(u"Stop"_s);
    QVERIFY(!browser->timTimer.Enabled());
    QVERIFY(!browser->brwWebBrowser.Busy());
    QCOMPARE(browser->Caption(), u"Player Help"_s);
    // The page that was shown stays.
    QTRY_COMPARE_WITH_TIMEOUT(browser->brwWebBrowser.LocationURL(), QUrl::fromLocalFile(path(u"MediaPlayer.htm"_s)),
                              kLoadTimeoutMs);
    QCOMPARE(browser->Caption(), u"Player Help"_s);
}

void TestHelpBrowser::linksForANewWindowOpenHere()
{
    write(u"MediaPlayer.htm"_s, page("Links", "<a href='two.htm' target='_blank' style='display:block;height:2000px'>"
                                              "two in a new window</a>"));
    browser->Show();
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Links"_s, kLoadTimeoutMs);
    auto *view = static_cast<QWebEngineView *>(browser->brwWebBrowser.widget());
    QTRY_VERIFY_WITH_TIMEOUT(view->focusProxy() != nullptr, kLoadTimeoutMs);
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(40, 40));
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Page two"_s, kLoadTimeoutMs);
    QCOMPARE(browser->brwWebBrowser.LocationURL(), QUrl::fromLocalFile(path(u"two.htm"_s)));
}

void TestHelpBrowser::downloadsAreOfferedAndSavedOverTheChosenFile()
{
    TestServer server;
    browser->Show();
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Player Help"_s, kLoadTimeoutMs);
    const QString target = path(u"saved.pla"_s);
    write(u"saved.pla"_s, "old\r\n");

    // Cancel in the save dialog: nothing is written.
    type(server.address(u"list.pla"_s));
    QTRY_COMPARE_WITH_TIMEOUT(fileDialog.requests.size(), size_t(1), kLoadTimeoutMs);
    QCOMPARE(fileDialog.requests[0].mode, FileDialogService::Mode::Save);
    QCOMPARE(fileDialog.requests[0].fileName, u"list.pla"_s);

    fileDialog.answers.push_back(target);
    type(server.address(u"list.pla"_s));
    QTRY_COMPARE_WITH_TIMEOUT(fileDialog.requests.size(), size_t(2), kLoadTimeoutMs);
    const auto saved = [&target] {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(saved(), QByteArray("C:\\Music\\one.mp3\r\n"), kLoadTimeoutMs);
    QVERIFY(!QFile::exists(target + u".part"_s));
    QVERIFY(messageBox.shown.isEmpty());
    // The page that was shown stays.
    QCOMPARE(browser->brwWebBrowser.LocationURL(), QUrl::fromLocalFile(path(u"MediaPlayer.htm"_s)));
}

void TestHelpBrowser::pagesReadOnlyTheHelpFilesAndWhatTheUserOpened()
{
    QTemporaryDir elsewhere;
    const QString secret = elsewhere.filePath(u"secret.htm"_s);
    QFile file(secret);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(page("Secret", "<script>parent.document.title = 'leaked';</script>"));
    file.close();
    write(u"frame.htm"_s, page("Frame", "<script>parent.document.title += ' framed';</script>"));
    // The help page tries to show a page from elsewhere in a frame, and a
    // help page of its own folder in another.
    write(u"MediaPlayer.htm"_s, page("Help", "<iframe src='" + QUrl::fromLocalFile(secret).toEncoded()
                                                 + "'></iframe><iframe src='frame.htm'></iframe>"));
    browser->Show();
    QTRY_VERIFY_WITH_TIMEOUT(browser->Caption().endsWith(u"framed"_s), kLoadTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!browser->brwWebBrowser.Busy(), kLoadTimeoutMs);
    QCOMPARE(browser->brwWebBrowser.LocationName(), u"Help framed"_s);

    // Opened from the address box, a page from elsewhere shows.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(page("Opened"));
    file.close();
    type(secret);
    QTRY_COMPARE_WITH_TIMEOUT(browser->Caption(), u"Opened"_s, kLoadTimeoutMs);
}

void TestHelpBrowser::shortWindowKeepsTheBrowsersHeight()
{
    browser->Show();
    browser->setClientSize(12000, 9000);
    browser->Form_Resize();
    const float height = browser->brwWebBrowser.Height();
    QCOMPARE(height, 9000 - (browser->picAddress.Top() + browser->picAddress.Height()) - 100);
    // Too short for the browser: its height stays, the widths follow.
    browser->setClientSize(7000, 1000);
    browser->Form_Resize();
    QCOMPARE(browser->brwWebBrowser.Height(), height);
    QCOMPARE(browser->brwWebBrowser.Width(), 6900.0f);
    QCOMPARE(browser->cboAddress.Width(), 6900.0f);
}

void TestHelpBrowser::aSecondRequestBringsTheWindowToTheFront()
{
    browser->Show();
    const QString address = path(u"front"_s);
    FrontRequests running;
    QVERIFY(running.listen(address));
    running.Requested = [this] { browser->frontRequested(); };
    browser->window()->showMinimized();
    QVERIFY(browser->isMinimized());

    // A second help browser on the same folder finds the first, which
    // comes to the front.
    FrontRequests second;
    QVERIFY(!second.listen(address));
    QTRY_VERIFY_WITH_TIMEOUT(!browser->isMinimized(), kLoadTimeoutMs);
    QVERIFY(browser->Visible());
}

int main(int argc, char *argv[])
{
    qunsetenv("DISPLAY");
    prepareWebEngine();
    QApplication app(argc, argv);
    // The window goes before the application object.
    TestHelpBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_help_browser.moc"
