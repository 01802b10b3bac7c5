// What the tool never writes does not read back (what it writes reads back byte for byte: the
// merge tests and the piece parser's fuzz target).
#include <gtest/gtest.h>

#include "report_file.h"
#include "score_tables.h"

namespace bestfocus {
namespace {

TEST(ReadBack, TextTheToolNeverWritesDoesNotParse) {
    for (const char* line :
         {"1,1,1,0.5,,2", "1,0,1,0.5,,1", "1,1,0,0.5,,1", "1,1,1,nan,,1", "1,1,1,inf,1,1",
          "1,1,1,0.5,1,1,", "1,1,1, 0.5,1,1", "1,1,1,0.5,1", "2147483648,1,1,0.5,1,1"}) {
        EXPECT_FALSE(parse_score_row(line)) << line;
    }
    for (const char* line : {"1,1,1,1,late", "1,1,1,1,flat;edge", "1,1,1,1,edge;", "1,1,1,1,;edge",
                             "1,1,1,1,edge;edge", "1,1,0,1,", "1,1,1,1e999,"}) {
        EXPECT_FALSE(parse_summary_row(line)) << line;
    }
    for (const char* text :
         {"-5\n\nTotal time: 1.000000 seconds...", "01\n\nTotal time: 1.000000 seconds...",
          "1\n\nTotal time: 1.0 seconds...", "1\n\nTotal time: -1.000000 seconds...",
          "1\n\nTotal time: 1.000000 seconds", "1\n2\n\nTotal time: 1.000000 seconds..."}) {
        EXPECT_FALSE(parse_report(text, 1)) << text;
    }
    for (const char* name : {"BestFocus_AutofocusStacks_Folder_1_to_2_method_1.txt.tmp",
                             "BestFocus_AutofocusStacks_Folder_01_to_2_method_1.txt",
                             "BestFocus_AutofocusStacks_Folder_1_to_2147483648_method_1.txt"}) {
        EXPECT_FALSE(parse_report_file_name(name)) << name;
    }
}

}  // namespace
}  // namespace bestfocus
