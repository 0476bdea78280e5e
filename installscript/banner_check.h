#pragma once
// Whether a banner picture's bytes are one the wizard's picture loaders can decode, told from the
// bytes without a window toolkit: the structure of a JPEG, PNG, GIF or BMP file is walked and
// checked (markers, chunks and their lengths, the picture's size), not its pixels; a TIFF file
// by its byte order mark only.

#include <string>

namespace tamberlin {

/// What keeps the wizard from decoding `bytes` as a picture; empty when its structure is sound.
std::string bannerProblem(const std::string& bytes);

}  // namespace tamberlin
