// Icon file data as the class library's icon reads and writes it: exactly one file taken from
// a stream, its directory checked before the images are read, and a file written for an icon
// handle that has no file data.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/vcl/Classes.h"

namespace vcl::ico {

// The bytes of one icon or cursor file from the stream's position (the directory and every
// image it names, nothing after them; an image that the directory counts without its AND rows
// whole, where the stream holds them). EInvalidGraphic "Icon image is not valid" for a file
// that is damaged or claims more than the stream holds; the stream is then left anywhere.
std::vector<std::byte> Read(TStream* Stream);

// An icon file with one image of the handle's bitmaps: paletted and 24-bit images keep their
// depth, others are written at 32 bits with the mask in the alpha channel too.
std::vector<std::byte> Write(HICON Icon);

}  // namespace vcl::ico
