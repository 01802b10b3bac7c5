// The HTML page: one card per folder with its curves and a thumbnail per pick, flagged first,
// thumbnails that decode to the right images, every embedded text escaped, nothing fetched.
#include "html_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <opencv2/imgcodecs.hpp>

#include "html_escape.h"
#include "html_test_support.h"

namespace bestfocus {
namespace {

// A folder of the test run, with what its card must show, worked out by hand.
struct FolderCase {
    FolderScores scores;
    cv::Size image_size;
    cv::Size shown_size;     // a thumbnail on the card: 256 on its longer side, aspect kept
    cv::Size preview_size;   // the embedded image: fits 1024 x 1024, never enlarged
    std::vector<int> shown;  // each distinct pick, then the first pick's better neighbour
    bool flagged;
};

const std::vector<FolderCase> kCases = {
    // One clear peak at 5 for both methods; image 6 scores higher than image 4.
    {{3, {{1, {1, 2, 4, 8, 16, 9, 5, 3, 2}, 5}, {3, {2, 3, 5, 9, 20, 12, 6, 4, 3}, 5}}},
     {320, 240},
     {256, 192},
     {320, 240},
     {5, 6},
     false},
    // The pick is the first image: edge.
    {{1, {{1, {9, 5, 3, 2, 1}, 1}}}, {50, 500}, {26, 256}, {50, 500}, {1, 2}, true},
    // One clear peak at 3, image 2 above image 4.
    {{4, {{1, {2, 6, 12, 4, 2, 1}, 3}}}, {40, 30}, {256, 192}, {40, 30}, {3, 2}, false},
    // The measures pick images four apart: disagree; both picks and the first's neighbour.
    {{2, {{1, {1, 9, 3, 2, 1, 1, 1}, 2}, {4, {1, 1, 1, 2, 3, 9, 1}, 6}}},
     {2000, 500},
     {256, 64},
     {1024, 256},
     {2, 6, 3},
     true},
};
// Flagged first, each group in the given order.
const std::vector<int> kPageOrder = {1, 2, 3, 4};

// Image n of every folder is uniformly gray 20 n, so a thumbnail tells which image it shows.
int gray_of(int image_number) { return 20 * image_number; }

// The folders as a scan of the numbered layout under base_folder leaves them: folder N read from
// "<base>00N/", image n from "<base>00N/0n.bmp".
std::vector<FolderScores> folder_scores(const std::string& base_folder = "stacks/") {
    std::vector<FolderScores> folders;
    for (const FolderCase& c : kCases) {
        FolderScores folder = c.scores;
        folder.stack_path = base_folder + "00" + std::to_string(folder.folder) + "/";
        for (std::size_t n = 1; n <= folder.methods[0].scores.size(); ++n) {
            folder.images.emplace_back(folder.stack_path + "0" + std::to_string(n) + ".bmp");
        }
        folders.push_back(folder);
    }
    return folders;
}

// Reads the image back from its path: the folder's size, gray of the image's number.
ReportImageSource images_of_cases() {
    return [](const ImageLocation& image) {
        const std::size_t slash = image.file.rfind('/');
        const int folder = image.file[slash - 1] - '0';
        const int image_number = image.file[slash + 2] - '0';
        for (const FolderCase& c : kCases) {
            if (c.scores.folder == folder) {
                return cv::Mat(c.image_size, CV_8UC1, cv::Scalar(gray_of(image_number)));
            }
        }
        return cv::Mat();
    };
}

ReportRun test_run(const std::string& base_folder) {
    return {{{1, "Vollath F4"}, {3, "Tenengrad"}, {4, "Laplacian"}}, base_folder, 1, 4, "cpu", 1.5};
}

const FolderCase& case_of(int folder) {
    return *std::find_if(kCases.begin(), kCases.end(),
                         [&](const FolderCase& c) { return c.scores.folder == folder; });
}

TEST(HtmlReport, OneCardPerFolderWithItsCurvesAndThumbnailsFlaggedFirst) {
    const std::string page = html_report(test_run("stacks/"), folder_scores(), images_of_cases());
    const std::vector<std::string> cards = page_cards(page);
    ASSERT_EQ(cards.size(), kCases.size());
    for (std::size_t i = 0; i < cards.size(); ++i) {
        const std::string& card = cards[i];
        const FolderCase& expected = case_of(kPageOrder[i]);
        SCOPED_TRACE("folder " + std::to_string(expected.scores.folder));
        EXPECT_NE(card.find("id=\"folder-" + std::to_string(expected.scores.folder) + "\""),
                  std::string::npos);
        EXPECT_EQ(card.rfind("<section class=\"card flagged\"", 0) == 0, expected.flagged);
        EXPECT_EQ(count_of(card, "<svg"), 1u);
        EXPECT_EQ(count_of(card, "<polyline"), expected.scores.methods.size());

        const std::vector<std::string> sources = attribute_values(card, "src");
        const std::vector<std::string> widths = attribute_values(card, "width");
        const std::vector<std::string> heights = attribute_values(card, "height");
        ASSERT_EQ(sources.size(), expected.shown.size());
        for (std::size_t t = 0; t < expected.shown.size(); ++t) {
            const std::string prefix = "data:image/jpeg;base64,";
            ASSERT_EQ(sources[t].rfind(prefix, 0), 0u);
            const cv::Mat preview =
                cv::imdecode(decode_base64(sources[t].substr(prefix.size())), cv::IMREAD_UNCHANGED);
            ASSERT_FALSE(preview.empty());
            EXPECT_EQ(preview.type(), CV_8UC1);
            EXPECT_EQ(preview.size(), expected.preview_size);
            // The svg's own width and height come first.
            EXPECT_EQ(std::stoi(widths[t + 1]), expected.shown_size.width);
            EXPECT_EQ(std::stoi(heights[t + 1]), expected.shown_size.height);
            EXPECT_NEAR(cv::mean(preview)[0], gray_of(expected.shown[t]), 2.0);
        }
    }
    // A pick of several methods is shown once, naming them all.
    EXPECT_NE(page.find("image 5 · pick of Vollath F4, Tenengrad<"), std::string::npos);
    EXPECT_NE(page.find("2 of 4 (edge 1, disagree 1)"), std::string::npos);
}

TEST(HtmlReport, UnreadableImagesAreSaidSoAndThePageIsStillWritten) {
    const std::string page = html_report(test_run("stacks/"), folder_scores(),
                                         [](const ImageLocation&) { return cv::Mat(); });
    const std::vector<std::string> cards = page_cards(page);
    ASSERT_EQ(cards.size(), kCases.size());
    for (std::size_t i = 0; i < cards.size(); ++i) {
        EXPECT_EQ(count_of(cards[i], "<img"), 0u);
        EXPECT_EQ(count_of(cards[i], "could not be read"), case_of(kPageOrder[i]).shown.size());
    }
}

TEST(HtmlReport, EmbeddedTextIsEscapedInContentAndAttributes) {
    const std::string base = "run \"1\" & 'two'/<script>alert(1)</script>/";
    ReportRun run = test_run(base);
    run.methods[0].name = "<img src=x onerror=alert(1)>";
    run.engine = "</style><script>";
    const std::string page = html_report(run, folder_scores(base), images_of_cases());

    std::string lower = page;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    EXPECT_EQ(lower.find("<script"), std::string::npos);
    EXPECT_EQ(lower.find("<img src=x"), std::string::npos);
    EXPECT_EQ(count_of(lower, "</style>"), 1u);
    EXPECT_NE(page.find(html_escape(base)), std::string::npos);
    // Every image path reads back whole from its quoted attribute.
    const std::vector<std::string> paths = attribute_values(page, "alt");
    std::size_t thumbnails = 0;
    for (const FolderCase& c : kCases) thumbnails += c.shown.size();
    ASSERT_EQ(paths.size(), thumbnails);
    EXPECT_EQ(unescape_html(paths[0]), base + "001/01.bmp");
    EXPECT_EQ(unescape_html(paths[1]), base + "001/02.bmp");
}

TEST(HtmlReport, NothingIsLoadedFromOutsideThePage) {
    const std::string page = html_report(test_run("stacks/"), folder_scores(), images_of_cases());
    for (const std::string& source : attribute_values(page, "src")) {
        EXPECT_EQ(source.rfind("data:", 0), 0u);
    }
    for (const char* outside : {"<link", "<script", "url(", "@import", "://"}) {
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    }
    EXPECT_NE(page.find("Content-Security-Policy"), std::string::npos);
}

TEST(HtmlEscape, TheFiveMarkupCharactersBecomeReferencesAndReadBack) {
    EXPECT_EQ(html_escape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&#39;");
    std::string every_byte;
    for (int c = 1; c < 256; ++c) every_byte += static_cast<char>(c);
    const std::string escaped = html_escape(every_byte);
    EXPECT_EQ(escaped.find_first_of("<>\"'"), std::string::npos);
    EXPECT_EQ(unescape_html(escaped), every_byte);
}

}  // namespace
}  // namespace bestfocus
