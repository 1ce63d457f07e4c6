#pragma once

#include "media/mediaengine.h"
#include "platform/control.h"

#include <functional>
#include <memory>

namespace sky {

// Makes the engine of the media control; parent is the window it sits in.
using MediaEngineFactory = std::function<std::unique_ptr<MediaEngine>(QWidget *parent)>;

// MediaPlayer1: the media control of the main window. Visible and Enabled
// are the container's; everything else is the engine's.
class MediaPlayerControl : public Control
{
public:
    MediaPlayerControl(Form &form, const QString &name, const MediaEngineFactory &factory);

    QString FileName() const { return m_engine->fileName(); }
    void setFileName(const QString &address) { m_engine->setFileName(address); }
    double CurrentPosition() const { return m_engine->currentPosition(); }
    void setCurrentPosition(double seconds) { m_engine->setCurrentPosition(seconds); }
    long DisplaySize() const { return m_engine->displaySize(); }
    void setDisplaySize(long size) { m_engine->setDisplaySize(size); }
    long PlayState() const { return m_engine->playState(); }
    void Stop() { m_engine->stop(); }
    void Open(const QString &address) { m_engine->open(address); }

    MediaEngine &engine() { return *m_engine; }

private:
    MediaPlayerControl(Form &form, const QString &name, std::unique_ptr<MediaEngine> engine);

    std::unique_ptr<MediaEngine> m_engine;
};

} // namespace sky
