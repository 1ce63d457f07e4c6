#include "core/module1.h"
#include "mainwindow/form1.h"
#include "platform/colour.h"
#include "platform/runtime_error.h"
#include "skins/picture_fitting.h"

#include <cmath>

namespace sky {

namespace {

const QString kFullBar = QStringLiteral("nnnnnnnnnn");
constexpr int kTitlePass = 190;
constexpr int kFixedTitleLength = 60;

// The part of the title bar text that shows: its last `length` characters.
QString lastChars(const QString &text, int length)
{
    return length <= 0 ? QString() : text.right(length);
}

// The PLAY button's fixed colour; a hand-edited number beyond any colour
// value gives the start colour.
long fixedButtonColour(const QString &text)
{
    const std::optional<double> colour = parseSettingsNumber(text, kInt32Range);
    return colour ? static_cast<long>(std::nearbyint(*colour)) : 9869050;
}

} // namespace

void Form1::runEffects()
{
    if (m.ColourStep > 255) {
        // A quiet tick: the colours turn round and nothing changes.
        m.ColourStep = 0;
        m.ColourFalling = static_cast<short>(1 - m.ColourFalling);
    } else {
        m.ColourLevel = m.ColourFalling == 1 ? 255 - m.ColourStep : m.ColourStep;
        cycleColours(m.ColourLevel);
        scrollTitle();
    }
    ++m.ColourStep;
    if (m.AutoSkinChange == 1)
        changeSkinAutomatically();
}

void Form1::cycleColours(int level)
{
    const int L = level;
    if (m.StopColourChange == 0)
        Command1.setBackColor(rgb(200, 255 - L, L));
    else
        Command1.setBackColor(fixedButtonColour(m.FixedButtonColour));
    Check1.setBackColor(rgb(L, 200, L));

    if (MediaPlayer1.PlayState() != MediaEngine::Playing || Label3.Caption().isEmpty()) {
        Label2.setCaption(QString());
        return;
    }
    Label2.setForeColor(rgb(L, 10, 255 - L));
    Label4.setForeColor(rgb(255 - L, 10, L));
    if (m.RandomNameColour == kTrue) {
        Label3.setForeColor(randomColour(services().random, {100, 150}, {200, 50}, {100, 150}));
    }
    if (Label2.Caption() != kFullBar) {
        Label2.setCaption(Label2.Caption() + QLatin1Char('n'));
    } else {
        Label2.setAlignment(Label2.Alignment() >= 2 ? 0 : Label2.Alignment() + 1);
        Label2.setCaption(QString());
    }
}

void Form1::scrollTitle()
{
    const QString time = m.TimeInTitle == 1 ? services().clock.timeOfDay() : QString();
    if (m.ScrollTitle == 1) {
        setCaption(time + lastChars(m.TitleScroll, m.TitleScrollLen));
    } else {
        setCaption(time + lastChars(m.TitleScroll, kFixedTitleLength));
        m.TitleScrollLen = 0;
    }
    if (m.TitleScrollLen < 1) {
        const QString blanks(166, QLatin1Char(' '));
        const bool showName = MediaPlayer1.PlayState() == MediaEngine::Playing && Check2.Value() == 1
            && List1.ListCount() > 0 && (m.PlaylistIndex != 0 || m.LastShufflePick != -1);
        if (m.ShuffleOn == 1)
            m.TitleScroll = showName ? blanks + m.CurrentFileName : m.TitleText;
        else
            m.TitleScroll = blanks + m.CurrentFileName;
        m.TitleScrollLen = kTitlePass;
    }
    --m.TitleScrollLen;
}

void Form1::changeSkinAutomatically()
{
    if (m.SkinTick > m.SkinInterval) {
        m.SkinTick = 0;
        m.SkinSlotsUsed = kMaxSkins;
        for (int i = 0; i < kMaxSkins; ++i) {
            if (m.SkinPath[static_cast<std::size_t>(i)].isEmpty()) {
                m.SkinSlotsUsed = static_cast<short>(i);
                break;
            }
        }
        RandomSource &random = services().random;
        random.reseedFromClock();
        if (m.SkinDisplayMode == 0) {
            Image1.setStretch(false);
        } else if (m.SkinDisplayMode == 1) {
            Image1.setWidth(m.BackImageWidth);
            Image1.setHeight(m.BackImageHeight);
            Image1.setStretch(true);
        }
        if (m.SkinIndex >= m.SkinSlotsUsed)
            m.SkinIndex = 0;
        const auto index = static_cast<std::size_t>(std::clamp(static_cast<int>(m.SkinIndex), 0, kMaxSkins));
        if (!m.SkinPath[index].isEmpty()) {
            Image1.setVisible(false);
            setBackColor(randomColour(random, 150));
            std::size_t chosen = index;
            if (m.RandomSkin == 1)
                chosen = static_cast<std::size_t>(std::clamp(static_cast<int>(m.SkinSlotsUsed * random.next()), 0, kMaxSkins));
            // A picture that cannot be loaded leaves the previous one.
            skipOnError([&] { Image1.setPicture(Picture::load(m.SkinPath[chosen])); });
            if (m.SkinFitMode != 2) {
                Image1.setLeft(0);
                Image1.setTop(0);
            } else {
                fitSkinPicture(Image1, ScaleWidth(), ScaleHeight());
            }
        }
        Image1.setVisible(true);
        m.SkinIndex = m.SkinIndex + 1;
    }
    m.SkinTick = m.SkinTick + 1;
}

} // namespace sky
