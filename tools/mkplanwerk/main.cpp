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

namespace {

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

    std::string folder = argv[2];
    std::string work = common::joinPath(folder, "planwerk");
    std::filesystem::create_directories(work);
    // A fresh trace: old rows would be in the way of the clicks.
    std::filesystem::remove(common::joinPath(work, "layout.dat"));
    if (!planwerk::savePicture(common::joinPath(work, "picture.bmp"),
                               mkplanwerk::samplePicture(description)))
        return fail("cannot write the picture into " + work);
    if (!common::writeFileAtomic(argv[3], script))
        return fail(std::string("cannot write the edit script ") + argv[3]);
    if (!trace(folder, script, error))
        return fail(error);
    return 0;
}
