// The run as one self-contained HTML page: every folder's focus curves, the picked image beside
// its neighbour, and the warnings, for checking a batch by eye.
#pragma once

#include <functional>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "folder_scores.h"

namespace bestfocus {

struct ReportMethod {
    int code = 0;
    std::string name;
};

// What the page's header says about the run.
struct ReportRun {
    std::vector<ReportMethod> methods;  // in the order they were asked for
    std::string base_folder;            // as given, the prefix of every folder path
    int first_folder = 0;
    int last_folder = 0;
    std::string engine;
    double elapsed_seconds = 0.0;
};

// The decoded 8-bit grayscale image at that place; an empty matrix when it cannot be read (the
// page then says so in place of its thumbnail).
using ReportImageSource = std::function<cv::Mat(const ImageLocation& image)>;

// The pictures of a tiled folder's card: its depth map as a heat map (depth_heat_map.h) and its
// all-in-focus image, each as a data URI of the embedded picture (preview_data_uri), with the
// image numbers the heat map's colours run from and to.
struct TilePictures {
    std::string depth_map;
    cv::Size depth_map_size;
    std::string all_in_focus;
    cv::Size all_in_focus_size;
    std::string confidence_map;  // at the depth map's size
};
// A tiled folder's pictures; null for a folder without them.
using ReportTilePictures = std::function<const TilePictures*(const FolderScores& folder)>;

// The page: a header with the run and the counts of flagged folders, then one card per folder,
// flagged folders first (each group in the given order), with a checkbox that hides the others
// by CSS alone. Every card holds the folder's curves (focus_curve_svg), thumbnails of the first
// method's pick and of its better-scoring neighbour, and each method's pick, focus estimate and
// warnings, each stack and image named by the path the scan read it from. The page loads nothing
// (its content security policy forbids scripts and any fetch); the thumbnails are data URIs. Each
// image shown is read once through load_image.
// A tiled folder's card also shows its depth map, with its colour scale in image numbers and its
// flat tiles hatched, and its all-in-focus image, both opening large like the thumbnails.
std::string html_report(const ReportRun& run, const std::vector<FolderScores>& folders,
                        const ReportImageSource& load_image,
                        const ReportTilePictures& tile_pictures = nullptr);

}  // namespace bestfocus
