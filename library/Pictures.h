// Picture helpers for scripts: loading and saving an image control's picture, clearing
// pictures, copying window and screen pixels into pictures, the system's standard icons.
// Main thread only.
#pragma once

#include <cstdint>
#include <string_view>

namespace vcl {
class TImage;
class TPicture;
class TCustomForm;
}  // namespace vcl

namespace library {

// The file (existing name first, else its placeholders expanded) into the control's
// picture, its kind by extension. Throws on a missing file or an unknown format.
void loadImage(vcl::TImage& control, std::string_view fileName);
// The control's picture into the file (existing name first) in the picture's own format;
// a Targa picture is always written as a Targa file. An empty picture writes nothing.
void saveImage(vcl::TImage& control, std::string_view fileName);
// True when the control has no picture afterwards.
bool clearImage(vcl::TImage* control);
void freeGraphic(vcl::TPicture* picture);
// Width by Height pixels at (Left, Top) of the window with that id (0: the whole screen)
// into a new bitmap in `dest`. An unknown window id leaves `dest` as it is.
void copyWindowTo(vcl::TPicture* dest, int32_t window, int32_t left, int32_t top, int32_t width,
                  int32_t height);
// The form's client area as a bitmap; nothing when either is null.
void getFormImage(vcl::TCustomForm* form, vcl::TPicture* dest);
// 0 application, 1 information, 2 exclamation, 3 error, 4 question, 5 the system's logo;
// any other id leaves the picture as it is.
void loadWinIco(int32_t id, vcl::TPicture* picture);

}  // namespace library
