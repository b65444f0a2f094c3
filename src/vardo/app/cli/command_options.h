#pragma once
// The options of one vardo-run command, parsed the same way for every
// command: --help prints the command's help, an unknown option, a missing
// value or a wrong number of arguments print one error and the usage line.
//
// Use: declare the arguments and options, then
//     CommandOptions options("program", kUsage, "Shows a program file.");
//     options.argument("FILE", "the program file (.vpr)");
//     options.flag("json", "print JSON");
//     options.option("compact", "OUT", "write the compacted program to OUT");
//     if (auto exit = options.parse(args))
//         return *exit; // --help (0) or a usage error (2), already printed
//     ... options.isSet("json"), options.value("compact"), options.arguments()
#include "vardo/app/console_frontend.h"

#include <QCommandLineParser>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vardo::cli {

// Exit status of a command given wrong arguments.
inline constexpr int kUsageError = 2;

class CommandOptions {
public:
    // usage: the arguments part of the usage line ("FILE [--json]").
    CommandOptions(std::string command, std::string usage, std::string description);
    ~CommandOptions();

    // names: "json" or "i,input" (a one-letter name is used with one dash).
    void flag(const std::string& names, const std::string& help);
    void option(const std::string& names, const std::string& valueName, const std::string& help);
    // A positional argument, in order. Arguments after the required ones
    // are optional; `repeats` lets the last one take any number.
    void argument(const std::string& name, const std::string& help, bool required = true,
                  bool repeats = false);
    // The console answers of the commands that bring Vardo up: --yes, --no,
    // --agree; after parse, answers() gives them to the ConsoleFrontend.
    void answerFlags();
    ConsoleFrontend::Options answers() const;

    // nullopt: go on. Otherwise the command's exit status: 0 after --help,
    // kUsageError after an error (both already printed).
    std::optional<int> parse(const std::vector<std::string>& args);

    bool isSet(const std::string& name) const;
    // The last value given, or `fallback` when the option is absent.
    std::string value(const std::string& name, const std::string& fallback = {}) const;
    // Every value given, in order (an option may be repeated).
    std::vector<std::string> values(const std::string& name) const;
    const std::vector<std::string>& arguments() const { return arguments_; }

    // The option's value as a whole number within [min, max]; absent: the
    // fallback. A bad value prints the usage error and gives false.
    bool intValue(const std::string& name, int min, int max, int& out) const;
    // Prints "vardo-run COMMAND: text" and the hint to --help; gives kUsageError.
    int usageError(const std::string& text) const;

    // The help text --help prints.
    std::string helpText() const;

private:
    std::string usageLine() const;
    // The argument as given for a marked one (see parse), else the text.
    std::string unmarked(const QString& text) const;

    struct Entry {
        std::string names; // as declared, for the help
        std::string valueName;
        std::string help;
    };
    struct Argument {
        std::string name;
        std::string help;
        bool required;
        bool repeats;
    };

    std::string command_;
    std::string usage_;
    std::string description_;
    std::unique_ptr<QCommandLineParser> parser_;
    std::vector<Entry> entries_;
    std::vector<Argument> declared_;
    std::vector<std::string> given_;
    std::vector<std::string> arguments_;
};

} // namespace vardo::cli
