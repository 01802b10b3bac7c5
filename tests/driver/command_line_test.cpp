#include "command_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "measure_registry.h"

using namespace bestfocus;

namespace {

const std::string kDefaultBase = "/default/stacks/";

CommandLine parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "bestfocus");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return parse_command_line(static_cast<int>(argv.size()), argv.data(), kDefaultBase);
}

// The config parse_command_line set, its team sizes too.
void expect_config(const RunConfig& config, int method, const std::string& base, int first,
                   int last, int images, int threads_ext2, int threads_ext1, int threads) {
    EXPECT_EQ(config.methods, std::vector<int>{method});
    EXPECT_EQ(config.base_folder, base);
    EXPECT_EQ(config.first_folder, first);
    EXPECT_EQ(config.last_folder, last);
    EXPECT_EQ(config.images_per_stack, images);
    EXPECT_EQ(config.teams.threads_ext2, threads_ext2);
    EXPECT_EQ(config.teams.threads_ext1, threads_ext1);
    EXPECT_EQ(config.teams.threads, threads);
}

// The rule of every number: digits only.
TEST(ReadWholeNumber, TakesDigitsOnly) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"-17", std::nullopt},
        {"  +42", std::nullopt},
        {"+42", std::nullopt},
        {"\t5", std::nullopt},
        {"-05", std::nullopt},
        {"007", 7},
        {"0", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", std::nullopt},
        {"12abc", std::nullopt},
        {"2O", std::nullopt},
        {"3.9", std::nullopt},
        {"0x10", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"- 5", std::nullopt},
        {"7 ", std::nullopt},
        {"2147483648", std::nullopt},
        {"-99999999999999999999999", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(read_whole_number(text), value) << '"' << text << '"';
    }
}

TEST(ParseCommandLine, MethodsAreCodesOrNames) {
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"brenner", {5}},
        {"sum-modified-laplacian,1", {6, 1}},
        {"3,laplacian", {3, 4}},
    };
    for (const auto& [text, methods] : cases) {
        const CommandLine command_line = parse({text});
        ASSERT_EQ(command_line.action, CommandLineAction::run) << text;
        EXPECT_EQ(command_line.config.methods, methods) << text;
    }
    // Names are written as the usage lists them; a name given twice is a method twice.
    for (const char* text : {"Brenner", "brenner,5", "laplacian,"}) {
        EXPECT_EQ(parse({text}).action, CommandLineAction::refuse) << text;
    }
}

TEST(ParseCommandLine, EachArgumentCountKeepsTheDefaultsOfTheRest) {
    const std::vector<std::string> all = {"1", "/b/", "3", "9", "5", "4", "3", "7"};
    const int defaults[] = {1, 11, 11, 20, 8, 2, 10};
    for (std::size_t count = 0; count <= all.size(); ++count) {
        SCOPED_TRACE(count);
        const CommandLine command_line =
            parse(std::vector<std::string>(all.begin(), all.begin() + count));
        ASSERT_EQ(command_line.action, CommandLineAction::run);
        const RunConfig& c = command_line.config;
        expect_config(c, defaults[0], count >= 2 ? "/b/" : kDefaultBase,
                      count >= 3 ? 3 : defaults[1], count >= 4 ? 9 : defaults[2],
                      count >= 5 ? 5 : defaults[3], count >= 6 ? 4 : defaults[4],
                      count >= 7 ? 3 : defaults[5], count >= 8 ? 7 : defaults[6]);
    }
}

TEST(ParseCommandLine, MeasureThreadsAreReadOnlyWithExactlyEightArguments) {
    const CommandLine nine = parse({"1", "/b/", "3", "9", "5", "4", "3", "7", "extra"});
    ASSERT_EQ(nine.action, CommandLineAction::run);
    expect_config(nine.config, 1, "/b/", 3, 9, 5, 4, 3, 10);

    // The ignored eighth argument is not checked either.
    const CommandLine ten = parse({"1", "/b/", "3", "9", "5", "4", "3", "0", "x", "y"});
    ASSERT_EQ(ten.action, CommandLineAction::run);
    EXPECT_EQ(ten.config.teams.threads, 10);
}

TEST(ParseCommandLine, FolderNumbersAndBaseFolderAreTakenAsGiven) {
    const std::string long_base(5000, 'd');
    const CommandLine command_line = parse({"1", long_base, "4", "04", "2"});
    ASSERT_EQ(command_line.action, CommandLineAction::run);
    expect_config(command_line.config, 1, long_base, 4, 4, 2, 8, 2, 10);
}

TEST(ParseCommandLine, TeamsOfTheMostThreadsAreAccepted) {
    const CommandLine command_line = parse({"1", "/b/", "1", "2", "3", "1024", "1024", "1024"});
    ASSERT_EQ(command_line.action, CommandLineAction::run);
    expect_config(command_line.config, 1, "/b/", 1, 2, 3, 1024, 1024, 1024);
}

TEST(ParseCommandLine, HelpAmongTheOptionsAsksForTheUsage) {
    EXPECT_EQ(parse({"-h"}).action, CommandLineAction::show_usage);
    EXPECT_EQ(parse({"--help"}).action, CommandLineAction::show_usage);
    EXPECT_EQ(parse({"--quiet", "-h", "1"}).action, CommandLineAction::show_usage);
}

// After "--" or the first positional argument nothing is an option: "-h" there is a base folder.
TEST(ParseCommandLine, NothingAfterTheOptionsIsAnOption) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--", "1", "-h", "1", "1", "17"},
          std::vector<std::string>{"1", "-h", "1", "1", "17"}}) {
        const CommandLine command_line = parse(arguments);
        ASSERT_EQ(command_line.action, CommandLineAction::run);
        expect_config(command_line.config, 1, "-h", 1, 1, 17, 8, 2, 10);
    }
}

std::string refusal(int position, const std::string& name, const std::string& text,
                    const std::string& rule) {
    return "\nArgumento " + std::to_string(position) + " (" + name + ") incorrecto: \"" + text +
           "\"; debe ser un entero " + rule;
}

TEST(ParseCommandLine, RefusesTheFirstBadArgumentByName) {
    const int measures = static_cast<int>(measure_registry().size());
    const std::string methods = "de 1 a " + std::to_string(measures);
    const std::string past_last = std::to_string(measures + 1);
    const std::string not_negative = "mayor o igual que 0";  // 0: every image there is
    const std::string team = "de 1 a 1024";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"0"}, refusal(1, "metodo", "0", methods)},
        {{"abc"}, refusal(1, "metodo", "abc", methods)},
        {{past_last, "/b/", "1", "2", "0"}, refusal(1, "metodo", past_last, methods)},
        {{"1", "/b/", "1", "2", "-20"}, refusal(5, "imagenes por pila", "-20", not_negative)},
        {{"1", "/b/", "1", "2", "3", "no"}, refusal(6, "N_threads_ext2", "no", team)},
        {{"1", "/b/", "1", "2", "3", "4", "0"}, refusal(7, "N_threads_ext1", "0", team)},
        {{"1", "/b/", "1", "2", "3", "4", "5", "-2"}, refusal(8, "N_threads", "-2", team)},
        // Above the most threads per team: counts OpenMP could not create.
        {{"1", "/b/", "1", "2", "3", "70000"}, refusal(6, "N_threads_ext2", "70000", team)},
        {{"1", "/b/", "1", "2", "3", "4", "1025"}, refusal(7, "N_threads_ext1", "1025", team)},
        {{"1", "/b/", "1", "2", "3", "4", "5", "2147483647"},
         refusal(8, "N_threads", "2147483647", team)},
        // The options' settings the configuration's check refuses.
        {{"--image-names=%0250d.bmpabcd", "1"},
         "\nbestfocus: --image-names=%0250d.bmpabcd names image 1 with more than 255 bytes, a file "
         "name's limit"},
        {{"--roi=0,0,4,3", "1,2"},
         "\nbestfocus: the region 4 x 3 is smaller than the window of MDCT, which needs at least 5 "
         "x 5 pixels"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(message);
        const CommandLine command_line = parse(arguments);
        EXPECT_EQ(command_line.action, CommandLineAction::refuse);
        EXPECT_EQ(command_line.refusal, message);
    }
}

// Regions and tiles on which a method can only score 0 are refused, also where its window fits:
// a variance of one term (one Sobel response in 3 x 3 pixels, one pixel) is 0 whatever the image.
TEST(ParseCommandLine, RefusesRegionsAndTilesWhereAMethodCanOnlyScoreZero) {
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"--roi=0,0,3,3", "tenengrad-variance"}, false},
        {{"--roi=0,0,4,3", "tenengrad-variance"}, true},  // two responses
        {{"--roi=0,0,3,4", "tenengrad-variance"}, true},
        {{"--roi=0,0,3,3", "tenengrad"}, true},  // one squared response can be positive
        {{"--roi=0,0,1,1", "gray-variance"}, false},
        {{"--roi=0,0,2,1", "gray-variance"}, true},
        {{"--roi=0,0,7,6", "--tiles=2x2", "tenengrad-variance"}, false},  // 3 x 3 tiles
        {{"--roi=0,0,8,6", "--tiles=2x2", "tenengrad-variance"}, true},
    };
    for (const auto& [arguments, runs] : cases) {
        SCOPED_TRACE(arguments.front() + " " + arguments.back());
        const CommandLine command_line = parse(arguments);
        EXPECT_EQ(command_line.action, runs ? CommandLineAction::run : CommandLineAction::refuse);
        if (!runs) {
            EXPECT_NE(command_line.refusal.find("scores 0 on every"), std::string::npos);
        }
    }
}

TEST(UsageText, NamesTheArgumentsTheMeasuresAndTheDefaultBaseFolder) {
    const std::string usage = usage_text("/some/where/");
    EXPECT_EQ(usage.rfind("\nUsage: bestfocus", 0), 0u);
    for (const char* name : {"method", "base_folder", "first", "last", "images", "N_threads_ext2",
                             "N_threads_ext1", "N_threads", "/some/where/", "--engine=",
                             "--scores=", "--summary=", "--progress", "--quiet", "--version"}) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
    for (const MeasureEntry& measure : measure_registry()) {
        const std::string listed = std::to_string(measure.code) + " " + measure.long_name;
        EXPECT_NE(usage.find(listed), std::string::npos) << listed;
    }
}

}  // namespace
