// The name of the hidden folder the adapter extracts an encrypted archive into before moving
// the result into place; the application looks there too when it counts what has appeared.
#pragma once

#include <string_view>

namespace quendle::base {

// Followed by six random characters (mkdtemp's pattern), directly inside the output folder.
inline constexpr std::string_view kAsideFolderPrefix = ".quendle-";

} // namespace quendle::base
