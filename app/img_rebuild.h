#pragma once
// `tamberlin img rebuild ARCHIVE`: writes the archive anew without holes, its data in directory
// order (imgarchive/rebuild.h), with progress on the error stream and a summary on `out`.

#include <string>

namespace tamberlin {

struct ImgContext;

/// Rebuilds `archive`; returns 0 when done. Failures are thrown as RuntimeError, after the
/// progress line is ended.
int imgRebuild(ImgContext& c, const std::string& archive);

}  // namespace tamberlin
