// mkplanwerk: the sample working folder of the layout editor.
//   mkplanwerk DESCRIPTION PROGRAM_FOLDER SCRIPT_OUT
// Draws a photograph-like picture of the described layout into
// PROGRAM_FOLDER/planwerk/picture.bmp, writes the edit script that traces it
// to SCRIPT_OUT, and runs that script through the editor, whose Save leaves
// the traced rows in the working folder. PROGRAM_FOLDER needs Planwerk.ini.
#include "layout_description.h"
#include "sample_picture.h"
#include "sample_trace.h"

#include "common/byte_io.h"
#include "common/paths.h"
#include "planwerk/cli/console_frontend.h"
#include "planwerk/cli/edit_script.h"
#include "planwerk/editor_picture.h"
#include "planwerk/layout_editor.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

int fail(const std::string& text)
{
    std::fprintf(stderr, "mkplanwerk: %s\n", text.c_str());
    return 1;
}

// Runs the trace through the editor and saves. Anything the editor says
// means the trace did not go as meant.
bool trace(const std::string& folder, const std::string& script, std::string& error)
{
    char* logText = nullptr;
    size_t logSize = 0;
    FILE* log = open_memstream(&logText, &logSize);
    bool ok = false;
    {
        planwerk::cli::ConsoleFrontend frontend(log);
        planwerk::LayoutEditor editor(frontend, folder);
        if (editor.initialise()) {
            auto result = planwerk::cli::runEditScript(script, editor, frontend, log);
            editor.save();
            ok = result.line == 0;
            if (!ok)
                error = "line " + std::to_string(result.line) + ": " + result.text;
        }
    }
    std::fclose(log);
    std::string text(logText, logSize);
    std::free(logText);
    for (const char* bad : {"message:", "disabled:", "note:"}) {
        if (text.find(bad) != std::string::npos) {
            ok = false;
            error = "the trace did not run cleanly:\n" + text;
        }
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: mkplanwerk DESCRIPTION PROGRAM_FOLDER SCRIPT_OUT\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!common::readWholeFile(argv[1], bytes, 1u << 20))
        return fail(std::string("cannot read ") + argv[1]);
    mklayout::Description description;
    std::string error, script;
    if (!mklayout::parseDescription(std::string(bytes.begin(), bytes.end()), description, error) ||
        !mkplanwerk::traceScript(description, script, error))
        return fail(error);

    // Everything is made in a staging folder and moved into place file by
    // file at the end: tests read these files while a build may be making
    // them again, and a rename never leaves one missing or half written.
    const std::string folder = argv[2];
    const std::string work = common::joinPath(folder, "planwerk");
    const std::string stage = common::joinPath(folder, ".mkplanwerk-" + std::to_string(getpid()));
    const std::string stageWork = common::joinPath(stage, "planwerk");
    std::error_code ec;
    fs::remove_all(stage, ec);
    fs::create_directories(stageWork);
    fs::create_directories(work);
    auto abandon = [&](const std::string& text) {
        fs::remove_all(stage, ec);
        return fail(text);
    };
    fs::copy_file(common::joinPath(folder, "Planwerk.ini"), common::joinPath(stage, "Planwerk.ini"),
                  ec);
    if (ec)
        return abandon("cannot copy Planwerk.ini from " + folder);
    if (!planwerk::savePicture(common::joinPath(stageWork, "picture.bmp"),
                               mkplanwerk::samplePicture(description)))
        return abandon("cannot write the picture into " + stageWork);
    if (!trace(stage, script, error))
        return abandon(error);
    for (const auto& entry : fs::directory_iterator(stageWork))
        fs::rename(entry.path(), fs::path(work) / entry.path().filename());
    fs::remove_all(stage, ec);
    // The script last: it is what the build waits for.
    if (!common::writeFileAtomic(argv[3], script))
        return fail(std::string("cannot write the edit script ") + argv[3]);
    return 0;
}
