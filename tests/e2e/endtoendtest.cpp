#include "endtoendtest.h"

#include <QtTest>

namespace e2e {

XWindow EndToEndTest::startPlayer(const QStringList &arguments, const sky::Module1 &settings)
{
    return m_player->writeSettings(settings) ? m_player->startToMainWindow(arguments) : XWindow();
}

bool EndToEndTest::typeIntoDialog(const QString &title, const QString &text)
{
    const XWindow dialog = m_player->waitForWindow(title);
    if (dialog.id.isEmpty())
        return false;
    m_x.focus(dialog);
    m_x.type(text);
    m_x.keys({ QStringLiteral("Return") });
    return m_player->waitUntilGone(title);
}

void EndToEndTest::initTestCase()
{
    QVERIFY2(m_x.error().isEmpty(), qPrintable(m_x.error()));
}

void EndToEndTest::init()
{
    m_rig = std::make_unique<sky::test::TestRig>();
    m_rig->startMainWindow();
    m_player = std::make_unique<PlayerRun>(m_x);
}

void EndToEndTest::cleanup()
{
    if (m_player->isRunning())
        QVERIFY2(m_player->endsOnSigterm(), qPrintable(m_player->describe()));
}

} // namespace e2e
