// OpenCV's image codecs, reached through our plugin (codecs_plugin/), loaded the first time a file
// needs them. The plugin is the shared library kCodecsPluginName beside the running executable's
// real file, or beside the shared library that holds this code when it is one (a Python extension
// module), links resolved.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

namespace bestfocus {

constexpr const char* kCodecsPluginName = "libbestfocus_opencv_codecs.so";

// Where the plugin is looked for; empty when the file of this code cannot be found.
std::string codecs_plugin_path();

// Why the plugin cannot be used ("<path>: <loader's message>"), or empty once it is loaded. Loads
// it on the first call.
std::string codecs_problem();

// OpenCV's imread / imreadmulti (page >= 0) with these flags; empty when the file cannot be
// decoded or the plugin cannot be loaded.
cv::Mat codecs_read(const std::string& file, int page, int flags);

// OpenCV's imcount; 0 when it cannot count them or the plugin cannot be loaded.
int codecs_count(const std::string& file, int flags);

// The image scaled to that size (OpenCV's INTER_AREA) as a JPEG of that quality; false when it
// cannot be scaled or encoded, or the plugin loaded.
bool codecs_encode_jpeg(const cv::Mat& image, cv::Size size, int quality,
                        std::vector<unsigned char>& jpeg);

}  // namespace bestfocus
