// The executable, run in a fresh working folder on stacks written by the test, whose sharpest
// images are known by construction (see write_test_stack).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <opencv2/imgcodecs.hpp>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "bmp_bytes.h"
#include "measure_registry.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;
const std::string kUsageStart = "\nUsage: bestfocus";

// Checks that standard output is exactly the elapsed time, "\n<seconds with 6 decimals>\n",
// followed by `after`, and returns the seconds as printed.
std::string elapsed_time_printed(const std::string& output, const std::string& after = "") {
    std::smatch match;
    const std::regex pattern("\n([0-9]+\\.[0-9]{6})\n");
    EXPECT_TRUE(std::regex_search(output, match, pattern, std::regex_constants::match_continuous))
        << output;
    EXPECT_EQ(match.suffix().str(), after);
    return match.size() > 1 ? match[1].str() : "";
}

// Checks a successful run: status 0, the time on standard output, the report as the only file
// of the working folder, holding the lines and the same time.
void expect_report(const ProgramRun& run, const std::string& working_folder,
                   const std::string& name, const std::string& lines) {
    EXPECT_EQ(run.exit_status, 0) << run.standard_output;
    const std::string seconds = elapsed_time_printed(run.standard_output);
    EXPECT_EQ(folder_entries(working_folder), std::vector<std::string>{name});
    EXPECT_EQ(read_file(working_folder + name), lines + "\nTotal time: " + seconds + " seconds...");
}

class EndToEnd : public ::testing::Test {
  protected:
    ProgramRun run(const std::vector<std::string>& arguments) {
        return run_program(kExecutable, arguments, work_.path());
    }
    TemporaryFolder stacks_;
    TemporaryFolder work_;
};

TEST_F(EndToEnd, ReportHoldsTheSharpestImageOfEachFolderInFolderOrder) {
    write_test_stack(stacks_.path(), "003", {10, 20, 30, 40, 250, 60, 70, 80, 90, 100, 110, 120});
    write_test_stack(stacks_.path(), "004", {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120});
    write_test_stack(stacks_.path(), "005", {90, 80, 70, 30, 30, 30, 200, 30, 30, 30, 30, 30});
    write_test_stack(stacks_.path(), "006", {40, 90, 40, 180, 40, 40, 40, 40, 180, 40, 40, 40});
    write_test_stack(stacks_.path(), "007", {77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77});
    // Every method with teams of one thread on the CPU engine, then each with its own mix of team
    // sizes on the kernels.
    const std::vector<std::string> team_sizes[] = {
        {"8", "2", "10"}, {"2", "5", "3"}, {"3", "1", "2"}, {"2", "2", "1"}, {"1", "4", "7"}};
    for (const MeasureEntry& measure : measure_registry()) {
        const std::string method = std::to_string(measure.code);
        const std::pair<std::string, std::vector<std::string>> runs[] = {
            {"--engine=cpu", {"1", "1", "1"}},
            {"--engine=cuda", team_sizes[(measure.code - 1) % std::size(team_sizes)]}};
        for (const auto& [engine, teams] : runs) {
            SCOPED_TRACE(engine + " " + method + " " + teams[0] + " " + teams[1] + " " + teams[2]);
            const ProgramRun result =
                run({engine, method, stacks_.path(), "3", "7", "12", teams[0], teams[1], teams[2]});
            expect_report(result, work_.path(), report_name(3, 7, measure.code),
                          "5\n12\n7\n4\n1\n");
            std::filesystem::remove(work_.path() + report_name(3, 7, measure.code));
        }
    }
}

// "<folder> <sharpest image>" lines of the sample stacks generated at build time.
std::vector<std::pair<int, int>> sample_stacks_expected() {
    std::ifstream file(std::string(BESTFOCUS_SAMPLE_STACKS) + "expected.txt");
    std::vector<std::pair<int, int>> expected;
    int folder = 0;
    int sharpest = 0;
    while (file >> folder >> sharpest) {
        expected.emplace_back(folder, sharpest);
    }
    return expected;
}

TEST_F(EndToEnd, DefaultsReadFolder11OfTheSampleStacks) {
    const std::vector<std::pair<int, int>> expected = sample_stacks_expected();
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(expected[0].first, 11);
    expect_report(run({}), work_.path(), report_name(11, 11, 1),
                  std::to_string(expected[0].second) + "\n");
}

TEST_F(EndToEnd, EveryMethodFindsTheSharpestImagesOfTheSampleStacks) {
    const std::vector<std::pair<int, int>> expected = sample_stacks_expected();
    ASSERT_EQ(expected.size(), 5u);
    std::string lines;
    for (const auto& [folder, sharpest] : expected) {
        lines += std::to_string(sharpest) + "\n";
    }
    for (const MeasureEntry& measure : measure_registry()) {
        for (const std::string engine : {"--engine=cpu", "--engine=cuda", "--engine=auto"}) {
            SCOPED_TRACE(std::string(measure.long_name) + " " + engine);
            const ProgramRun result =
                run({engine, std::to_string(measure.code), BESTFOCUS_SAMPLE_STACKS, "11", "15"});
            expect_report(result, work_.path(), report_name(11, 15, measure.code), lines);
            std::filesystem::remove(work_.path() + report_name(11, 15, measure.code));
        }
    }
}

TEST_F(EndToEnd, MeasureThreadsCountOnlyWithExactlyEightArguments) {
    write_test_stack(stacks_.path(), "001", {10, 60, 20});
    // Exactly eight: the eighth is read, and 0 is refused.
    ProgramRun result = run({"1", stacks_.path(), "1", "1", "3", "2", "2", "0"});
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.standard_output.rfind("\nArgumento 8 (N_threads) incorrecto: \"0\"", 0), 0u);
    // Nine: the eighth is ignored.
    result = run({"1", stacks_.path(), "1", "1", "3", "2", "2", "0", "ignored"});
    expect_report(result, work_.path(), report_name(1, 1, 1), "2\n");
}

// A range without folders could only write an empty report: a mistyped range, refused.
TEST_F(EndToEnd, LastFolderBelowFirstIsRefusedAndWritesNothing) {
    EXPECT_EQ(run({"1", stacks_.path(), "5", "4"}).exit_status, 2);
    EXPECT_TRUE(folder_entries(work_.path()).empty());
}

TEST_F(EndToEnd, OneImagePerStackPicksImage1) {
    write_test_stack(stacks_.path(), "001", {10, 60, 20});
    write_test_stack(stacks_.path(), "002", {30});
    expect_report(run({"1", stacks_.path(), "1", "2", "1"}), work_.path(), report_name(1, 2, 1),
                  "1\n1\n");
}

TEST_F(EndToEnd, FolderNumbersFrom1000AndImageNumbersFrom100UseMoreDigits) {
    std::vector<int> amplitudes(101, 40);
    amplitudes[99] = 200;  // image 100
    write_test_stack(stacks_.path(), "999", amplitudes);
    amplitudes[99] = 40;
    amplitudes[100] = 200;  // image 101
    write_test_stack(stacks_.path(), "1000", amplitudes);
    amplitudes[100] = 40;
    amplitudes[8] = 200;  // image 9
    write_test_stack(stacks_.path(), "1001", amplitudes);
    expect_report(run({"1", stacks_.path(), "999", "1001", "101"}), work_.path(),
                  report_name(999, 1001, 1), "100\n101\n9\n");
}

TEST_F(EndToEnd, BaseFolderOf600CharactersAndMore) {
    std::string base = stacks_.path();
    while (base.size() < 600) {
        base += std::string(100, 'b') + "/";
    }
    write_test_stack(base, "001", {10, 20, 90, 30});
    expect_report(run({"1", base, "1", "1", "4"}), work_.path(), report_name(1, 1, 1), "3\n");

    std::filesystem::remove(base + "001/02.bmp");
    const ProgramRun result = run({"1", base, "1", "1", "4"});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output, "\nNo se puede abrir el archivo: " + base + "001/02.bmp");
}

TEST_F(EndToEnd, UnreadableImageEndsTheRunWithoutReport) {
    for (int folder = 1; folder <= 3; ++folder) {
        write_test_stack(stacks_.path(), "00" + std::to_string(folder), {10, 20, 30, 40, 50, 60});
    }
    std::filesystem::remove(stacks_.path() + "002/04.bmp");
    const std::vector<std::string> arguments = {"1", stacks_.path(), "1", "3", "6"};
    const std::string message = "\nNo se puede abrir el archivo: " + stacks_.path() + "002/04.bmp";

    ProgramRun result = run(arguments);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output, message);
    EXPECT_TRUE(folder_entries(work_.path()).empty());

    const std::string earlier = "4\n4\n4\n\nTotal time: 1.000000 seconds...";
    write_file(work_.path() + report_name(1, 3, 1), earlier);
    result = run(arguments);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output, message);
    EXPECT_EQ(folder_entries(work_.path()), std::vector<std::string>{report_name(1, 3, 1)});
    EXPECT_EQ(read_file(work_.path() + report_name(1, 3, 1)), earlier);

    write_file(stacks_.path() + "002/04.bmp", "BM not a bitmap");  // there, but not decodable
    result = run(arguments);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.standard_output, message);
}

TEST_F(EndToEnd, ReportThatCannotBeCreatedIsAFailureAfterTheTime) {
    write_test_stack(stacks_.path(), "001", {10, 60, 20});
    const std::vector<std::string> arguments = {"1", stacks_.path(), "1", "1", "3"};
    const std::string failure = "\nNo se puede crear archivo de salida...";

    // A folder where the report should go: the finished report cannot replace it.
    const std::string in_the_way = work_.path() + report_name(1, 1, 1);
    ASSERT_EQ(mkdir(in_the_way.c_str(), 0755), 0);
    ProgramRun result = run(arguments);
    EXPECT_EQ(result.exit_status, 1);
    elapsed_time_printed(result.standard_output, failure);
    // Standard error tells why, in the system's words.
    EXPECT_EQ(result.standard_error,
              "bestfocus: cannot create an output file\nbestfocus: cannot "
              "write the report " +
                  report_name(1, 1, 1) + ": Is a directory\n");
    EXPECT_EQ(folder_entries(work_.path()), std::vector<std::string>{report_name(1, 1, 1)});
    EXPECT_TRUE(folder_entries(in_the_way).empty());

    // A working folder deleted under the running program: nothing can be created in it, even by
    // root (who passes any permission check).
    TemporaryFolder doomed;
    const std::string doomed_work = doomed.path() + "work/";
    ASSERT_EQ(mkdir(doomed_work.c_str(), 0755), 0);
    RunOptions remove_working_folder;
    remove_working_folder.remove_working_folder = true;
    result = run_program(kExecutable, arguments, doomed_work, remove_working_folder);
    EXPECT_EQ(result.exit_status, 1);
    elapsed_time_printed(result.standard_output, failure);
    EXPECT_EQ(result.standard_error,
              "bestfocus: cannot create an output file\nbestfocus: cannot "
              "write the report " +
                  report_name(1, 1, 1) + ": No such file or directory\n");
}

TEST_F(EndToEnd, BadArgumentsAreRefusedBeforeAnyWork) {
    const std::string base = stacks_.path();
    // The arguments; the last one is bad, and the message names it by position and name.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"0"}, "1 (metodo)"},
        {{"abc"}, "1 (metodo)"},
        {{std::to_string(measure_registry().size() + 1)}, "1 (metodo)"},
        {{"1", base, "1", "1", "-1"}, "5 (imagenes por pila)"},
        {{"1", base, "1", "1", "3", "0"}, "6 (N_threads_ext2)"},
        {{"1", base, "1", "1", "3", "2", "-1"}, "7 (N_threads_ext1)"},
        {{"1", base, "1", "1", "3", "2", "2", "zero"}, "8 (N_threads)"},
        // Teams OpenMP cannot make: refused, never handed to it.
        {{"1", base, "1", "1", "3", "70000"}, "6 (N_threads_ext2)"},
        {{"1", base, "1", "1", "3", "1", "100000"}, "7 (N_threads_ext1)"},
        {{"1", base, "1", "1", "3", "1", "1", "2147483647"}, "8 (N_threads)"},
    };
    for (const auto& [arguments, named] : cases) {
        SCOPED_TRACE(named);
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.exit_status, 2);
        const std::string message =
            "\nArgumento " + named + " incorrecto: \"" + arguments.back() + "\"";
        EXPECT_EQ(result.standard_output.rfind(message, 0), 0u) << result.standard_output;
        EXPECT_NE(result.standard_output.find(kUsageStart), std::string::npos);
        EXPECT_TRUE(folder_entries(work_.path()).empty());
    }
}

TEST_F(EndToEnd, HelpPrintsTheUsage) {
    for (const char* help : {"-h", "--help"}) {
        const ProgramRun result = run({help});
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.standard_output.rfind(kUsageStart, 0), 0u);
        EXPECT_TRUE(folder_entries(work_.path()).empty());
    }
}

// Images larger than the memory the process may take (its data limit), 16384 x 16384 of 8 bits:
// a BMP measured as it is read, a band at a time on each thread of the image's team; PNG files
// decoded one at a time where two do not fit, and one that does not fit alone refused before it is
// decoded, both known from their headers.
struct MemoryCase {
    const char* what;
    bool png;  // else an uncompressed BMP, whose rows of zeros take no disk
    int side;
    int images;  // all decoded at once by the inner team, where memory allows
    std::uint64_t data_mib;
    int exit_status;
};

void PrintTo(const MemoryCase& limit, std::ostream* out) { *out << limit.what; }

class ImagesAndMemory : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(ImagesAndMemory, StayWithinTheMemoryAllowed) {
    if (!kLimitsOnMemoryApply) GTEST_SKIP() << "no memory limit applies under AddressSanitizer";
    const MemoryCase& limit = GetParam();
    TemporaryFolder stacks;
    TemporaryFolder work;
    std::filesystem::create_directory(stacks.path() + "001");
    cv::Mat pixels(limit.png ? limit.side : 1, limit.side, CV_8U, cv::Scalar(0));
    for (int image = 1; image <= limit.images; ++image) {
        const std::string file = stacks.path() + "001/0" + std::to_string(image) + ".bmp";
        std::vector<unsigned char> png;
        pixels(cv::Rect(image, 0, 1, 1)) = 200;
        ASSERT_TRUE(!limit.png || cv::imencode(".png", pixels, png));
        const std::string bytes = limit.png ? std::string(png.begin(), png.end())
                                            : bmp_headers(limit.side, limit.side, gray_palette());
        write_file(file, bytes);
        if (!limit.png) {
            std::filesystem::resize_file(file,
                                         bytes.size() + std::uintmax_t(limit.side) * limit.side);
        }
    }
    const ProgramRun run = run_program(
        "/usr/bin/prlimit",
        {"--data=" + std::to_string(limit.data_mib << 20), kExecutable, "1", stacks.path(), "1",
         "1", std::to_string(limit.images), "1", std::to_string(limit.images), "2"},
        work.path());
    EXPECT_EQ(run.exit_status, limit.exit_status) << run.standard_output << run.standard_error;
    EXPECT_EQ(run.standard_error.find("01.bmp: decoding and measuring it needs about 512 MiB, more "
                                      "than the ") != std::string::npos,
              limit.exit_status != 0)
        << run.standard_error;
}

INSTANTIATE_TEST_SUITE_P(
    Images, ImagesAndMemory,
    ::testing::Values(MemoryCase{"LoneBmpMeasuredAsItIsRead", false, 16384, 1, 64, 0},
                      MemoryCase{"PngTooLargeAloneIsRefused", true, 16384, 1, 256, 1},
                      MemoryCase{"TwoPngsThatFitOneAtATimeAreRead", true, 4096, 2, 112, 0}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
