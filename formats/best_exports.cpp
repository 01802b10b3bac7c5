#include "best_exports.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "ome_description.h"
#include "read_file.h"
#include "replace_file.h"
#include "tiff_bytes.h"

namespace bestfocus {
namespace {

// A picked file is read whole before it is written; larger files are not images of a stack.
constexpr std::uint64_t kLargestExportedFile = std::uint64_t{4} << 30;

std::string name_extension(const std::string& image_names) {
    const std::size_t dot = image_names.rfind('.');
    if (dot == std::string::npos || image_names.find_first_of("%/", dot) != std::string::npos) {
        return "";
    }
    return image_names.substr(dot);
}

bool make_folder(const std::string& folder, std::string* reason) {
    if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
        return true;
    }
    *reason = std::strerror(errno);
    return false;
}

// Every channel of a several-channel microscope file's stack at the focus channel's pick, a page
// each, the first page's description OME-XML.
bool channel_pages(const FolderScores& folder, int best, const DepthDecoder& decode,
                   std::vector<TiffPage>* pages, std::string* reason) {
    const MicroscopePlanes& planes = *folder.microscope;
    OmeImage described_image;
    for (std::size_t c = 0; c < planes.channel_pages.size(); ++c) {
        const ImageLocation location(
            folder.stack_path,
            static_cast<int>(planes.channel_pages[c].at(static_cast<std::size_t>(best - 1))));
        cv::Mat image = decode(location);
        if (image.empty()) {
            *reason = described(location) + " cannot be decoded again";
            return false;
        }
        if (!pages->empty() && (image.size() != pages->front().image.size() ||
                                image.type() != pages->front().image.type())) {
            *reason = described(location) + " differs in size or depth from the focus channel";
            return false;
        }
        pages->push_back({std::move(image), described(location)});
        described_image.channel_names.push_back(planes.channel_names.at(c));
    }
    described_image.width = pages->front().image.cols;
    described_image.height = pages->front().image.rows;
    described_image.sixteen_bits = pages->front().image.depth() == CV_16U;
    described_image.size_x_um = planes.size_x_um;
    described_image.size_y_um = planes.size_y_um;
    described_image.position_z_um = z_position_um(planes, best);
    pages->front().description = ome_description(described_image);
    return true;
}

bool several_channels(const FolderScores& folder) {
    return folder.microscope && folder.microscope->channel_pages.size() > 1;
}

bool export_one(const ExportRequest& request, const FolderScores& folder, int best,
                const DepthDecoder& decode, const std::string& path, std::string* reason) {
    const ImageLocation& picked = folder.images.at(static_cast<std::size_t>(best - 1));
    if (several_channels(folder)) {
        std::vector<TiffPage> pages;
        std::string bytes;
        return channel_pages(folder, best, decode, &pages, reason) &&
               tiff_file_bytes(pages, &bytes, reason) && replace_file(path, bytes, reason, true);
    }
    if (picked.page >= 0) {
        const cv::Mat image = decode(picked);
        std::string bytes;
        if (image.empty()) {
            *reason = "the picked page cannot be decoded again";
            return false;
        }
        return tiff_file_bytes({{image, described(picked)}}, &bytes, reason) &&
               replace_file(path, bytes, reason, true);
    }
    if (request.hard_links && replace_file_with_link(picked.file, path, reason)) {
        return true;
    }
    std::string bytes;
    if (!read_regular_file(picked.file, kLargestExportedFile, bytes, *reason)) {
        *reason = picked.file + " " + *reason;
        return false;
    }
    return replace_file(path, bytes, reason, true);
}

}  // namespace

std::string stack_name(std::string stack_path, bool multi_page) {
    while (stack_path.size() > 1 && stack_path.back() == '/') {
        stack_path.pop_back();
    }
    const std::size_t slash = stack_path.rfind('/');
    std::string name = slash == std::string::npos ? stack_path : stack_path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return multi_page && dot != std::string::npos && dot > 0 ? name.substr(0, dot) : name;
}

std::string best_export_name(const std::string& stack_path, bool multi_page,
                             const std::string& image_names, const char* method_short_name) {
    return stack_name(stack_path, multi_page) + "_" + method_short_name +
           (multi_page ? ".tif" : name_extension(image_names));
}

std::vector<ExportFailure> export_best_images(const ExportRequest& request,
                                              const std::vector<FolderScores>& folders,
                                              const DepthDecoder& decode) {
    std::string reason;
    if (!make_folder(request.folder, &reason)) {
        return {{request.folder, reason}};
    }
    std::vector<ExportFailure> failures;
    for (const FolderScores& folder : folders) {
        for (std::size_t m = 0; m < folder.methods.size(); ++m) {
            const ImageLocation& picked =
                folder.images.at(static_cast<std::size_t>(folder.methods[m].best_number - 1));
            const std::string path =
                request.folder + "/" +
                best_export_name(folder.stack_path, picked.page >= 0, request.image_names,
                                 request.method_names[m].c_str());
            if (!export_one(request, folder, folder.methods[m].best_number, decode, path,
                            &reason)) {
                failures.push_back({path, reason});
            }
        }
    }
    return failures;
}

std::string best_stack_description(int folder, int image, const ImageLocation& location) {
    return "folder " + std::to_string(folder) + ", image " + std::to_string(image) + ": " +
           described(location);
}

bool best_stack_bytes(const std::vector<FolderScores>& folders, const DepthDecoder& decode,
                      std::string* bytes, std::string* reason) {
    std::vector<TiffPage> pages;
    for (const FolderScores& folder : folders) {
        const int best = folder.methods.front().best_number;
        const ImageLocation& picked = folder.images.at(static_cast<std::size_t>(best - 1));
        cv::Mat image = decode(picked);
        if (image.empty()) {
            *reason = described(picked) + " cannot be decoded again";
            return false;
        }
        pages.push_back({std::move(image), best_stack_description(folder.folder, best, picked)});
    }
    return tiff_file_bytes(pages, bytes, reason);
}

}  // namespace bestfocus
