// planwerk-run: the layout editor without a window.
//   planwerk-run edit SCRIPT [--json]
//   planwerk-run export [--yes] [--delete-stale]
//   planwerk-run picture IN OUT.bmp
// The program folder is the executable's folder or $VARDO_HOME.
#include "common/paths.h"
#include "planwerk/cli/console_frontend.h"
#include "planwerk/cli/edit_script.h"
#include "planwerk/editor_state_json.h"
#include "planwerk/layout_editor.h"
#include "planwerk/picture/photograph_conversion.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace planwerk;

void usage(FILE* out)
{
    std::fprintf(out, "usage: planwerk-run edit SCRIPT [--json]\n"
                      "       planwerk-run export [--yes] [--delete-stale]\n"
                      "       planwerk-run picture IN OUT.bmp\n");
}

bool readText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

int edit(const std::vector<std::string>& args)
{
    std::string scriptPath;
    bool json = false;
    for (const auto& a : args) {
        if (a == "--json")
            json = true;
        else if (scriptPath.empty() && !a.starts_with("--"))
            scriptPath = a;
        else
            return usage(stderr), 2;
    }
    if (scriptPath.empty())
        return usage(stderr), 2;
    std::string script;
    if (!readText(scriptPath, script)) {
        std::fprintf(stderr, "planwerk-run: cannot read %s\n", scriptPath.c_str());
        return 2;
    }
    cli::ConsoleFrontend frontend(stderr);
    LayoutEditor editor(frontend, common::programFolder());
    if (!editor.initialise())
        return 1;
    cli::ScriptError error = cli::runEditScript(script, editor, frontend, stderr);
    if (error.line) {
        std::fprintf(stderr, "%s:%d: %s\n", scriptPath.c_str(), error.line, error.text.c_str());
        return 2;
    }
    if (json)
        std::fputs(editorStateJson(editor).c_str(), stdout);
    return 0;
}

int exportFolder(const std::vector<std::string>& args)
{
    bool yes = false, deleteStale = false;
    for (const auto& a : args) {
        if (a == "--yes")
            yes = true;
        else if (a == "--delete-stale")
            deleteStale = true;
        else
            return usage(stderr), 2;
    }
    cli::ConsoleFrontend frontend(stderr);
    LayoutEditor editor(frontend, common::programFolder());
    if (!editor.initialise())
        return 1;
    // The confirmation, then the questions about stale files.
    frontend.queue({yes ? Answer::Yes : Answer::No, std::nullopt, {}});
    frontend.setFallback(deleteStale ? Answer::Yes : Answer::No);
    if (!editor.run(Command::Export)) {
        std::fprintf(stderr,
                     "planwerk-run: nothing to export: the working folder %s has no "
                     "layout picture\n",
                     editor.workingFolder().c_str());
        return 1;
    }
    return 0;
}

// What Planwerk makes of a photograph: opened, cut to 4:3 when needed (the
// question answered with OK) and stretched to 640 x 480.
int picture(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return usage(stderr), 2;
    std::string error;
    if (!convertPhotograph(args[0], args[1], error)) {
        std::fprintf(stderr, "planwerk-run: %s: %s\n", args[0].c_str(), error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "edit")
        return edit(args);
    if (command == "export")
        return exportFolder(args);
    if (command == "picture")
        return picture(args);
    if (command == "--help" || command == "-h") {
        usage(stdout);
        return 0;
    }
    std::fprintf(stderr, "planwerk-run: unknown command '%s'\n", command.c_str());
    usage(stderr);
    return 2;
}
