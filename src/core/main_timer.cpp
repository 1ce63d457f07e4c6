#include "core/module1.h"
#include "mainwindow/form1.h"
#include "platform/runtime_error.h"
#include "playlist/shuffle.h"

namespace sky {

namespace {

// The used length of the playlist: the first empty slot among 0 to 49.
int usedPlaylistLength(const Module1 &m)
{
    for (int i = 0; i < kMaxPlaylistEntries; ++i)
        if (m.PlaylistPath[static_cast<std::size_t>(i)].isEmpty())
            return i;
    return kMaxPlaylistEntries;
}

const QString &entryPath(const Module1 &m, int index)
{
    static const QString none;
    if (index < 0 || index > kMaxPlaylistEntries)
        return none;
    return m.PlaylistPath[static_cast<std::size_t>(index)];
}

} // namespace

void Form1::Timer1_Timer()
{
    // Every tick: a number formatted through QString::arg costs a locale
    // lookup each time.
    Label1.setCaption(List1.Visible() ? QStringLiteral("Total file(s) = ") + QString::number(List1.ListCount())
                                      : QString());

    const long state = MediaPlayer1.PlayState();
    if (state == MediaEngine::Paused || state == MediaEngine::Playing) {
        if (Check4.Value() == 0) {
            m.CurrentFileName = paths().bareName(MediaPlayer1.FileName());
            Label3.setCaption(m.CurrentFileName);
            Label4.setCaption(m.CurrentFileName);
        } else {
            Label3.setCaption(QString());
            Label4.setCaption(QString());
        }
    }

    if (m.PlayerStopped != kTrue) {
        if (Check1.Value() == 1 && Check2.Value() == 0 && MediaPlayer1.PlayState() == MediaEngine::Stopped)
            playSelectedFile();
        if (Check2.Value() == 1)
            advancePlaylist();
    }
    runEffects();

    Check5.setVisible(MediaPlayer1.Visible());
    if (m.ABActive && MediaPlayer1.CurrentPosition() > m.PointB)
        MediaPlayer1.setCurrentPosition(m.PointA);
}

bool Form1::itemHasEnded()
{
    const long state = MediaPlayer1.PlayState();
    return state == MediaEngine::Stopped || state == MediaEngine::Closed;
}

void Form1::playEntry(int index)
{
    MediaPlayer1.setDisplaySize(static_cast<long>(m.VideoDisplaySize.value()));
    MediaPlayer1.setFileName(entryPath(m, index));
}

void Form1::selectEntry(int index)
{
    // The list's own click handling runs as for a user's selection.
    skipOnError([&] { List1.setListIndex(index); });
}

bool Form1::advancePlaylist()
{
    if (!Check4.Visible())
        Command5.setVisible(true);
    Command1.setEnabled(false);

    PlaylistDraw draw = workOutPlaylistDraw();
    bool started = false;
    if (m.PlaylistRestart == 1 || Check1.Value() == 1) {
        m.PlaylistRestart = 0;
        if (itemHasEnded()) {
            const int i = m.PlaylistIndex;
            if (entryPath(m, i).isEmpty()) {
                if (i >= draw.used)
                    m.PlaylistIndex = 0;
            } else if (Check3.Value() != 1) {
                playEntry(i);
                selectEntry(i);
                m.PlaylistIndex = static_cast<short>(i + 1);
                started = true;
            } else {
                started = shuffleStep(true, draw);
            }
        }
    }
    // One tick starts one item at most: the in-order block waits for the
    // next tick when the block above has just started one.
    if (!started && Check1.Value() == 0 && m.PlaylistIndex < draw.used && itemHasEnded()
        && !entryPath(m, m.PlaylistIndex).isEmpty()) {
        if (Check3.Value() != 1) {
            playEntry(m.PlaylistIndex);
            selectEntry(m.PlaylistIndex);
            m.PlaylistIndex = static_cast<short>(m.PlaylistIndex + 1);
            started = true;
        } else {
            draw = workOutPlaylistDraw();
            started = shuffleStep(false, draw);
        }
    }
    return started;
}

bool Form1::canSkipEntry(int step)
{
    const int n = usedPlaylistLength(m);
    if (Check2.Value() != 1 || n == 0)
        return false;
    const bool repeat = Check1.Value() == 1;
    if (Check3.Value() == 1) {
        const int played = firstFreeShuffleSlot(m.ShuffleOrder);
        return step > 0 ? played < n || repeat : played >= 2;
    }
    // In order, PlaylistIndex is the entry after the one playing.
    return step > 0 ? m.PlaylistIndex < n || repeat : m.PlaylistIndex >= 2;
}

void Form1::skipEntry(int step)
{
    if (!canSkipEntry(step))
        return;
    if (Check3.Value() == 1 && step > 0) {
        // A finished cycle starts again first (Repeat is on).
        if (!shuffleStep(true, workOutPlaylistDraw()))
            shuffleStep(true, workOutPlaylistDraw());
        return;
    }
    if (Check3.Value() == 1) {
        // Back to the pick before the one playing, which counts as unplayed
        // again.
        const auto played = static_cast<std::size_t>(firstFreeShuffleSlot(m.ShuffleOrder));
        const int current = m.ShuffleOrder[played - 1];
        const int before = m.ShuffleOrder[played - 2];
        m.ShuffleOrder[played - 1] = kFreeShuffleSlot;
        List1.setList(current, m.PlaylistName[static_cast<std::size_t>(current)]);
        m.LastShufflePick = before;
        selectEntry(before);
        playEntry(before);
        return;
    }
    int index = step > 0 ? m.PlaylistIndex : m.PlaylistIndex - 2;
    if (index >= usedPlaylistLength(m))
        index = 0;
    playEntry(index);
    selectEntry(index);
    m.PlaylistIndex = static_cast<short>(index + 1);
}

Form1::PlaylistDraw Form1::workOutPlaylistDraw()
{
    RandomSource &random = services().random;
    random.reseedFromClock();
    return {usedPlaylistLength(m), firstFreeShuffleSlot(m.ShuffleOrder), static_cast<int>(2 * random.next())};
}

bool Form1::shuffleStep(bool withReset, const PlaylistDraw &draw)
{
    const int k = static_cast<int>(draw.used * services().random.next());
    m.ShufflePicked = true;
    if (draw.freeSlot >= draw.used) {
        // Every entry has been played in this cycle.
        m.ShufflePicked = false;
        if (withReset) {
            resetShuffleOrder();
            resyncPlaylistLines();
            m.ShufflePicked = true;
        }
        return false;
    }
    const std::optional<int> pick = pickShuffleEntry(m.ShuffleOrder, draw.used, draw.freeSlot, draw.direction, k);
    if (!pick)
        return false;
    m.LastShufflePick = *pick;
    List1.setList(*pick, QStringLiteral(" #  ") + m.PlaylistName[static_cast<std::size_t>(*pick)]);
    selectEntry(*pick);
    playEntry(*pick);
    return true;
}

} // namespace sky
