// The command line as every Pelx tool reads it: --help and -h print the usage on standard
// output, --version prints "NAME VERSION", and a word that cannot be used ends the tool with
// "NAME: what is wrong" and the usage on standard error, status 2. Sizes, numbers and lists are
// read here once, with one wording for what is wrong with them.
//
// The first of the tools: uses no other folder.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace pelx::cli {

// A word the tool cannot use; what() says why, in the words the user sees.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a tool is called and how it is used, for --help, --version and usage errors.
struct Tool {
    const char* name;
    std::string usage;
};

// Prints the usage on standard output and exits with 0 (--help), or "NAME VERSION" (--version).
[[noreturn]] void printUsage(const Tool& tool);
[[noreturn]] void printVersion(const Tool& tool);
// "NAME: problem" and the usage on standard error, exit status 2.
[[noreturn]] void exitWithUsageError(const Tool& tool, const std::string& problem);

struct Size {
    int width = 0;
    int height = 0;
};
// The sizes of windows and pictures the tools accept, in pixels a side.
inline constexpr int MIN_SIZE = 16;
inline constexpr int MAX_SIZE = 8192;

// The words after the program's name, one at a time. The typed readers take the word after
// the current option as its value and throw UsageError when it is missing or unusable.
class CommandLine {
  public:
    CommandLine(int argc, char** argv, int first = 1);
    explicit CommandLine(std::vector<std::string> words);

    // Moves to the next word; false when none is left.
    bool next();
    const std::string& word() const { return current; }
    bool is(const char* option) const { return current == option; }
    // Whether the word is written as an option ("-x", "--xy"), not as a file or a value.
    bool isOption() const { return current.size() > 1 && current[0] == '-'; }
    // For a tool's main loop: answers --help, -h and --version (exiting), and refuses any other
    // option, which the tool did not know.
    void answerOrRefuse(const Tool& tool) const;

    std::string value();
    // A finite number, or one within [low, high].
    double number();
    double number(double low, double high);
    int wholeNumber(long long low, long long high);
    // Exactly count numbers separated by commas, or any number of them (at least one).
    std::vector<double> numbers(size_t count);
    std::vector<double> numberList();
    // WxH with both sides from MIN_SIZE to MAX_SIZE.
    Size size();

    [[noreturn]] void refuse(const std::string& problem) const { throw UsageError(problem); }

  private:
    double parseNumber(const std::string& text) const;

    std::vector<std::string> words;
    size_t nextIndex = 0;
    std::string current;
};

} // namespace pelx::cli
