#include "media/controlbar.h"

#include "platform/drawn_icons.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace sky {

namespace {

// The seek slider counts tenths of a second.
constexpr double kSliderUnitsPerSecond = 10.0;

// In the text colour of the desktop's palette, which the bar keeps.
QIcon barIcon(DrawnIcon icon)
{
    return drawnIcon(icon, QApplication::palette().color(QPalette::ButtonText));
}

QToolButton *makeButton(QWidget *parent, DrawnIcon icon, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setIcon(barIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A press on the seek bar puts the handle under the pointer, as players'
// bars do, instead of moving it a page towards the pointer.
class SeekBarStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        const int value = QProxyStyle::styleHint(hint, option, widget, returnData);
        return hint == SH_Slider_AbsoluteSetButtons ? value | Qt::LeftButton : value;
    }
};

} // namespace

ControlBar::ControlBar(QWidget *parent)
    : QWidget(parent)
    , m_playPause(makeButton(this, DrawnIcon::Play, tr("Play")))
    , m_stop(makeButton(this, DrawnIcon::Stop, tr("Stop")))
    , m_seek(new QSlider(Qt::Horizontal, this))
    , m_time(new QLabel(this))
    , m_mute(makeButton(this, DrawnIcon::Volume, tr("Mute")))
    , m_volume(new QSlider(Qt::Horizontal, this))
{
    // The bar keeps the desktop's colours whatever the window around it
    // paints itself with.
    QPalette own = QApplication::palette();
    own.setResolveMask(~QPalette::ResolveMask(0));
    setPalette(own);
    setAutoFillBackground(true);
    m_seek->setRange(0, 0);
    auto *seekStyle = new SeekBarStyle(QStyleFactory::create(m_seek->style()->name()));
    seekStyle->setParent(m_seek);
    m_seek->setStyle(seekStyle);
    m_seek->setFocusPolicy(Qt::NoFocus);
    // While the handle is dragged, the seek happens once, on release.
    m_seek->setTracking(false);
    m_mute->setCheckable(true);
    m_volume->setRange(0, 100);
    m_volume->setValue(100);
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setMaximumWidth(80);
    m_volume->setToolTip(tr("Volume"));
    setTimes(0, 0);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    layout->addWidget(m_playPause);
    layout->addWidget(m_stop);
    layout->addWidget(m_seek, 1);
    layout->addWidget(m_time);
    layout->addWidget(m_mute);
    layout->addWidget(m_volume);

    connect(m_playPause, &QToolButton::clicked, this, &ControlBar::playPauseClicked);
    connect(m_stop, &QToolButton::clicked, this, &ControlBar::stopClicked);
    connect(m_seek, &QSlider::valueChanged, this, &ControlBar::seekSliderChanged);
    connect(m_volume, &QSlider::valueChanged, this, &ControlBar::volumeRequested);
    connect(m_mute, &QToolButton::toggled, this, &ControlBar::muteRequested);
}

void ControlBar::setPlaying(bool playing)
{
    if (playing == m_playing)
        return;
    m_playing = playing;
    m_playPause->setIcon(barIcon(playing ? DrawnIcon::Pause : DrawnIcon::Play));
    m_playPause->setToolTip(playing ? tr("Pause") : tr("Play"));
}

void ControlBar::setTimes(double position, double duration)
{
    const bool known = duration > 0;
    // The player reports its position with every frame; the text changes
    // once a second.
    const std::pair<qint64, qint64> shown { wholeSeconds(position), known ? wholeSeconds(duration) : -1 };
    if (shown != m_shownSeconds) {
        m_shownSeconds = shown;
        m_time->setText(
            formatTime(position) + QStringLiteral(" / ") + (known ? formatTime(duration) : QStringLiteral("--:--")));
    }
    if (m_seek->isSliderDown())
        return;
    const QSignalBlocker quiet(m_seek);
    const int end = known ? int(std::lround(duration * kSliderUnitsPerSecond)) : 0;
    const int value = std::clamp(int(std::lround(position * kSliderUnitsPerSecond)), 0, end);
    // The handle moves a pixel every so many steps: the slider is only
    // drawn again when it does.
    const int span = m_seek->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, m_seek);
    const auto pixel = [&](int v) { return QStyle::sliderPositionFromValue(0, end, v, m_seek->width() - span); };
    if (end == m_seek->maximum() && pixel(value) == pixel(m_seek->value()))
        return;
    m_seek->setRange(0, end);
    m_seek->setValue(value);
}

void ControlBar::setVolume(int percent)
{
    const QSignalBlocker quiet(m_volume);
    m_volume->setValue(percent);
}

void ControlBar::setMuted(bool muted)
{
    const QSignalBlocker quiet(m_mute);
    m_mute->setChecked(muted);
    m_mute->setIcon(barIcon(muted ? DrawnIcon::Muted : DrawnIcon::Volume));
}

qint64 ControlBar::wholeSeconds(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? qint64(seconds) : 0;
}

QString ControlBar::formatTime(double seconds)
{
    const qint64 total = wholeSeconds(seconds);
    const qint64 h = total / 3600;
    const qint64 m = total / 60 % 60;
    const qint64 s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QChar(u'0')).arg(s, 2, 10, QChar(u'0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QChar(u'0'));
}

void ControlBar::seekSliderChanged(int value)
{
    Q_EMIT seekRequested(value / kSliderUnitsPerSecond);
}

} // namespace sky
