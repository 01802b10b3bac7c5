// The inputs of a run, checked before anything is allocated or decoded: every stack of the range
// must be there, as a folder holding every image asked for as a regular file, or as a multi-page
// file holding at least as many pages. The walk goes in folder, then image order and stops at
// the first problem, so a run always names the same file. With 0 images per stack, a folder's
// stack is its images from 1 up to the first missing one (at least one), and a multi-page file's
// every page.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run_config.h"
#include "run_failure.h"
#include "stack_sources.h"

namespace bestfocus {

// The first image of the run that cannot be opened.
struct MissingInput {
    std::string image_path;         // a multi-page file short of pages: that file
    std::string folder_path;        // the image's folder
    bool folder_missing = false;    // the folder itself is not there (the image is then its first)
    int pages_found = -1;           // a multi-page file short of pages: the pages it holds
    int pages_asked = 0;            // and the pages asked for (0: all, and it holds none)
    bool folder_link_loop = false;  // the folder's path is a loop of symbolic links
    bool pages_damaged = false;     // a TIFF whose chain of pages breaks after pages_found pages
    // A folder stack short of the images asked for: images 1 to images_present are there, named
    // first_image and last_present (without the names' extension), e.g. "01" and "17".
    int images_present = -1;
    std::string first_image = {};
    std::string last_present = {};
    bool file_missing = false;  // a multi-page file, by its name, is not there (image_path)
    // The stack's metadata is refused, or lacks the channel, time point or series chosen, or the
    // Z planes asked for: why, after the file's name.
    std::string metadata_problem = {};
    // The stack's path cannot be examined for another reason than its absence (a path longer than
    // PATH_MAX, a folder without search permission): the system's words for it.
    std::string unexaminable = {};
};

// Nothing when every stack of folders config.first_folder..config.last_folder (none when last <
// first) is complete; *stacks (when given) then holds each stack in folder order, its images
// counted.
std::optional<MissingInput> first_missing_input(const RunConfig& config,
                                                std::vector<StackSource>* stacks = nullptr);

// The run's end, as for an unreadable image: "\nNo se puede abrir el archivo: <image>", status 1.
// When the folder is missing, a line for standard error says so and recalls that the base folder
// is a prefix of the folder names, normally ending in "/" (or says that its path is a loop of
// symbolic links); for a multi-page file short of pages, a line gives both counts; for a damaged
// one, where its chain of pages breaks; for a folder short of images, a line saying which it has
// and how to ask for them ("bestfocus: folder 001 has images 01 to 17; pass 17, or 0 for every
// image there is").
RunFailure missing_input_failure(const MissingInput& missing, const std::string& base_folder);

// For standard error: a line for each microscope file of several series, naming how many there
// are and the one measured ("bestfocus: pos_01.ome.tif holds 3 series; measuring series 1, as
// --series=N chooses").
std::string series_notices(const std::vector<StackSource>& stacks, const PlaneChoice& choice);

}  // namespace bestfocus
