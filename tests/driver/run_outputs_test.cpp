// Runs with several methods and the optional outputs: the reports equal single-method runs', the
// scores file holds the values those runs saw, the summary and standard error flag doubtful
// stacks, and the options are refused like bad arguments.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "measure_registry.h"
#include "test_support.h"

using namespace bestfocus;

namespace {

const std::string kExecutable = BESTFOCUS_EXECUTABLE;

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
             start = comma + 1) {
            fields.push_back(line.substr(start, comma - start));
        }
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}

class RunOutputs : public ::testing::Test {
  protected:
    void SetUp() override {
        // Folder 1 peaks inside the stack; folder 2 at its last image, which every method flags.
        write_test_stack(stacks_.path(), "001", {10, 40, 90, 30, 20}, 40, 30);
        write_test_stack(stacks_.path(), "002", {10, 20, 30, 40, 50}, 40, 30);
    }
    ProgramRun run(std::vector<std::string> arguments, const std::string& folder) {
        return run_program(kExecutable, arguments, folder);
    }
    TemporaryFolder stacks_;
    TemporaryFolder work_;
    TemporaryFolder single_;
};

TEST_F(RunOutputs, AllMethodsInOnePassWriteWhatSingleRunsWrite) {
    const ProgramRun all =
        run({"--scores=scores.csv", "--summary=summary.csv", "all", stacks_.path(), "1", "2", "5"},
            work_.path());
    ASSERT_EQ(all.exit_status, 0) << all.standard_output << all.standard_error;
    const auto scores = csv_rows(read_file(work_.path() + "scores.csv"));
    const auto summary = csv_rows(read_file(work_.path() + "summary.csv"));
    const std::size_t methods = measure_registry().size();
    ASSERT_EQ(scores.size(), 1 + 2 * 5 * methods);
    ASSERT_EQ(summary.size(), 1 + 2 * methods);

    for (const MeasureEntry& measure : measure_registry()) {
        SCOPED_TRACE(measure.long_name);
        const std::string code = std::to_string(measure.code);
        const ProgramRun one =
            run({"--scores=one.csv", code, stacks_.path(), "1", "2", "5"}, single_.path());
        ASSERT_EQ(one.exit_status, 0);
        const std::string report = report_name(1, 2, measure.code);
        const std::string lines = report_lines(read_file(work_.path() + report));
        EXPECT_EQ(lines, report_lines(read_file(single_.path() + report)));
        EXPECT_EQ(lines, "3\n5\n");

        // This method's rows of the all-methods file are the single run's, value for value, and
        // mark the images its report names.
        std::vector<std::vector<std::string>> rows_of_method;
        for (const auto& row : scores) {
            if (row[2] == code) rows_of_method.push_back(row);
        }
        const auto one_rows = csv_rows(read_file(single_.path() + "one.csv"));
        ASSERT_EQ(rows_of_method.size() + 1, one_rows.size());
        for (std::size_t i = 0; i < rows_of_method.size(); ++i) {
            EXPECT_EQ(rows_of_method[i], one_rows[i + 1]);
            const auto& row = rows_of_method[i];
            const bool picked =
                (row[0] == "1" && row[1] == "3") || (row[0] == "2" && row[1] == "5");
            EXPECT_EQ(row[5], picked ? "1" : "0");
            EXPECT_GT(std::strtod(row[3].c_str(), nullptr), 0.0);
        }
        std::filesystem::remove(single_.path() + report);
    }
    for (std::size_t i = 1; i < summary.size(); ++i) {
        EXPECT_EQ(summary[i][4], summary[i][0] == "2" ? "edge" : "") << summary[i][1];
    }
    // Standard output is the time alone; the flagged folder is named on standard error.
    EXPECT_EQ(all.standard_output.find("flagged"), std::string::npos);
    EXPECT_NE(all.standard_error.find("bestfocus: folder 2 flagged: "), std::string::npos);
    EXPECT_EQ(all.standard_error.find("folder 1 "), std::string::npos);
}

TEST_F(RunOutputs, QuietSilencesWarningsAndProgressLinesAreAskedFor) {
    const ProgramRun quiet = run({"--quiet", "1,4", stacks_.path(), "1", "2", "5"}, work_.path());
    EXPECT_EQ(quiet.exit_status, 0);
    EXPECT_EQ(quiet.standard_error, "");
    EXPECT_EQ(report_lines(read_file(work_.path() + report_name(1, 2, 4))), "3\n5\n");

    const ProgramRun progress =
        run({"--progress", "--", "2", stacks_.path(), "1", "2", "5"}, work_.path());
    EXPECT_EQ(progress.exit_status, 0);
    EXPECT_NE(progress.standard_error.find("progress: 50%, 1/2 stacks"), std::string::npos);
    EXPECT_NE(progress.standard_error.find("progress: 100%, 2/2 stacks"), std::string::npos);
}

// Standard output begins with the message; standard error, after the usage, holds its English.
TEST_F(RunOutputs, BadCommandLinesAreRefusedInBothLanguages) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
        std::string english;
    };
    const std::string team = "; it must be a whole number from 1 to 1024 (digits only)\n";
    const Case cases[] = {
        {{"--colour", "1"}, "\nbestfocus: unknown option --colour", ""},
        {{"--engine=gpu"},
         "\nbestfocus: unknown engine \"gpu\" (--engine takes auto, cuda or cpu)",
         ""},
        {{"--scores"}, "\nbestfocus: option --scores needs a value", ""},
        {{"--summary="}, "\nbestfocus: option --summary needs a file name, not an empty value", ""},
        {{"--html", ""}, "\nbestfocus: option --html needs a file name, not an empty value", ""},
        // A long option with one dash is read as letters; the whole argument is named.
        {{"-scores=x.csv", "1"},
         "\nbestfocus: unknown option -scores=x.csv (long options begin with two dashes: "
         "--scores=x.csv)",
         ""},
        {{"-sx"}, "\nbestfocus: unknown option -sx", ""},
        // Names longer than a file name can be: refused before any work, nothing allocated.
        {{"--folder-names=%2147483647d"},
         "\nbestfocus: bad --folder-names \"%2147483647d\": \"%2147483647d\" asks for more",
         ""},
        {{"--image-names=%.999999999d"}, "\nbestfocus: bad --image-names \"%.999999999d\"", ""},
        {{"--folder-names=" + std::string(251, 'f') + "%d", "1", stacks_.path(), "99999", "99999"},
         "\nbestfocus: --folder-names=" + std::string(251, 'f') + "%d names folder 99999 with",
         ""},
        {{"1,99"},
         "\nArgumento 1 (metodo) incorrecto: \"1,99\"; debe ser una lista de enteros",
         "bestfocus: argument 1 (method) is incorrect: \"1,99\"; it must be a list of whole "
         "numbers"},
        {{"2,2"}, "\nArgumento 1 (metodo) incorrecto: \"2,2\"; debe ser una lista de enteros", ""},
        // After the first positional argument nothing is an option.
        {{"1", stacks_.path(), "1", "1", "5", "--scores=x.csv"},
         "\nArgumento 6 (N_threads_ext2) incorrecto: \"--scores=x.csv\"",
         "bestfocus: argument 6 (N_threads_ext2) is incorrect: \"--scores=x.csv\"" + team +
             "bestfocus: options go before the positional arguments: \"--scores=x.csv\" was read "
             "as argument 6\n"},
        // A range that runs backwards holds no folder: nothing to report.
        {{"1", stacks_.path(), "2", "1", "5"},
         "\nArgumento 4 (ultima carpeta) incorrecto: \"1\"; debe ser un entero mayor o igual que 2",
         "bestfocus: argument 4 (last folder) is incorrect: \"1\"; it must be a whole number of "
         "at least 2 (digits only)\n"},
        {{"1", stacks_.path(), "12"},
         "\nArgumento 3 (primera carpeta) incorrecto: \"12\"; debe ser un entero menor o igual que "
         "11",
         ""},
        // Numbers with anything after them are no numbers.
        {{"1", stacks_.path(), "1", "2", "2O"},
         "\nArgumento 5 (imagenes por pila) incorrecto: \"2O\"; debe ser un entero mayor o igual "
         "que 0",
         ""},
        {{"1", stacks_.path(), "eleven"},
         "\nArgumento 3 (primera carpeta) incorrecto: \"eleven\"; debe ser un entero\n",
         "bestfocus: argument 3 (first folder) is incorrect: \"eleven\"; it must be a whole "
         "number (digits only)\n"},
        // One rule for every number: digits only, no blank, sign or tab.
        {{"1", stacks_.path(), "-05", "1"},
         "\nArgumento 3 (primera carpeta) incorrecto: \"-05\"; debe ser un entero\n",
         "bestfocus: argument 3 (first folder) is incorrect: \"-05\"; it must be a whole number "
         "(digits only)\n"},
        {{"1", stacks_.path(), "1", " 2"}, "\nArgumento 4 (ultima carpeta) incorrecto: \" 2\"", ""},
        {{"1", stacks_.path(), "1", "2", "+3"},
         "\nArgumento 5 (imagenes por pila) incorrecto: \"+3\"",
         ""},
        {{"1", stacks_.path(), "1", "2", "3", "\t2"},
         "\nArgumento 6 (N_threads_ext2) incorrecto: \"\t2\"",
         ""},
        {{"--roi=0,0,+8,8"}, "\nbestfocus: bad --roi \"0,0,+8,8\"", ""},
        {{"3x"}, "\nArgumento 1 (metodo) incorrecto: \"3x\"; debe ser un entero de 1 a", ""},
    };
    for (const Case& refusal : cases) {
        SCOPED_TRACE(refusal.message);
        const ProgramRun refused = run(refusal.arguments, work_.path());
        EXPECT_EQ(refused.exit_status, 2);
        EXPECT_EQ(refused.standard_output.rfind(refusal.message, 0), 0u) << refused.standard_output;
        EXPECT_NE(refused.standard_output.find("\nUsage: bestfocus"), std::string::npos);
        // An English refusal is repeated on standard error as it stands.
        const std::string english =
            refusal.english.empty() && refusal.message.rfind("\nbestfocus: ", 0) == 0
                ? refusal.message.substr(1)
                : refusal.english;
        EXPECT_NE(refused.standard_error.find(english), std::string::npos)
            << refused.standard_error;
    }
    EXPECT_TRUE(folder_entries(work_.path()).empty());
}

TEST_F(RunOutputs, VersionNamesTheBuildAndTheEngineAutoChooses) {
    const ProgramRun version = run({"--version"}, work_.path());
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_EQ(version.standard_output.rfind("bestfocus ", 0), 0u);
    EXPECT_NE(version.standard_output.find("\nengine auto: "), std::string::npos);
    EXPECT_NE(version.standard_output.find("\nOpenCV "), std::string::npos);
    EXPECT_TRUE(folder_entries(work_.path()).empty());
}

TEST_F(RunOutputs, UnwritableScoresFileFailsTheRunButKeepsTheReport) {
    const ProgramRun result =
        run({"--scores=missing/scores.csv", "1", stacks_.path(), "1", "2", "5"}, work_.path());
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_NE(result.standard_error.find("bestfocus: cannot write the scores file "
                                         "missing/scores.csv: No such file or directory"),
              std::string::npos);
    EXPECT_EQ(folder_entries(work_.path()), std::vector<std::string>{report_name(1, 2, 1)});
}

}  // namespace
