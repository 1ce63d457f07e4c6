#include "flash/shockwave_flash.h"

#include "platform/form.h"
#include "platform/runtime_error.h"
#include "platform/services.h"
#include "swf/framecanvas.h"
#include "swf/keycodes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyleHints>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>
#include <functional>
#include <utility>

namespace sky {

class ShockwaveFlash::View : public QWidget
{
public:
    const swf::MoviePlayer *player = nullptr;
    std::function<void(const QSize &)> resized;
    ShockwaveFlash *control = nullptr;

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (resized)
            resized(size());
    }

    void mouseMoveEvent(QMouseEvent *event) override { control->mouseMoved(event->position()); }
    void mousePressEvent(QMouseEvent *event) override
    {
        control->mousePressed(event->position(), event->button(), event->timestamp());
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        control->mousePressed(event->position(), event->button(), event->timestamp(), true);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        control->mouseReleased(event->position(), event->button());
    }
    // Qt holds the pointer for the view while a button is down and tells
    // of its leaving only once all are up.
    void leaveEvent(QEvent *) override
    {
        if (control)
            control->mouseLeft();
    }
    void wheelEvent(QWheelEvent *event) override { control->wheelTurned(event->angleDelta().y()); }
    // Tab and Shift+Tab go through the movie's objects before they go on
    // to the window's next control.
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && control) {
            auto *key = static_cast<QKeyEvent *>(event);
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            const bool backward = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && control->tabPressed(backward))
                return true;
        }
        return QWidget::event(event);
    }
    void keyPressEvent(QKeyEvent *event) override { control->keyPressed(event->key(), event->text()); }
    void keyReleaseEvent(QKeyEvent *event) override
    {
        if (!event->isAutoRepeat())
            control->keyReleased(event->key(), event->text());
    }
    // The view outlives its control by a moment: the window it sits in
    // hands the focus on as it goes, and tells nobody.
    void focusInEvent(QFocusEvent *event) override
    {
        if (control)
            control->focusChanged(true, event->reason());
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        if (control)
            control->focusChanged(false, event->reason());
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
        player->drawEditing(painter, QRectF(rect()), control->caretShown());
    }

private:
    swf::FrameCanvas m_canvas;
};

ShockwaveFlash::ShockwaveFlash(Form &form, const QString &name, Control *container)
    : Control(form, name, new View, container),
      m_sharedObjects(form.services().environment.userDataFolder()), m_timer(new QTimer(this)),
      m_caretTimer(new QTimer(this))
{
    m_player.setObjectStore(&m_sharedObjects);
    ClipboardService &clipboard = form.services().clipboard;
    m_player.setClipboard({[&clipboard] { return clipboard.text(); },
                           [&clipboard](const QString &text) { clipboard.setText(text); }});
    QObject::connect(m_caretTimer, &QTimer::timeout, this, [this] { caretBlinked(); });
    m_view = static_cast<View *>(widget());
    m_view->player = &m_player;
    m_view->resized = [this](const QSize &size) { m_player.setViewSize(size); };
    m_view->control = this;
    m_view->setMouseTracking(true);
    m_view->setFocusPolicy(Qt::ClickFocus);
    m_view->setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer, &QTimer::timeout, this, [this] { advance(); });
}

ShockwaveFlash::~ShockwaveFlash()
{
    m_view->control = nullptr;
    m_view->player = nullptr;
    m_view->resized = nullptr;
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
    m_justLoaded = true;
    // The last movie's sounds end at once; this one's play from its start.
    output.start([this](float *stereo, qsizetype frames) { m_player.mixSound(stereo, frames); });
    updateTimer();
    inputDone();
}

void ShockwaveFlash::setPlaying(bool playing)
{
    // Asked to play as it is loaded, a movie whose first frame stopped it
    // stays stopped: its script runs after the request.
    if (std::exchange(m_justLoaded, false) && playing && !m_player.isPlaying())
        return;
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
    m_player.seek(frame);
    m_view->update();
}

int ShockwaveFlash::CurrentFrame() const
{
    requireMovie();
    return m_player.currentFrame();
}

void ShockwaveFlash::advance()
{
    if (!m_player.isLoaded())
        return;
    m_player.setSoundLatency(form().services().soundOutput.queuedFrames());
    m_justLoaded = false;
    m_player.tick();
    updateTimer(); // a movie loaded as level 0 brings its own frame rate
    inputDone();
}

void ShockwaveFlash::mouseMoved(const QPointF &pos)
{
    const QPointF at = m_player.stagePoint(QRectF(m_view->rect()), pos);
    const bool inside = QRectF(m_view->rect()).contains(pos);
    m_player.input([&](swf::ScriptRuntime &scripts) { scripts.mouseMove(at, inside); });
    inputDone();
}

namespace {

// The key Key.isDown knows a mouse button by, 0 for the left one.
int buttonKey(Qt::MouseButton button)
{
    return button == Qt::RightButton ? 2 : button == Qt::MiddleButton ? 4 : 0;
}

} // namespace

void ShockwaveFlash::mousePressed(const QPointF &pos, Qt::MouseButton button, quint64 timestamp, bool doubleClick)
{
    if (button != Qt::LeftButton) {
        otherButton(button, true);
        return;
    }
    // The system tells a double click; a third press soon after and near
    // it makes a triple click, and a fourth starts again.
    const QStyleHints *hints = QGuiApplication::styleHints();
    const bool soon = m_lastPress && timestamp - m_lastPress->first <= quint64(hints->mouseDoubleClickInterval())
                      && (pos - m_lastPress->second).manhattanLength() <= hints->mouseDoubleClickDistance();
    m_clicks = doubleClick ? 2 : soon && m_clicks == 2 ? 3 : 1;
    m_lastPress = {timestamp, pos};
    const QPointF at = m_player.stagePoint(QRectF(m_view->rect()), pos);
    m_player.input([&](swf::ScriptRuntime &scripts) { scripts.mouseDown(at, m_clicks); });
    showCaret();
    inputDone();
}

void ShockwaveFlash::mouseReleased(const QPointF &pos, Qt::MouseButton button)
{
    if (button != Qt::LeftButton) {
        otherButton(button, false);
        return;
    }
    const QPointF at = m_player.stagePoint(QRectF(m_view->rect()), pos);
    const bool inside = QRectF(m_view->rect()).contains(pos);
    m_player.input([&](swf::ScriptRuntime &scripts) { scripts.mouseUp(at, inside); });
    inputDone();
}

void ShockwaveFlash::otherButton(Qt::MouseButton button, bool down)
{
    if (const int key = buttonKey(button))
        m_player.input([&](swf::ScriptRuntime &scripts) { scripts.otherMouseButton(key, down); });
}

void ShockwaveFlash::mouseLeft()
{
    m_player.input([](swf::ScriptRuntime &scripts) { scripts.mouseLeave(); });
    inputDone();
}

void ShockwaveFlash::wheelTurned(int eighthsOfDegree)
{
    // A notch is 15 degrees and scrolls the desktop's number of lines.
    const int lines = eighthsOfDegree * QApplication::wheelScrollLines() / 120;
    if (lines == 0)
        return;
    m_player.input([&](swf::ScriptRuntime &scripts) { scripts.mouseWheel(lines); });
    inputDone();
}

void ShockwaveFlash::keyPressed(int qtKey, const QString &text)
{
    const std::pair<int, int> key = swf::movieKey(qtKey, text);
    m_player.input([&](swf::ScriptRuntime &scripts) { scripts.keyDown(key.first, key.second); });
    showCaret();
    inputDone();
}

void ShockwaveFlash::keyReleased(int qtKey, const QString &text)
{
    const std::pair<int, int> key = swf::movieKey(qtKey, text);
    m_player.input([&](swf::ScriptRuntime &scripts) { scripts.keyUp(key.first, key.second); });
    inputDone();
}

bool ShockwaveFlash::tabPressed(bool backward)
{
    swf::ScriptRuntime *scripts = m_player.scripts();
    if (!scripts || scripts->tabLeavesMovie(backward))
        return false;
    m_player.input([&](swf::ScriptRuntime &s) { s.tabKeyDown(backward); });
    showCaret();
    inputDone();
    return true;
}

void ShockwaveFlash::inputDone()
{
    // A field a script gave the focus blinks too.
    const bool editing = m_player.scripts() && m_player.scripts()->focusedField();
    if (editing && !m_caretTimer->isActive())
        startBlinking();
    const bool hand = m_player.scripts() && m_player.scripts()->handCursor();
    const Qt::CursorShape shape = hand ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (m_view->cursor().shape() != shape)
        m_view->setCursor(shape);
    // Tab stops at the movie while it has objects to visit.
    if (!m_view->hasFocus()) {
        const bool stops = m_player.scripts() && m_player.scripts()->hasTabStops();
        m_view->setFocusPolicy(stops ? Qt::StrongFocus : Qt::ClickFocus);
    }
    m_view->update();
}

bool ShockwaveFlash::caretShown() const { return m_caretShown && m_view->hasFocus(); }

void ShockwaveFlash::focusChanged(bool focused, Qt::FocusReason reason)
{
    // Come by Tab, the movie's first object has the focus, by Shift+Tab its
    // last; gone, a button or clip loses it.
    const bool tab = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    if (focused && tab)
        m_player.input([&](swf::ScriptRuntime &s) { s.focusTabStop(reason == Qt::BacktabFocusReason); });
    else if (!focused)
        m_player.input([](swf::ScriptRuntime &s) { s.windowFocusLost(); });
    if (focused)
        showCaret();
    else
        m_caretTimer->stop();
    inputDone();
}

void ShockwaveFlash::showCaret()
{
    m_caretShown = true;
    startBlinking();
}

void ShockwaveFlash::startBlinking()
{
    // The desktop's blink period, read as it may have changed; none set,
    // the caret stays. Out of focus it rests, hidden.
    const int period = QGuiApplication::styleHints()->cursorFlashTime();
    if (period > 0 && m_view->hasFocus())
        m_caretTimer->start(period / 2);
    else
        m_caretTimer->stop();
}

void ShockwaveFlash::caretBlinked()
{
    // Nothing to blink: the timer rests until the next key or press.
    if (!m_player.scripts() || !m_player.scripts()->focusedField()) {
        m_caretTimer->stop();
        m_caretShown = true;
        return;
    }
    m_caretShown = !m_caretShown;
    m_view->update();
}

void ShockwaveFlash::formUnloaded()
{
    m_caretTimer->stop();
    m_timer->stop();
    form().services().soundOutput.stop();
    m_player.writeKeptData();
}

void ShockwaveFlash::updateTimer()
{
    if (!m_player.isLoaded() || !form().isLoaded()) {
        m_timer->stop();
        return;
    }
    const double rate = m_player.frameRate();
    const int interval = rate > 0 ? static_cast<int>(std::lround(1000.0 / std::min(rate, 120.0))) : 83;
    if (!m_timer->isActive() || m_timer->interval() != interval)
        m_timer->start(interval);
}

} // namespace sky
