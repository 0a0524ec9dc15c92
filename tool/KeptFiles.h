// What one adapter run keeps for the next one from the same Quendle: the decompressed tar of a
// compressed tar's listing, the listing of an archive whose entries alone are encrypted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quendle::adapter {

// The folder of the kept files, made private to the user (and made, unless told not to);
// empty when there is none.
std::string keptFolder(bool make = true);

// The name of what is kept of this archive for the Quendle that runs us (our parent): the kind
// ("tar", "list"), our parent and the archive's identity, so that a changed archive is never
// read from an old copy. Empty when the archive cannot be looked at.
std::string keptName(std::string_view kind, const std::string& archive, std::string_view suffix);

// Removes the kept files of this kind that nobody will take: those of a Quendle that has
// ended, and the earlier ones of ours (it expands one archive at a time).
void removeUnclaimed(const std::string& folder, std::string_view kind);

// The whole of a kept file that is ours and plain; nothing otherwise.
std::optional<std::string> readKept(const std::string& path);

// Writes a kept file under a name of its own and puts it in place when all of it is written.
bool writeKept(const std::string& path, std::string_view text);

} // namespace quendle::adapter
