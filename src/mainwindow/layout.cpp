#include "core/module1.h"
#include "mainwindow/form1.h"
#include "skins/picture_fitting.h"

namespace sky {

namespace {

constexpr float kMinimumWidth = 8900;
constexpr float kMinimumHeight = 7070;
constexpr float kMinimizedHeight = 360;
// Taken from the outer height for the picture in "None" and "Stretch".
constexpr float kHeightAllowance = 425;

} // namespace

void Form1::Form_Resize()
{
    if (Height() != kMinimizedHeight) {
        if (Width() < kMinimumWidth)
            setWidth(kMinimumWidth);
        if (Height() < kMinimumHeight)
            setHeight(kMinimumHeight);
        m.BackImageWidth = Width();
        m.BackImageHeight = Height() - kHeightAllowance;
    }
    if (m.SkinFitMode == 2) {
        fitSkinPicture(Image1, ScaleWidth(), ScaleHeight());
    } else {
        Image1.setWidth(m.BackImageWidth);
        Image1.setHeight(m.BackImageHeight);
    }
}

} // namespace sky
