#pragma once

// The pictures of the progress strip, by what they show. The operation clock
// says which one a panel shows; ProgressArt draws them.
enum class StripPicture {
    Empty, // imgEmpty
    Connected, // imgConnected
    Disconnected, // imgAnimate1, index 1
    AnimateFrame0, // imgAnimate, four frames of the busy animation
    AnimateFrame1,
    AnimateFrame2,
    AnimateFrame3,
    LampReady, // lamp state 0: lit green
    LampBusy, // lamp state 1: lit amber
    LampOff, // lamp state 2: unlit
    Pause,
    Play,
    Stop,
};

namespace StripPictures {

inline constexpr int kAnimationFrames = 4;

// Frame `index` of the busy animation; indexes outside 0..3 wrap.
StripPicture animationFrame(int index);
// The picture of a lamp in state `imStatus` (0, 1, 2); other values show it unlit.
StripPicture lampPicture(int imStatus);

} // namespace StripPictures
