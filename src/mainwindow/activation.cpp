#include "core/module1.h"
#include "core/program.h"
#include "mainwindow/form1.h"
#include "platform/colour.h"
#include "platform/runtime_error.h"
#include "skins/picture_fitting.h"

namespace sky {

namespace {

constexpr float kChangeSkinTop = 5160;

} // namespace

void Form1::Form_Activate()
{
    // Every step is applied even when one before it failed.
    skipOnError([&] { Check4.setVisible(m.ThemeOption == 1); });
    skipOnError([&] {
        if (Check4.Visible()) {
            if (Check4.Value() == 1) {
                showEveryControl(false);
                Check4.setVisible(true);
                Command2.setVisible(true);
                Image1.setVisible(true);
            } else {
                showMediaPlayerView();
            }
            return;
        }
        for (Control *group : {&Command3, &Command4, &Command5, &Command8})
            group->setVisible(true);
        Command2.setTop(kChangeSkinTop);
        Command2.setVisible(true);
        colourBrowserLists(rgb(150, 150, 250), rgb(200, 205, 250));
    });
    skipOnError([&] { MediaPlayer1.setDisplaySize(static_cast<long>(m.VideoDisplaySize.value())); });
    if (m.SkinChosen == 1) {
        skipOnError([&] {
            if (m.SkinDisplayMode == 0)
                Image1.setStretch(false);
        });
        skipOnError([&] {
            if (m.SkinDisplayMode == 1) {
                Image1.setWidth(m.BackImageWidth);
                Image1.setHeight(m.BackImageHeight);
            }
        });
        Image1.setStretch(true);
        if (m.AutoSkinChange == 0 && !m.SkinPicturePath.isEmpty()) {
            // A picture that cannot be read leaves the old one; the colour
            // and the layout still follow.
            skipOnError([&] { Image1.setPicture(Picture::load(m.SkinPicturePath)); });
            setBackColor(randomColour(services().random, 155));
            if (m.SkinFitMode == 2) {
                fitSkinPicture(Image1, ScaleWidth(), ScaleHeight());
            } else {
                Image1.setTop(0);
                Image1.setLeft(0);
            }
        }
    }
    if (m.SkinWindowReshown == 0)
        m_program.showSkinManager();
    m.SkinWindowReshown = 1;
}

void Form1::showEveryControl(bool visible)
{
    for (Control *control : Controls())
        if (control->hasVisibility())
            control->setVisible(visible);
}

void Form1::showMediaPlayerView()
{
    showEveryControl(true);
    Text1.setVisible(false);
    for (Control *hidden : {&Command3, &Command4, &Command5, &Command8, &Command2})
        hidden->setVisible(false);
    Command14.setVisible(m.ABButtonShown == 1);
    colourBrowserLists(rgb(250, 150, 150), rgb(250, 150, 150));
}

void Form1::colourBrowserLists(long drive, long lists)
{
    Drive1.setBackColor(drive);
    File1.setBackColor(lists);
    Dir1.setBackColor(lists);
}

} // namespace sky
