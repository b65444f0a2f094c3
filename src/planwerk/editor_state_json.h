#pragma once
// The editor's state as JSON, for scripts and tests.
#include "planwerk/layout_editor.h"

#include <string>

namespace planwerk {

std::string editorStateJson(const LayoutEditor& editor, int indent = 2);

} // namespace planwerk
