#include "dead_socket.h"
#include "platform/local_socket.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <future>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using sky::LocalListener;

namespace {

constexpr int kWaitMs = 20000;

// The sender blocks until the listener has taken the message, and the
// listener needs this thread's event loop for that: it sends from another.
std::future<bool> sendLater(const QString &path, const QByteArray &message)
{
    return std::async(std::launch::async, [path, message] { return sky::sendOverLocalSocket(path, message, kWaitMs); });
}

} // namespace

class TestLocalSocket : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void messageArrivesWhole();
    void severalSendersEachArriveOnce();
    void nobodyListeningIsNoAnswer();
    void deadSocketIsTakenOver();
    void onlyTheUserCanConnect();
    void oversizedMessageIsRefused();
    void socketGoesWithTheListener();

private:
    QString socketPath() const { return m_folder->filePath(u"socket"_s); }
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestLocalSocket::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestLocalSocket::messageArrivesWhole()
{
    LocalListener listener;
    QVERIFY2(listener.listen(socketPath()), qPrintable(listener.errorString()));
    QSignalSpy received(&listener, &LocalListener::received);
    // Larger than a socket's buffer: it comes in many reads.
    QByteArray message(300000, '\0');
    for (qsizetype i = 0; i < message.size(); ++i)
        message[i] = char(i * 7);
    std::future<bool> sent = sendLater(socketPath(), message);
    QVERIFY(received.wait(kWaitMs));
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().first().toByteArray(), message);
    QVERIFY(sent.get());
    QVERIFY(sky::localSocketAnswers(socketPath(), kWaitMs));
}

void TestLocalSocket::severalSendersEachArriveOnce()
{
    LocalListener listener;
    QVERIFY(listener.listen(socketPath()));
    QSignalSpy received(&listener, &LocalListener::received);
    std::vector<std::future<bool>> sent;
    for (int i = 0; i < 4; ++i)
        sent.push_back(sendLater(socketPath(), QByteArray::number(i).repeated(1000)));
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), 4, kWaitMs);
    QStringList messages;
    for (const QList<QVariant> &arguments : received)
        messages << QString::fromLatin1(arguments.first().toByteArray());
    messages.sort();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(messages.at(i), QString::number(i).repeated(1000));
    for (std::future<bool> &result : sent)
        QVERIFY(result.get());
}

void TestLocalSocket::nobodyListeningIsNoAnswer()
{
    QVERIFY(!sky::localSocketAnswers(socketPath(), kWaitMs));
    QVERIFY(!sky::sendOverLocalSocket(socketPath(), "hello", kWaitMs));
    QVERIFY(test::leaveDeadSocket(socketPath()));
    QVERIFY(!sky::localSocketAnswers(socketPath(), kWaitMs));
    QVERIFY(!sky::sendOverLocalSocket(socketPath(), "hello", kWaitMs));
    // A path too long for a socket address is no answer either.
    QVERIFY(!sky::localSocketAnswers(m_folder->filePath(QString(200, u'x')), kWaitMs));
}

void TestLocalSocket::deadSocketIsTakenOver()
{
    QVERIFY(test::leaveDeadSocket(socketPath()));
    LocalListener listener;
    QVERIFY2(listener.listen(socketPath()), qPrintable(listener.errorString()));
    QSignalSpy received(&listener, &LocalListener::received);
    std::future<bool> sent = sendLater(socketPath(), "after a crash");
    QVERIFY(received.wait(kWaitMs));
    QCOMPARE(received.first().first().toByteArray(), QByteArray("after a crash"));
    QVERIFY(sent.get());
    // Nothing of the making is left beside it.
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { u"socket"_s });
}

void TestLocalSocket::onlyTheUserCanConnect()
{
    LocalListener listener;
    QVERIFY(listener.listen(socketPath()));
    struct stat info{};
    QCOMPARE(::stat(QFile::encodeName(socketPath()).constData(), &info), 0);
    QVERIFY(S_ISSOCK(info.st_mode));
    QCOMPARE(info.st_mode & (S_IRWXG | S_IRWXO), 0u);
}

void TestLocalSocket::oversizedMessageIsRefused()
{
    LocalListener listener;
    QVERIFY(listener.listen(socketPath()));
    QSignalSpy received(&listener, &LocalListener::received);
    std::future<bool> sent = sendLater(socketPath(), QByteArray(2 * LocalListener::kMaxMessage, 'x'));
    // The sender learns that it was not taken once the listener has read
    // past the limit and closed the connection.
    while (sent.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    QVERIFY(!sent.get());
    QCoreApplication::processEvents();
    QCOMPARE(received.size(), 0);
    // The listener goes on taking messages.
    std::future<bool> next = sendLater(socketPath(), "small");
    QVERIFY(received.wait(kWaitMs));
    QCOMPARE(received.first().first().toByteArray(), QByteArray("small"));
    QVERIFY(next.get());
}

void TestLocalSocket::socketGoesWithTheListener()
{
    {
        LocalListener listener;
        QVERIFY(listener.listen(socketPath()));
        QVERIFY(QFile::exists(socketPath()));
    }
    QVERIFY(!QFile::exists(socketPath()));
    QVERIFY(!sky::localSocketAnswers(socketPath(), kWaitMs));
}

QTEST_GUILESS_MAIN(TestLocalSocket)
#include "test_local_socket.moc"
