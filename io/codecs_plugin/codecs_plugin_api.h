// The functions the OpenCV codecs plugin exports, looked up by name after dlopen. Matrices and
// vectors cross as pointers: the plugin and the tool link the same OpenCV core. No exception
// leaves the plugin.
#pragma once

#include <vector>

namespace cv {
class Mat;
}

extern "C" {
// imread (page < 0) or one page of imreadmulti, with the flags given; false when OpenCV cannot
// decode the file or the page.
using BestfocusCodecsRead = bool (*)(const char* file, int page, int flags, cv::Mat* image);
// imcount with the flags given; 0 when OpenCV cannot count the file's images.
using BestfocusCodecsCount = int (*)(const char* file, int flags);
// imencode of the image, scaled to width x height (resize, INTER_AREA) unless it has that size,
// as a JPEG of the quality given; false when it cannot be scaled or encoded.
using BestfocusCodecsEncodeJpeg = bool (*)(const cv::Mat* image, int width, int height,
                                           int quality, std::vector<unsigned char>* bytes);
}

// The names the plugin exports them under.
#define BESTFOCUS_CODECS_READ "bestfocus_codecs_read"
#define BESTFOCUS_CODECS_COUNT "bestfocus_codecs_count"
#define BESTFOCUS_CODECS_ENCODE_JPEG "bestfocus_codecs_encode_scaled_jpeg"
