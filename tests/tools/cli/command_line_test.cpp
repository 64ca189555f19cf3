#include "command_line.h"

#include <gtest/gtest.h>

namespace pelx::cli {
namespace {

// Reads one option's value with the given reader; the problem, or "" when it was taken.
template <typename Read> std::string problemWith(std::vector<std::string> words, Read read) {
    CommandLine line(std::move(words));
    line.next();
    try {
        read(line);
    } catch (const UsageError& error) {
        return error.what();
    }
    return "";
}

TEST(CommandLineTest, ValuesAtTheirBoundsAndJustPast) {
    struct Case {
        std::vector<std::string> words;
        int reader; // 0 size, 1 whole number 1..1000, 2 number 0..1, 3 two numbers, 4 a list
        const char* problem;
    };
    const Case cases[] = {
        {{"--size", "16x16"}, 0, ""},
        {{"--size", "8192x8192"}, 0, ""},
        {{"--size", "15x600"}, 0, "--size needs WxH from 16x16 to 8192x8192, for example 800x600"},
        {{"--size", "800x8193"}, 0, "--size needs WxH from 16x16 to 8192x8192, for example 800x600"},
        {{"--size", "800x600x"}, 0, "--size needs WxH from 16x16 to 8192x8192, for example 800x600"},
        {{"--size"}, 0, "--size needs a value"},
        {{"--fps", "1"}, 1, ""},
        {{"--fps", "1000"}, 1, ""},
        {{"--fps", "0"}, 1, "--fps needs a whole number from 1 to 1000"},
        {{"--fps", "1001"}, 1, "--fps needs a whole number from 1 to 1000"},
        {{"--fps", "2.5"}, 1, "--fps needs a whole number from 1 to 1000"},
        {{"--fps", "30fps"}, 1, "--fps needs a number, not '30fps'"},
        {{"--at", "1"}, 2, ""},
        {{"--at", "1.0001"}, 2, "--at needs a number from 0 to 1"},
        {{"--at", "nan"}, 2, "--at needs a number, not 'nan'"},
        {{"--at", "inf"}, 2, "--at needs a number, not 'inf'"},
        {{"--factors", "0.1,0.4"}, 3, ""},
        {{"--factors", "0.1"}, 3, "--factors takes 2 numbers separated by commas"},
        {{"--factors", "0.1,0.4,1"}, 3, "--factors takes 2 numbers separated by commas"},
        {{"--at", "1,,2"}, 4, "--at needs a number, not ''"},
        {{"--at", "1,"}, 4, "--at needs a number, not ''"},
        {{"--at", "-1,0.5,2"}, 4, ""},
    };
    for (const Case& c : cases) {
        const std::string problem = problemWith(c.words, [&](CommandLine& line) {
            switch (c.reader) {
            case 0:
                line.size();
                break;
            case 1:
                line.wholeNumber(1, 1000);
                break;
            case 2:
                line.number(0, 1);
                break;
            case 3:
                line.numbers(2);
                break;
            default:
                line.numberList();
                break;
            }
        });
        EXPECT_EQ(problem, c.problem) << c.words.back();
    }
}

} // namespace
} // namespace pelx::cli
