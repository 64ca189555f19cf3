// The tools' shared command-line reading.
#include "command_line.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pelx::cli {

namespace {

std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

void printUsage(const Tool& tool) {
    std::fputs(tool.usage.c_str(), stdout);
    std::exit(0);
}

void printVersion(const Tool& tool) {
    std::printf("%s %s\n", tool.name, PELX_VERSION);
    std::exit(0);
}

void exitWithUsageError(const Tool& tool, const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n%s", tool.name, problem.c_str(), tool.usage.c_str());
    std::exit(2);
}

CommandLine::CommandLine(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) words.emplace_back(argv[i]);
}

CommandLine::CommandLine(std::vector<std::string> given) : words(std::move(given)) {}

bool CommandLine::next() {
    if (nextIndex >= words.size()) return false;
    current = words[nextIndex++];
    return true;
}

void CommandLine::answerOrRefuse(const Tool& tool) const {
    if (is("--help") || is("-h")) printUsage(tool);
    if (is("--version")) printVersion(tool);
    refuse("unknown option " + current);
}

std::string CommandLine::value() {
    if (nextIndex >= words.size()) refuse(current + " needs a value");
    return words[nextIndex++];
}

double CommandLine::parseNumber(const std::string& text) const {
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(parsed))
        refuse(current + " needs a number, not '" + text + "'");
    return parsed;
}

double CommandLine::number() {
    return parseNumber(value());
}

double CommandLine::number(double low, double high) {
    const double parsed = number();
    if (parsed < low || parsed > high)
        refuse(current + " needs a number from " + shortNumber(low) + " to " + shortNumber(high));
    return parsed;
}

int CommandLine::wholeNumber(long long low, long long high) {
    const std::string text = value();
    const double parsed = parseNumber(text);
    if (parsed < static_cast<double>(low) || parsed > static_cast<double>(high) ||
        parsed != std::floor(parsed))
        refuse(current + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return static_cast<int>(parsed);
}

std::vector<double> CommandLine::numberList() {
    const std::string list = value();
    std::vector<double> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        values.push_back(parseNumber(list.substr(start, comma == std::string::npos ? comma : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return values;
}

std::vector<double> CommandLine::numbers(size_t count) {
    const std::vector<double> values = numberList();
    if (values.size() != count)
        refuse(current + " takes " + std::to_string(count) + " numbers separated by commas");
    return values;
}

Size CommandLine::size() {
    const std::string text = value();
    Size size;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &size.width, &size.height, &extra) != 2 ||
        size.width < MIN_SIZE || size.height < MIN_SIZE || size.width > MAX_SIZE || size.height > MAX_SIZE)
        refuse(current + " needs WxH from " + std::to_string(MIN_SIZE) + "x" + std::to_string(MIN_SIZE) +
               " to " + std::to_string(MAX_SIZE) + "x" + std::to_string(MAX_SIZE) + ", for example 800x600");
    return size;
}

} // namespace pelx::cli
