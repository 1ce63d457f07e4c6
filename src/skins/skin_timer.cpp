#include "core/module1.h"
#include "platform/colour.h"
#include "platform/runtime_error.h"
#include "skins/form2.h"
#include "skins/skin_rules.h"

namespace sky {

namespace {

constexpr int kTicksPerPicture = 11;
constexpr int kTicksPerBlink = 140;

} // namespace

void Form2::Check2_Click()
{
    m.AutoSkinChange = Check2.Value();
    Command1.setEnabled(Check2.Value() != 1);
}

void Form2::Combo1_Click()
{
    m.SkinIntervalChoice = Combo1.ListIndex();
    if (const std::optional<int> ticks = skinIntervalTicks(Combo1.ListIndex()))
        m.SkinInterval = *ticks;
}

void Form2::Check3_Click()
{
    m.RandomSkin = static_cast<short>(Check3.Value());
}

void Form2::List1_Click()
{
    Image2.setVisible(true);
    Label4.setVisible(true);
}

void Form2::Image2_DblClick()
{
    Image2.setVisible(false);
    Label4.setVisible(false);
}

void Form2::Timer1_Timer()
{
    if (m.AddAllBusy == 0) {
        if (m.PreviewTick <= kTicksPerPicture - 1) {
            ++m.PreviewTick;
        } else {
            m.PreviewTick = 0;
            showNextPreview();
        }
    }
    Label2.setCaption(QStringLiteral("Total Number of Picture(s) = %1").arg(List1.ListCount()));
    if (m.AddAllBusy != 0)
        return;
    if (BlinkTick > kTicksPerBlink) {
        BlinkTick = 0;
        RandomSource &random = services().random;
        random.reseedFromClock();
        Check2.setBackColor(randomColour(random, {0, 255}, {100, 155}, {0, 255}));
        return;
    }
    growPreview();
    ++BlinkTick;
}

void Form2::showNextPreview()
{
    const int n = List1.ListCount();
    if (n == 0) {
        Image2.setPicture(Picture());
        Label4.setCaption(QString());
        return;
    }
    if (m.PreviewIndex >= n)
        m.PreviewIndex = 0;
    int shown = m.PreviewIndex;
    if (Check3.Value() == 1) {
        services().random.reseedFromClock();
        shown = static_cast<int>(n * services().random.next());
    }
    // A picture that is gone leaves the last one in place.
    skipOnError([&] { Image2.setPicture(Picture::load(m.SkinPath[static_cast<std::size_t>(shown)], QSize(146, 98))); });
    Label4.setCaption(QString::number(shown + 1));
    ++m.PreviewIndex;
}

void Form2::growPreview()
{
    switch (GrowStyle) {
    case 1:
        if (Image1.Width() < 2495) {
            Image1.setHeight(1935);
            Image1.setWidth(Image1.Width() + 230);
        }
        break;
    case 2:
        if (Image1.Height() < 1935) {
            Image1.setWidth(2535);
            Image1.setHeight(Image1.Height() + 215);
        }
        break;
    case 0:
        if (Image1.Height() < 1925) {
            Image1.setWidth(Image1.Width() + 280);
            Image1.setHeight(Image1.Height() + 215);
        }
        break;
    default:
        break;
    }
}

} // namespace sky
