// Preloaded into a program under test: counts the threads it starts (every pthread_create, OpenMP's
// and OpenCV's included) and writes the count to the file THREAD_STARTS_FILE names as it exits.
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<int> threads_started{0};

__attribute__((destructor)) void write_count() {
    const char* path = std::getenv("THREAD_STARTS_FILE");
    if (path == nullptr) return;
    if (std::FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "%d\n", threads_started.load());
        std::fclose(file);
    }
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    ++threads_started;
    return create(thread, attributes, start, argument);
}
