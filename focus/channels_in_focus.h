// The all-in-focus image of every channel of a several-channel microscope file's stack: each pixel
// of a channel taken from that channel's plane at the image the focus channel's all-in-focus
// image chose there (PixelMaps::chosen), so that the channels stay in register.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "folder_scores.h"

namespace bestfocus {

// Every channel's image over the folder's measured area, in channel order; the focus channel's is
// `focused` itself. Each other channel's planes are read a plane at a time, as the focus channel's
// were. False, with *problem set, when a plane cannot be read or differs in size or depth from the
// focus channel's.
bool channels_in_focus(const FolderScores& folder, const cv::Mat& focused,
                       const std::vector<std::uint16_t>& chosen, std::vector<cv::Mat>* channels,
                       std::string* problem);

}  // namespace bestfocus
