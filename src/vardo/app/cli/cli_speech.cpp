// speech: recognises the phrases of a WAV recording (or takes one phrase as
// text) and prints the command each one matches, without carrying it out.
#include "common/json_text.h"
#include "common/paths.h"
#include "vardo/app/cli/command_options.h"
#include "vardo/app/cli/command_registry.h"
#include "vardo/base/settings.h"
#include "vardo/devices/speech_input.h"
#include "vardo/devices/speech_wav.h"
#include "vardo/operation/speech_commands.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vardo::cli {

namespace {

struct Options {
    std::string wav;
    std::string text;
    bool hasText = false;
    bool json = false;
};

// nullopt: go on; otherwise the exit status, the error already printed.
std::optional<int> parseOptions(const std::vector<std::string>& args, Options& o)
{
    CommandOptions c("speech", "(--wav FILE | --text PHRASE) [--json]",
                     "The command each recognised phrase matches, without carrying it out.");
    c.option("wav", "FILE", "recognise the phrases of this recording");
    c.option("text", "PHRASE", "match this phrase as if it had been recognised");
    c.flag("json", "print one JSON object per phrase");
    if (auto exit = c.parse(args))
        return exit;
    o.wav = c.value("wav");
    o.hasText = c.isSet("text");
    o.text = c.value("text");
    o.json = c.isSet("json");
    if (o.wav.empty() == !o.hasText)
        return c.usageError("give one of --wav and --text");
    return std::nullopt;
}

void printMatch(const std::string& phrase, int command, bool json)
{
    if (!json) {
        std::printf("\"%s\" -> %d\n", phrase.c_str(), command);
        return;
    }
    const common::Json out = {{"phrase", phrase}, {"command", command}};
    std::printf("%s\n", common::jsonText(out).c_str());
}

int speech(const std::vector<std::string>& args)
{
    Options o;
    if (auto exit = parseOptions(args, o))
        return *exit;
    const std::string folder = common::programFolder();
    Settings settings(folder + "/VARDO.ini", folder + "/option.ini");
    SpeechKeywords keywords;
    keywords.load(settings);
    // Phrases are matched as the speech window shows them: with one blank after.
    auto report = [&](const std::string& phrase) {
        printMatch(phrase, keywords.match(phrase + " "), o.json);
    };
    if (o.hasText) {
        report(o.text);
        return 0;
    }
    std::vector<int16_t> samples;
    std::string error;
    SpeechRecognizer recognizer;
    if (!readSpeechWav(o.wav, samples, error) ||
        !openRecognizer(recognizer, keywords.allKeywords(), error)) {
        std::fprintf(stderr, "speech: %s\n", error.c_str());
        return 1;
    }
    const SpeechEventSink sink = [&](const SpeechEvent& e) {
        if (e.kind == SpeechEvent::Kind::Recognition)
            report(e.text);
    };
    recognizer.feed(samples.data(), samples.size(), sink);
    recognizer.finish(sink);
    return 0;
}

CommandRegistration reg("speech",
                        "(--wav FILE | --text PHRASE) [--json]  recognised phrases and "
                        "the speech command each matches (-1: none)",
                        &speech);

} // namespace

} // namespace vardo::cli
