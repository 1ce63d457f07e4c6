#pragma once

#include "core/number_or_text.h"
#include "platform/units.h"

#include <QString>

#include <array>

namespace sky {

inline constexpr int kMaxPlaylistEntries = 50;
inline constexpr int kMaxSkins = 80;
inline constexpr int kFreeShuffleSlot = 100;

// The state that the player's windows share, with the start value of every
// variable. A number-or-text value read from the settings file counts as its
// start value when it does not fit the type it is used as: a 16-bit integer
// unless its range is given. The program owns one and passes it by reference; assigning a
// fresh Module1 gives every variable its start value.
struct Module1
{
    Module1();

    // Options.
    NumberOrText ScrollTitle = 1;
    NumberOrText ThemeOption = 0;
    NumberOrText VideoDisplaySize{4, kInt32Range};
    QString FixedButtonColour = QStringLiteral("9869050"); // red 250, green 150, blue 150
    NumberOrText TimeInTitle = 1;
    NumberOrText StopColourChange = 0;
    NumberOrText SaveSettings = 0;
    NumberOrText ShowTipsAtStartup = 0;

    // Skins.
    std::array<QString, kMaxSkins + 1> SkinPath;
    std::array<QString, kMaxSkins + 1> SkinName;
    NumberOrText SkinCount{0, {0, kMaxSkins}};
    NumberOrText SkinIndex = 0;
    NumberOrText AutoSkinChange = 0;
    short RandomSkin = 0;
    NumberOrText SkinIntervalChoice = 1;
    NumberOrText SkinInterval{300, kInt32Range};
    NumberOrText SkinTick{0, kInt32Range};
    short SkinFitMode = 1;
    NumberOrText SkinDisplayMode; // empty until chosen
    short SkinSlotsUsed = 0;
    double SkinListColour = 13172660; // red 180, green 255, blue 200; a 32-bit colour value
    short AnimatePreview = 0;

    // Playback and playlist.
    short PlayerStopped = kTrue;
    int MediaPlayerShown = 0;
    std::array<QString, kMaxPlaylistEntries + 1> PlaylistPath;
    std::array<QString, kMaxPlaylistEntries + 2> PlaylistName;
    int PlaylistCount = 0;
    short PlaylistIndex = 0;
    int PlaylistRestart = 0;
    short ShuffleOn = 0;
    std::array<int, kMaxPlaylistEntries + 2> ShuffleOrder{}; // 100 = free
    double LastShufflePick = 0;
    bool ShufflePicked = true;
    QString CurrentFileName;
    short ABRepeatValue = 0;
    int ABButtonShown = 0;
    bool ABActive = false;
    double PointA = 0;
    double PointB = 0;
    short RandomNameColour = kTrue;

    // Title bar.
    QString TitleText;
    QString TitleScroll;
    int TitleScrollLen = 190;

    // Main-timer effects.
    int ColourStep = 0;
    short ColourFalling = 0;
    int ColourLevel = 0;
    QString FileNameWork;

    // Main-window background size, empty until the first resize.
    float BackImageWidth = 0;
    float BackImageHeight = 0;

    // Hand-overs between the skin manager and the main window.
    QString SkinPicturePath;
    int SkinChosen = 0;
    int SkinWindowReshown = 1;
    int AddAllBusy = 0;
    int PreviewIndex = 0;
    short PreviewTick = 0;
    int PlaylistControlsShown = 1;
};

// Takes entry `index` out of slots 0 to `last`: the entries after it move up
// one slot and slot `last` becomes free ("").
template<std::size_t N>
void removeSlot(std::array<QString, N> &slots, int index, int last)
{
    for (int i = index; i < last; ++i)
        slots[static_cast<std::size_t>(i)] = slots[static_cast<std::size_t>(i) + 1];
    slots[static_cast<std::size_t>(last)] = QString();
}

// 161 blanks and the product title.
QString productTitleText();

} // namespace sky
