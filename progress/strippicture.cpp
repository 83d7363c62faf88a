#include "strippicture.h"

namespace StripPictures {

StripPicture animationFrame(int index)
{
    const int frame = ((index % kAnimationFrames) + kAnimationFrames) % kAnimationFrames;
    return static_cast<StripPicture>(static_cast<int>(StripPicture::AnimateFrame0) + frame);
}

StripPicture lampPicture(int imStatus)
{
    switch (imStatus) {
    case 0:
        return StripPicture::LampReady;
    case 1:
        return StripPicture::LampBusy;
    default:
        return StripPicture::LampOff;
    }
}

} // namespace StripPictures
