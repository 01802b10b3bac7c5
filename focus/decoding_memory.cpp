#include "decoding_memory.h"

#include <sys/resource.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>

namespace bestfocus {

namespace {

// What the program takes besides the images: its code, libraries, threads and read buffers.
constexpr std::uint64_t kProgramBytes = std::uint64_t{64} << 20;
constexpr std::uint64_t kUnlimited = UINT64_MAX;

// The number a file of /proc or /sys holds after `key` ("MemAvailable:", or "" for the file's
// first word), in units of `unit` bytes; kUnlimited when there is none (also "max").
std::uint64_t number_in(const char* path, const std::string& key, std::uint64_t unit) {
    std::ifstream file(path);
    std::string word;
    while (file >> word) {
        if (key.empty() || word == key) {
            std::uint64_t value = 0;
            if (!key.empty() && !(file >> word)) break;
            try {
                value = std::stoull(word);
            } catch (const std::exception&) {
                return kUnlimited;
            }
            return value > kUnlimited / unit ? kUnlimited : value * unit;
        }
    }
    return kUnlimited;
}

std::uint64_t limit_of(int resource) {
    struct rlimit limit {};
    return getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
               ? static_cast<std::uint64_t>(limit.rlim_cur)
               : kUnlimited;
}

// The memory cgroup (v2) this process is in: its limit less what it uses already.
std::uint64_t room_in_cgroup() {
    std::ifstream membership("/proc/self/cgroup");
    std::string line;
    while (std::getline(membership, line)) {
        if (line.rfind("0::", 0) != 0) continue;
        const std::string folder = "/sys/fs/cgroup" + line.substr(3);
        const std::uint64_t most = number_in((folder + "/memory.max").c_str(), "", 1);
        const std::uint64_t used = number_in((folder + "/memory.current").c_str(), "", 1);
        if (most == kUnlimited || used == kUnlimited) return kUnlimited;
        return most > used ? most - used : 0;
    }
    return kUnlimited;
}

std::mutex held_mutex;
std::condition_variable memory_freed;
std::uint64_t held_bytes = 0;
bool waited = false;  // an image waited for others' memory: the teams were narrowed

}  // namespace

std::uint64_t memory_for_images() {
    const std::uint64_t memory =
        std::min({number_in("/proc/meminfo", "MemAvailable:", 1024), room_in_cgroup(),
                  limit_of(RLIMIT_AS), limit_of(RLIMIT_DATA)});
    return memory > kProgramBytes ? memory - kProgramBytes : 0;
}

std::uint64_t memory_to_decode(const std::optional<ImageHeader>& header, const Engine& engine) {
    if (!header) {
        return 0;
    }
    // Sides beyond 2^32 each cannot be decoded anyway; their product stays in 64 bits.
    const std::uint64_t pixels = std::min<std::uint64_t>(header->width, UINT32_MAX) *
                                 std::min<std::uint64_t>(header->height, UINT32_MAX);
    const std::uint64_t per_pixel = static_cast<std::uint64_t>(header->bytes_per_sample) *
                                        (static_cast<std::uint64_t>(header->channels) + 1) +
                                    engine.bytes_per_pixel_measured();
    return pixels > UINT64_MAX / per_pixel ? UINT64_MAX : pixels * per_pixel;
}

std::uint64_t DecodingMemory::share() {
    static const std::uint64_t memory = memory_for_images();
    return memory;
}

DecodingMemory::DecodingMemory(std::uint64_t bytes) : bytes_(bytes), held_(bytes <= share()) {
    if (!held_ || bytes_ == 0) {
        return;
    }
    std::unique_lock<std::mutex> lock(held_mutex);
    // Alone it fits: wait for the others in flight to give their memory back.
    waited = waited || held_bytes + bytes_ > share();
    memory_freed.wait(lock, [&] { return held_bytes + bytes_ <= share(); });
    held_bytes += bytes_;
}

DecodingMemory::~DecodingMemory() {
    if (!held_ || bytes_ == 0) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(held_mutex);
        held_bytes -= bytes_;
    }
    memory_freed.notify_all();
}

std::string narrowed_teams_notice() {
    std::lock_guard<std::mutex> lock(held_mutex);
    if (!waited) {
        return "";
    }
    return "bestfocus: fewer images were decoded at once than the teams allow, to stay within "
           "the " +
           std::to_string(DecodingMemory::share() >> 20) + " MiB of memory this run has for them\n";
}

}  // namespace bestfocus
