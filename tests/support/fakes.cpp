#include "fakes.h"

#include "platform/form.h"

namespace sky::test {

std::optional<QString> FakeFileDialog::choose(const Request &request)
{
    requests.push_back(request);
    const QString answer = answers.empty() ? QString() : answers.front();
    if (!answers.empty())
        answers.pop_front();
    if (answer.isNull())
        return std::nullopt;
    return answer;
}

double ScriptedRandom::next()
{
    if (!values.empty()) {
        const double value = values.front();
        values.pop_front();
        return value;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
}

QVariant FakeUserSettings::value(const QString &section, const QString &key, const QVariant &fallback)
{
    return values.value(section + QLatin1Char('/') + key, fallback);
}

void RecordingModal::run(Form &form)
{
    shown.append(form.name());
}

bool FakeHelpBrowser::bringToFront(const QString &applicationFolder)
{
    if (running)
        broughtFront.append(applicationFolder);
    return running;
}

bool FakeHelpBrowser::start(const QString &applicationFolder)
{
    if (missing)
        return false;
    started.append(applicationFolder);
    running = true;
    return true;
}

void FakeMediaEngine::setFileName(const QString &address)
{
    m_fileName = address;
    assigned.append(address);
    state = address.isEmpty() || address == QStringLiteral(".mp3") ? Closed : stateAfterAssign;
}

void FakeMediaEngine::setCurrentPosition(double seconds)
{
    position = seconds;
    seeks.push_back(seconds);
}

void FakeMediaEngine::togglePause()
{
    if (state == Playing)
        state = Paused;
    else if (state == Paused)
        state = Playing;
}

void FakeMediaEngine::stop()
{
    ++stops;
    state = Stopped;
}

void FakeSoundOutput::start(Source s)
{
    source = std::move(s);
    ++starts;
}

void FakeSoundOutput::stop()
{
    source = nullptr;
    ++stops;
}

std::vector<float> FakeSoundOutput::pull(qsizetype frames)
{
    if (!source)
        return {};
    std::vector<float> out(size_t(frames) * 2, 0.0f);
    source(out.data(), frames);
    return out;
}

} // namespace sky::test
