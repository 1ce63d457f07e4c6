#include "flash/shockwave_flash.h"

#include "platform/form.h"
#include "platform/runtime_error.h"
#include "platform/services.h"
#include "swf/framecanvas.h"

#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <functional>

namespace sky {

class ShockwaveFlash::View : public QWidget
{
public:
    const swf::MoviePlayer *player = nullptr;
    std::function<void(const QSize &)> resized;

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (resized)
            resized(size());
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (!player || !player->isLoaded()) {
            painter.fillRect(rect(), Qt::white);
            return;
        }
        // The frame is kept between paints and repainted where it changed.
        swf::RenderOptions options;
        options.supersample = false;
        const double ratio = devicePixelRatioF();
        painter.drawImage(QPointF(0, 0), m_canvas.paint(*player, (QSizeF(size()) * ratio).toSize(), ratio, options));
    }

private:
    swf::FrameCanvas m_canvas;
};

ShockwaveFlash::ShockwaveFlash(Form &form, const QString &name, Control *container)
    : Control(form, name, new View, container), m_timer(new QTimer(this))
{
    m_view = static_cast<View *>(widget());
    m_view->player = &m_player;
    m_view->resized = [this](const QSize &size) { m_player.setViewSize(size); };
    m_view->setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer, &QTimer::timeout, this, [this] { advance(); });
}

void ShockwaveFlash::setMovie(const QString &path)
{
    SoundOutput &output = form().services().soundOutput;
    m_player.setSoundRate(output.rate());
    m_player.setStartDate(double(form().services().clock.msecsSinceEpoch()));
    m_player.setViewSize(m_view->size());
    if (!m_player.load(path))
        return;
    m_path = path;
    // The last movie's sounds end at once; this one's play from its start.
    output.start([this](float *stereo, qsizetype frames) { m_player.mixSound(stereo, frames); });
    updateTimer();
    m_view->update();
}

void ShockwaveFlash::setPlaying(bool playing)
{
    if (playing)
        Play();
    else
        Stop();
}

void ShockwaveFlash::Play()
{
    m_player.play();
    updateTimer();
}

void ShockwaveFlash::Stop()
{
    m_player.stop();
    updateTimer();
}

void ShockwaveFlash::Back()
{
    m_player.back();
    updateTimer();
    m_view->update();
}

void ShockwaveFlash::Forward()
{
    m_player.forward();
    updateTimer();
    m_view->update();
}

void ShockwaveFlash::Rewind()
{
    m_player.rewind();
    m_view->update();
}

void ShockwaveFlash::requireMovie() const
{
    if (!m_player.isLoaded())
        throw RuntimeError(QStringLiteral("No movie loaded"));
}

int ShockwaveFlash::TotalFrames() const
{
    requireMovie();
    return m_player.totalFrames();
}

void ShockwaveFlash::GotoFrame(int frame)
{
    requireMovie();
    m_player.gotoFrame(frame);
    m_view->update();
}

int ShockwaveFlash::CurrentFrame() const
{
    requireMovie();
    return m_player.currentFrame();
}

void ShockwaveFlash::advance()
{
    if (!m_player.isLoaded() || !m_player.isPlaying())
        return;
    m_player.setSoundLatency(form().services().soundOutput.queuedFrames());
    m_player.tick();
    m_view->update();
    updateTimer(); // the movie may have stopped itself
}

void ShockwaveFlash::formUnloaded()
{
    m_timer->stop();
    form().services().soundOutput.stop();
}

void ShockwaveFlash::updateTimer()
{
    if (!m_player.isLoaded() || !m_player.isPlaying() || !form().isLoaded()) {
        m_timer->stop();
        return;
    }
    const double rate = m_player.movie()->frameRate();
    const int interval = rate > 0 ? static_cast<int>(std::lround(1000.0 / std::min(rate, 120.0))) : 83;
    if (!m_timer->isActive() || m_timer->interval() != interval)
        m_timer->start(interval);
}

} // namespace sky
