#include "opencv_codecs.h"

#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <opencv2/core/utils/logger.hpp>

#include "codecs_plugin/codecs_plugin_api.h"

namespace bestfocus {

namespace {

struct LoadedCodecs {
    BestfocusCodecsRead read = nullptr;
    BestfocusCodecsCount count = nullptr;
    BestfocusCodecsEncodeJpeg encode_jpeg = nullptr;
    std::string problem;  // empty when the functions above are set
};

std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The directory of the file this code was loaded from, links resolved: the executable, or a shared
// library that holds it (a Python extension module). The loader names the executable by argv[0],
// which whoever starts the process chooses (a link elsewhere, `exec -a`): the executable's real
// file is the kernel's /proc/self/exe. A shared library it names by the path it was opened with.
std::string directory_of_this_code() {
    Dl_info info{};
    link_map* module = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&codecs_plugin_path), &info,
                reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) != 0 &&
        module != nullptr && module->l_name != nullptr && module->l_name[0] != '\0') {
        char resolved[PATH_MAX];
        return realpath(module->l_name, resolved) != nullptr ? directory_of(resolved)
                                                             : std::string();
    }
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return std::string();
    }
    return directory_of(std::string(path, static_cast<std::size_t>(length)));
}

template <class Function>
bool find_function(void* library, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(library, name));
    return *function != nullptr;
}

LoadedCodecs load_codecs() {
    LoadedCodecs codecs;
    const std::string path = codecs_plugin_path();
    if (path.empty()) {
        codecs.problem = "the file of bestfocus's own code cannot be found to look beside it";
        return codecs;
    }
    // Kept loaded for the rest of the process: its functions may be called until exit.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        codecs.problem = reason != nullptr ? reason : path + ": cannot be loaded";
        return codecs;
    }
    if (!find_function(library, BESTFOCUS_CODECS_READ, &codecs.read) ||
        !find_function(library, BESTFOCUS_CODECS_COUNT, &codecs.count) ||
        !find_function(library, BESTFOCUS_CODECS_ENCODE_JPEG, &codecs.encode_jpeg)) {
        codecs.problem = path + ": not the plugin of this version of bestfocus";
        return codecs;
    }
    // Its decoders' complaints (libtiff's and libpng's among them) are silenced too.
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    return codecs;
}

const LoadedCodecs& codecs() {
    static std::once_flag once;
    static LoadedCodecs loaded;
    std::call_once(once, [] { loaded = load_codecs(); });
    return loaded;
}

}  // namespace

std::string codecs_plugin_path() {
    const std::string directory = directory_of_this_code();
    return directory.empty() ? directory : directory + "/" + kCodecsPluginName;
}

std::string codecs_problem() { return codecs().problem; }

cv::Mat codecs_read(const std::string& file, int page, int flags) {
    cv::Mat image;
    if (codecs().read == nullptr || !codecs().read(file.c_str(), page, flags, &image)) {
        return cv::Mat();
    }
    return image;
}

int codecs_count(const std::string& file, int flags) {
    return codecs().count == nullptr ? 0 : codecs().count(file.c_str(), flags);
}

bool codecs_encode_jpeg(const cv::Mat& image, cv::Size size, int quality,
                        std::vector<unsigned char>& jpeg) {
    return codecs().encode_jpeg != nullptr &&
           codecs().encode_jpeg(&image, size.width, size.height, quality, &jpeg);
}

}  // namespace bestfocus
