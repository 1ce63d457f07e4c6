#pragma once

#include "flash/shared_object_folder.h"
#include "platform/control.h"
#include "swf/movieplayer.h"

#include <optional>
#include <utility>

class QTimer;

namespace sky {

// ShockwaveFlash1: plays a SWF movie in its rectangle, scaled to show all of
// it, at the movie's frame rate, and its sound through the form's sound
// output. Frames count from 1: CurrentFrame is 1 on the first frame, and
// GotoFrame(n) shows frame n. GotoFrame, Back, Forward and Rewind move the
// main timeline as the movie's own gotos do: the scripts of the frame
// reached run, and may take the movie on to another frame.
class ShockwaveFlash : public Control
{
public:
    ShockwaveFlash(Form &form, const QString &name, Control *container = nullptr);
    ~ShockwaveFlash() override;

    // Assigning a path loads that movie; a file that is no movie leaves the
    // movie that was there.
    void setMovie(const QString &path);
    QString Movie() const { return m_path; }
    // Movies are always read from their file, whatever the caller asks.
    void setEmbedMovie(bool) {}
    void setPlaying(bool playing);
    bool Playing() const { return m_player.isPlaying(); }

    void Play();
    void Stop();
    void Back();
    void Forward();
    void Rewind();
    // Throw when no movie is loaded.
    int TotalFrames() const;
    void GotoFrame(int frame);
    int CurrentFrame() const;

    // One frame period of the movie; the timer calls it at the frame rate.
    // The main timeline moves on only while playing; the movie's clips and
    // scripts run all the time, as the movie's own buttons may need them.
    void advance();

    // The mouse and the keyboard over the control, positions in its own
    // pixels: the movie gets them at the stage point drawn there. Only the
    // left button presses; moves and releases outside the control, while a
    // button holds the pointer, are over nothing of the movie. The right and
    // middle buttons are the player's: scripts see them held through
    // Key.isDown (keys 2 and 4), and the right one opens no menu.
    // A left press the system tells as a double click, or that comes soon
    // after one and near it (`timestamp` in milliseconds), selects a word
    // or a line of a text field.
    void mouseMoved(const QPointF &pos);
    void mousePressed(const QPointF &pos, Qt::MouseButton button, quint64 timestamp, bool doubleClick = false);
    void mouseReleased(const QPointF &pos, Qt::MouseButton button);
    void mouseLeft();
    // The wheel turned, in eighths of a degree, away from the user for
    // positive ones.
    void wheelTurned(int eighthsOfDegree);
    void keyPressed(int qtKey, const QString &text);
    // Tab or Shift+Tab: the movie's next input field, button or clip takes
    // the keyboard's focus; false when Tab goes on to the window's next
    // control, from the movie's last object or a movie without any. The
    // control is then a Tab stop only while the movie has such objects.
    bool tabPressed(bool backward);
    void keyReleased(int qtKey, const QString &text);
    const swf::MoviePlayer &player() const { return m_player; }

    // The caret of the text field with the keyboard's focus blinks: the
    // blink timer calls this every half period. A key or a press shows it
    // again at once and starts the period over. While the control does not
    // have the window's focus, the caret is hidden and rests.
    void caretBlinked();
    bool caretShown() const;
    void focusChanged(bool focused, Qt::FocusReason reason);

    void formUnloaded() override;

private:
    class View;
    void requireMovie() const;
    void updateTimer();
    // After input or a frame: the picture and the pointer's shape.
    void inputDone();
    void otherButton(Qt::MouseButton button, bool down);
    void showCaret();
    void startBlinking();

    // Declared before the player, which writes to it as its movie ends.
    SharedObjectFolder m_sharedObjects;
    View *m_view;
    QTimer *m_timer;
    QTimer *m_caretTimer;
    bool m_caretShown = true;
    swf::MoviePlayer m_player;
    QString m_path;
    bool m_justLoaded = false;
    int m_clicks = 0; // left presses in a row
    std::optional<std::pair<quint64, QPointF>> m_lastPress;
};

} // namespace sky
