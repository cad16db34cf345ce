// Where everything sits on Form1, in twips relative to the control's container (15 twips
// are one pixel at 96 dpi). Pixels are derived from these at the window's dpi.
#pragma once

#include <windows.h>

namespace talvex::layout {

struct TwipsRect {
    int left, top, width, height;
};

inline constexpr int kTwipsPerInch = 1440;

inline constexpr TwipsRect kForm1{0, 0, 6465, 7530};         // client area 431 x 502 px
inline constexpr TwipsRect kPicture1{6840, 5520, 495, 495};  // outside the client area
inline constexpr TwipsRect kFramePlus1{120, 3960, 6135, 2895};
inline constexpr TwipsRect kText1{120, 480, 5895, 2325};  // inside FramePlus1, panel closed
inline constexpr int kText1HeightToolsShown = 1845;       // the panel open
inline constexpr TwipsRect kKeytool[4] = {
    // inside FramePlus1
    {120, 2400, 1335, 375},
    {1560, 2400, 1215, 375},
    {2880, 2400, 1695, 375},
    {4680, 2400, 1215, 375},
};
inline constexpr TwipsRect kCommand1{120, 6960, 1335, 375};
inline constexpr TwipsRect kCommand3{1680, 6960, 1335, 375};
inline constexpr TwipsRect kCommand2{3240, 6960, 1455, 375};
inline constexpr TwipsRect kCommand4{4800, 6960, 1335, 375};
inline constexpr TwipsRect kFramePlus2{120, 960, 6135, 2895};
inline constexpr TwipsRect kList1{120, 480, 5895, 2175};  // inside FramePlus2
inline constexpr TwipsRect kButtonPlus1{5830, 80, 495, 255};
inline constexpr TwipsRect kButtonPlus2{5470, 80, 375, 255};
inline constexpr TwipsRect kCmdpropos{5100, 80, 375, 255};

inline constexpr int kCornerEllipse = 20;  // pixels at 96 dpi
inline constexpr UINT kTimer1IntervalMs = 1000;

inline int ToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}
inline RECT ToPixels(const TwipsRect& r, UINT dpi) {
    const int x = ToPixels(r.left, dpi);
    const int y = ToPixels(r.top, dpi);
    return RECT{x, y, x + ToPixels(r.width, dpi), y + ToPixels(r.height, dpi)};
}

}  // namespace talvex::layout
