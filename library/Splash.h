// The picture show's library routines: a splash picture animated in over the desktop (and
// out again), and loading a show's two pictures with its effect. Thread: main.
#pragma once

#include <string>
#include <utility>

namespace vcl {
class TPicShow;
class TPicture;
}  // namespace vcl

namespace library {

// The effects the splash uses: each given style when it lies in 0..149, else 61 for the
// way in and 62 for the way out.
std::pair<int, int> splashStyles(int style1, int style2);

// Shows `fileName` (placeholders expanded) or else `picture` on a borderless form centred
// on the screen, over a capture of the desktop beneath it where the desktop allows one
// (a plain background where it does not); waits `timeMs`, and with `reverse` animates the
// desktop back in. Does nothing without a picture; failures are not reported.
void splashScreen(const std::string& fileName, vcl::TPicture* picture, bool reverse, int style1, int style2,
                  int timeMs);

// Loads the show's Picture and BgPicture from the files (placeholders expanded) and sets its
// Style; a file that cannot be loaded throws.
void loadPicShowPicsAnim(vcl::TPicShow& show, const std::string& bgPicture, const std::string& picture,
                         int style);

}  // namespace library
