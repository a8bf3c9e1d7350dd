#pragma once

// The Qt display: the one real implementation of the kit's display seam. The
// program's main installs it before anything else runs:
//
//     seam::Install(&display::Qt());
//
// This header carries no Qt types.

#include <kit/interface/DisplaySeam.h>

namespace display {

// The process's one Qt display. Thread: any.
seam::Display& Qt();

} // namespace display
