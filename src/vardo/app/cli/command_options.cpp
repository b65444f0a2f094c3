#include "vardo/app/cli/command_options.h"

#include <QStringList>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace vardo::cli {

namespace {

// QCommandLineParser takes every argument that starts with '-' for an
// option, so a negative number ("-5") would be refused, and it holds text as
// UTF-16, which would change file names that are not valid UTF-8. So every
// argument that is not an option goes in as a mark with its index, and what
// the command reads is the argument as it was given.
constexpr char kMark = '\x1f';

bool looksNegative(const std::string& arg)
{
    return arg.size() >= 2 && arg[0] == '-' &&
           (std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.');
}

QStringList splitNames(const std::string& names)
{
    return QString::fromStdString(names).split(u',', Qt::SkipEmptyParts);
}

std::string dashed(const std::string& names)
{
    std::string out;
    for (const QString& name : splitNames(names)) {
        if (!out.empty())
            out += ", ";
        out += (name.size() == 1 ? "-" : "--") + name.toStdString();
    }
    return out;
}

} // namespace

CommandOptions::CommandOptions(std::string command, std::string usage, std::string description)
    : command_(std::move(command)), usage_(std::move(usage)), description_(std::move(description)),
      parser_(std::make_unique<QCommandLineParser>())
{
    parser_->setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser_->addOption(QCommandLineOption(QStringList{"h", "help"}));
}

CommandOptions::~CommandOptions() = default;

void CommandOptions::flag(const std::string& names, const std::string& help)
{
    parser_->addOption(QCommandLineOption(splitNames(names)));
    entries_.push_back({names, {}, help});
}

void CommandOptions::option(const std::string& names, const std::string& valueName,
                            const std::string& help)
{
    parser_->addOption(
        QCommandLineOption(splitNames(names), {}, QString::fromStdString(valueName)));
    entries_.push_back({names, valueName, help});
}

void CommandOptions::argument(const std::string& name, const std::string& help, bool required,
                              bool repeats)
{
    declared_.push_back({name, help, required, repeats});
}

void CommandOptions::answerFlags()
{
    flag("yes", "answer every question with yes");
    flag("no", "answer every question with no");
    flag("agree", "agree to the notice shown at start");
}

ConsoleFrontend::Options CommandOptions::answers() const
{
    ConsoleFrontend::Options options;
    if (isSet("yes"))
        options.answer = Answer::Yes;
    else if (isSet("no"))
        options.answer = Answer::No;
    options.agree = isSet("agree");
    return options;
}

std::string CommandOptions::unmarked(const QString& text) const
{
    const std::string s = text.toStdString();
    if (s.size() < 2 || s.front() != kMark)
        return s;
    size_t index = 0;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data() + 1, end, index);
    return ec == std::errc() && ptr == end && index < given_.size() ? given_[index] : s;
}

std::optional<int> CommandOptions::parse(const std::vector<std::string>& args)
{
    given_ = args;
    QStringList list{QString::fromStdString("vardo-run " + command_)};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = arg.starts_with('-') && arg != "-" && !looksNegative(arg);
        list << QString::fromStdString(option ? arg : kMark + std::to_string(i));
    }
    if (!parser_->parse(list))
        return usageError(parser_->errorText().toStdString());
    if (parser_->isSet("help")) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    arguments_.clear();
    for (const QString& arg : parser_->positionalArguments())
        arguments_.push_back(unmarked(arg));

    size_t required = 0;
    for (const Argument& a : declared_)
        required += a.required ? 1 : 0;
    const bool unlimited = !declared_.empty() && declared_.back().repeats;
    if (arguments_.size() < required)
        return usageError("missing " + declared_[arguments_.size()].name);
    if (!unlimited && arguments_.size() > declared_.size())
        return usageError("unexpected argument '" + arguments_[declared_.size()] + "'");
    return std::nullopt;
}

bool CommandOptions::isSet(const std::string& name) const
{
    return parser_->isSet(QString::fromStdString(name));
}

std::string CommandOptions::value(const std::string& name, const std::string& fallback) const
{
    const QStringList all = parser_->values(QString::fromStdString(name));
    return all.isEmpty() ? fallback : unmarked(all.back());
}

std::vector<std::string> CommandOptions::values(const std::string& name) const
{
    std::vector<std::string> out;
    for (const QString& v : parser_->values(QString::fromStdString(name)))
        out.push_back(unmarked(v));
    return out;
}

bool CommandOptions::intValue(const std::string& name, int min, int max, int& out) const
{
    if (!isSet(name))
        return true;
    const std::string text = value(name);
    int v = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || ptr != end || v < min || v > max) {
        usageError("--" + name + " needs a whole number from " + std::to_string(min) + " to " +
                   std::to_string(max) + ", not '" + text + "'");
        return false;
    }
    out = v;
    return true;
}

std::string CommandOptions::usageLine() const
{
    return "vardo-run " + command_ + (usage_.empty() ? "" : " " + usage_);
}

int CommandOptions::usageError(const std::string& text) const
{
    std::fprintf(stderr, "vardo-run %s: %s\nusage: %s\n(vardo-run %s --help shows the options)\n",
                 command_.c_str(), text.c_str(), usageLine().c_str(), command_.c_str());
    return kUsageError;
}

std::string CommandOptions::helpText() const
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const Argument& a : declared_)
        rows.push_back({a.name, a.help});
    const size_t argumentRows = rows.size();
    for (const Entry& e : entries_)
        rows.push_back({dashed(e.names) + (e.valueName.empty() ? "" : " " + e.valueName), e.help});
    rows.push_back({"-h, --help", "show this help"});
    size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());

    std::string text = "usage: " + usageLine() + "\n";
    if (!description_.empty())
        text += "\n" + description_ + "\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 && argumentRows > 0)
            text += "\narguments:\n";
        if (i == argumentRows)
            text += "\noptions:\n";
        text += "  " + rows[i].first + std::string(width - rows[i].first.size() + 2, ' ') +
                rows[i].second + "\n";
    }
    return text;
}

} // namespace vardo::cli
