#include "skins/picture_fitting.h"

#include "platform/picture.h"

namespace sky {

namespace {

// HIMETRIC units per twip as the fitting has always counted them.
constexpr double kHimetricPerTwip = 1.76;

} // namespace

FittedBox fitPicture(long pictureWidth, long pictureHeight, float naturalWidth, float naturalHeight,
                     float clientWidth, float clientHeight)
{
    const double W = clientWidth;
    const double H = clientHeight;
    float width = naturalWidth;
    float height = naturalHeight;
    const auto ph = static_cast<float>(pictureHeight / kHimetricPerTwip);
    const auto pw = static_cast<float>(pictureWidth / kHimetricPerTwip);
    if (ph > H || pw > W) {
        const double pwd = pictureWidth / kHimetricPerTwip;
        const double phd = pictureHeight / kHimetricPerTwip;
        if (pwd / W < phd / H) {
            height = static_cast<float>(phd * H / phd);
            width = static_cast<float>(pwd * H / phd);
        } else if (static_cast<float>(width / W) >= static_cast<float>(ph / W)) {
            width = static_cast<float>(pwd * W / pwd);
            height = static_cast<float>(phd * W / pwd);
        }
    }
    return FittedBox{static_cast<float>((W - width) / 2), static_cast<float>((H - height) / 2), width, height};
}

void fitSkinPicture(Image &image, float clientWidth, float clientHeight)
{
    if (clientWidth <= 0 || clientHeight <= 0 || image.picture().isNull())
        return;
    image.setStretch(false);
    const FittedBox box = fitPicture(image.picture().Width(), image.picture().Height(), image.Width(),
                                     image.Height(), clientWidth, clientHeight);
    image.setHeight(box.height);
    image.setWidth(box.width);
    image.setTop(box.top);
    image.setLeft(box.left);
    image.setStretch(true);
}

} // namespace sky
