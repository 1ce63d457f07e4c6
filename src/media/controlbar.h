#pragma once

#include <QWidget>
#include <utility>

class QLabel;
class QSlider;
class QToolButton;

namespace sky {

// The player's own transport strip: play/pause, stop, a seek slider with
// elapsed and total time, volume and mute. It only shows what it is told and
// reports what the user does; the engine behind it decides what happens.
class ControlBar : public QWidget
{
    Q_OBJECT

public:
    explicit ControlBar(QWidget *parent = nullptr);

    void setPlaying(bool playing);
    // Positions in seconds; a duration of 0 or less means "unknown".
    void setTimes(double position, double duration);
    void setVolume(int percent);
    void setMuted(bool muted);

    // "m:ss", or "h:mm:ss" from one hour on.
    static QString formatTime(double seconds);

Q_SIGNALS:
    void playPauseClicked();
    void stopClicked();
    void seekRequested(double seconds);
    void volumeRequested(int percent);
    void muteRequested(bool muted);

private:
    static qint64 wholeSeconds(double seconds);
    void seekSliderChanged(int value);

    QToolButton *m_playPause;
    QToolButton *m_stop;
    QSlider *m_seek;
    QLabel *m_time;
    QToolButton *m_mute;
    QSlider *m_volume;
    bool m_playing = false;
    std::pair<qint64, qint64> m_shownSeconds { -1, -2 }; // position, length (-1: unknown)
};

} // namespace sky
