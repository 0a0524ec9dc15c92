// Where the installed application keeps its resources and its archiver.
#pragma once

#include <QString>

namespace quendle {

// <prefix>/share/quendle beside <prefix>/bin, unless QUENDLE_RESOURCE_PATH says otherwise.
QString resourcePath();
// The archiver at "<resource folder>/.utility/7z".
QString toolPath();

} // namespace quendle
