// The one writer of every output: complete files only, special files written through, links kept,
// temporary files that no one can redirect or take for another host's.
#include "replace_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "test_support.h"

namespace bestfocus {
namespace {

namespace fs = std::filesystem;

std::string file_text(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// "<host>.<pid namespace's inode>": where a temporary file's writer runs.
std::string this_place() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    struct stat name_space {};
    stat("/proc/self/ns/pid", &name_space);
    return std::string(name) + "." + std::to_string(name_space.st_ino);
}

TEST(ReplaceFile, ReplacesOnlyWithACompleteFileAndSaysWhyNot) {
    TemporaryFolder folder;
    const std::string name = folder.path() + "scores.csv";
    std::string reason;
    ASSERT_TRUE(replace_file(name, "first\n", &reason));
    ASSERT_TRUE(replace_file(name, "second\n", &reason));
    EXPECT_EQ(file_text(name), "second\n");
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"scores.csv"});

    EXPECT_FALSE(replace_file(folder.path() + "missing/x.csv", "text", &reason));
    EXPECT_EQ(reason, "No such file or directory");
    if (geteuid() != 0) {  // root writes anywhere
        chmod(folder.path().c_str(), 0500);
        EXPECT_FALSE(replace_file(name, "third\n", &reason));
        EXPECT_EQ(file_text(name), "second\n");
        chmod(folder.path().c_str(), 0700);
    }
}

// An output path of some kind, made in the folder before the write, and what must hold after it.
struct OutputCase {
    const char* name;
    std::function<std::string(const std::string& folder)> make;  // returns the output path
    std::function<void(const std::string& folder, const std::string& output)> check;
};

void PrintTo(const OutputCase& c, std::ostream* out) { *out << c.name; }

class OutputKind : public ::testing::TestWithParam<OutputCase> {};

constexpr char kText[] = "folder,image\n1,2\n";

const OutputCase kOutputCases[] = {
    {"LinkKeepsItsLinkAndItsTargetIsReplaced",
     [](const std::string& folder) {
         fs::create_directory(folder + "elsewhere");
         std::ofstream(folder + "elsewhere/target.csv") << "old";
         fs::create_symlink("elsewhere/target.csv", folder + "link.csv");
         return folder + "link.csv";
     },
     [](const std::string& folder, const std::string& output) {
         EXPECT_TRUE(fs::is_symlink(output));
         EXPECT_EQ(file_text(folder + "elsewhere/target.csv"), kText);
         EXPECT_EQ(folder_entries(folder + "elsewhere"), std::vector<std::string>{"target.csv"});
     }},
    {"ExistingPermissionsAreKept",
     [](const std::string& folder) {
         std::ofstream(folder + "private.csv") << "old";
         chmod((folder + "private.csv").c_str(), 0640);
         return folder + "private.csv";
     },
     [](const std::string&, const std::string& output) {
         struct stat status {};
         ASSERT_EQ(stat(output.c_str(), &status), 0);
         EXPECT_EQ(status.st_mode & 07777, 0640u);
         EXPECT_EQ(file_text(output), kText);
     }},
    {"LongestLegalName",
     [](const std::string& folder) { return folder + std::string(NAME_MAX - 4, 'n') + ".csv"; },
     [](const std::string&, const std::string& output) { EXPECT_EQ(file_text(output), kText); }},
    {"PlantedLinksAtPredictableNamesAreNotFollowed",
     [](const std::string& folder) {
         std::ofstream(folder + "victim") << "victim";
         for (const std::string& suffix :
              {".tmp." + std::to_string(getpid()),
               ".tmp." + this_place() + "." + std::to_string(getpid())}) {
             fs::create_symlink(folder + "victim", folder + "out.csv" + suffix);
         }
         return folder + "out.csv";
     },
     [](const std::string& folder, const std::string& output) {
         EXPECT_EQ(file_text(folder + "victim"), "victim");
         EXPECT_EQ(file_text(output), kText);
     }},
    {"OnlyThisHostsAbandonedTemporariesAreRemoved",
     [](const std::string& folder) {
         // pid 999999999 cannot exist on any host.
         std::ofstream(folder + "out.csv.tmp." + this_place() + ".999999999.abcdef") << "half";
         std::ofstream(folder + "out.csv.tmp.other-host.7.999999999.abcdef") << "in flight";
         std::ofstream(folder + "out.csv.tmp." + this_place() + "." + std::to_string(getpid()) +
                       ".abcdef")
             << "live";
         return folder + "out.csv";
     },
     [](const std::string& folder, const std::string&) {
         std::vector<std::string> kept = {
             "out.csv", "out.csv.tmp.other-host.7.999999999.abcdef",
             "out.csv.tmp." + this_place() + "." + std::to_string(getpid()) + ".abcdef"};
         std::sort(kept.begin(), kept.end());
         EXPECT_EQ(folder_entries(folder), kept);
     }},
};

TEST_P(OutputKind, IsWrittenAsItsKindWants) {
    TemporaryFolder folder;
    const std::string output = GetParam().make(folder.path());
    std::string reason;
    ASSERT_TRUE(replace_file(output, kText, &reason)) << reason;
    GetParam().check(folder.path(), output);
}

INSTANTIATE_TEST_SUITE_P(Outputs, OutputKind, ::testing::ValuesIn(kOutputCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceFile, AFifoIsWrittenThroughAndStaysAFifo) {
    TemporaryFolder folder;
    const std::string fifo = folder.path() + "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A reader that does not block, so that the writer's open finds it.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string reason;
    EXPECT_TRUE(replace_file(fifo, kText, &reason)) << reason;
    char received[64] = {};
    EXPECT_EQ(read(reader, received, sizeof received), static_cast<ssize_t>(sizeof kText - 1));
    EXPECT_EQ(std::string(received), kText);
    close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"fifo"});
}

// Waits for the process (async-signal-safe): its exit status, 1 when a signal ended it.
int exit_code(pid_t process) {
    int status = 0;
    waitpid(process, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// The other run below, in a process of its own: the report waits in its temporary file while the
// FIFO, written first, takes more than a pipe holds.
TEST(ReplaceFile, DISABLED_WritesAsARunOfAnotherPidNamespace) {
    const std::string folder = std::getenv("BESTFOCUS_TEST_FOLDER");
    std::string failed;
    std::string reason;
    EXPECT_TRUE(
        replace_files({{folder + "fifo", std::string(1 << 20, 'x')}, {folder + "out.csv", "t"}},
                      &failed, &reason));
}

// A run in a container that shares this host's name but not its process ids, caught writing: its
// pid is one that no process has here, yet its temporary file is in flight.
TEST(ReplaceFile, ATemporaryInFlightInAnotherPidNamespaceIsLeftAlone) {
    TemporaryFolder folder;
    ASSERT_EQ(mkfifo((folder.path() + "fifo").c_str(), 0600), 0);
    const int reader = open((folder.path() + "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    setenv("BESTFOCUS_TEST_FOLDER", folder.path().c_str(), 1);
    // LeakSanitizer, where the tests run under it, reads the threads of its own pid from /proc,
    // which this host's /proc does not have for a pid of the new namespace: the run there goes
    // without it.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS",
           (sanitizer ? sanitizer + std::string(":") : "").append("detect_leaks=0").c_str(), 1);
    const pid_t child = fork();
    if (child == 0) {  // only async-signal-safe calls until the exec: other threads may hold locks
        if (unshare(CLONE_NEWPID) != 0) _exit(2);
        const pid_t first = fork();  // pid 1 of the new namespace
        if (first != 0) _exit(exit_code(first));
        const int last_pid = open("/proc/sys/kernel/ns_last_pid", O_WRONLY);
        if (last_pid < 0 || write(last_pid, "4000000", 7) != 7) _exit(2);  // beyond pid_max here
        const pid_t writer = fork();
        if (writer != 0) _exit(exit_code(writer));
        execl("/proc/self/exe", "formats_test", "--gtest_also_run_disabled_tests",
              "--gtest_filter=ReplaceFile.DISABLED_WritesAsARunOfAnotherPidNamespace", nullptr);
        _exit(3);
    }
    for (int tries = 0; folder_entries(folder.path()).size() < 2 && tries < 2000; ++tries) {
        if (waitpid(child, nullptr, WNOHANG) == child) GTEST_SKIP() << "no new pid namespace here";
        usleep(5000);
    }
    std::string reason;
    EXPECT_TRUE(replace_file(folder.path() + "out.csv", "ours", &reason)) << reason;
    // Reading the FIFO until the other run has ended lets it finish. Not to its first end of
    // file: that comes at once when the other run has not opened the FIFO yet.
    int status = 0;
    for (char drained[4096]; waitpid(child, &status, WNOHANG) == 0;) {
        if (read(reader, drained, sizeof drained) <= 0) usleep(1000);
    }
    close(reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other run lost its file";
}

TEST(ReplaceFile, AFifoWithoutAReaderFailsAtOnce) {
    TemporaryFolder folder;
    ASSERT_EQ(mkfifo((folder.path() + "fifo").c_str(), 0600), 0);
    alarm(10);  // a writer that waits for a reader ends the test here
    std::string reason;
    EXPECT_FALSE(replace_file(folder.path() + "fifo", kText, &reason));
    alarm(0);
    EXPECT_EQ(reason, "No such device or address");
}

TEST(ReplaceFile, AFolderAmongTheOutputsStopsTheSetBeforeAnythingIsWritten) {
    TemporaryFolder folder;
    fs::create_directory(folder.path() + "summary.csv");
    std::ofstream(folder.path() + "report.txt") << "earlier";
    std::string failed;
    std::string reason;
    EXPECT_FALSE(replace_files(
        {{folder.path() + "report.txt", "new"}, {folder.path() + "summary.csv", "new"}}, &failed,
        &reason));
    EXPECT_EQ(failed, folder.path() + "summary.csv");
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_EQ(file_text(folder.path() + "report.txt"), "earlier");
    EXPECT_EQ(folder_entries(folder.path()),
              (std::vector<std::string>{"report.txt", "summary.csv"}));
}

// A file made as it is written: whole when every piece is written, and the old file untouched, no
// temporary left, when a piece cannot be.
TEST(ReplaceFile, AFileMadeInPiecesIsWholeOrNotThere) {
    TemporaryFolder folder;
    const std::string name = folder.path() + "depth.tif";
    std::ofstream(name) << "earlier";
    for (const bool fails : {true, false}) {
        FileText file{name, "", false, [fails](const PieceWriter& write) {
                          if (!write("head", 4)) return false;
                          errno = ENOSPC;
                          return !fails && write(" and rows", 9);
                      }};
        std::string failed;
        std::string reason;
        EXPECT_EQ(replace_files({file}, &failed, &reason), !fails);
        EXPECT_EQ(file_text(name), fails ? "earlier" : "head and rows");
        EXPECT_EQ(reason, fails ? "No space left on device" : "");
        EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{"depth.tif"});
    }
}

}  // namespace
}  // namespace bestfocus
