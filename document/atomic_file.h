#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velquor {

// Faults a test can inject into writeFileAtomically; the default injects none.
struct WriteFaults
{
    // The write of the new bytes fails (as with a full disk) once this many have been written.
    std::optional<std::size_t> failAfterBytes;
    // The final rename fails.
    bool failRename = false;
};

// Replaces the file at path by the bytes without ever leaving it half written: the bytes go
// to a temporary file ".velquor-XXXXXX" in the same folder, which is flushed, synced and renamed
// over the target (so a name of any length the folder takes can be saved).
// - Symbolic links are followed to the name they finally give, which gets the bytes; the links
//   stay links, a dangling one then names the new file.
// - A file with more than one hard link is rewritten in place so that every name keeps seeing
//   it: its old bytes are first copied to a synced backup file in the folder, and put back if
//   the new ones cannot be written; the backup is removed at the end.
// - A target that exists and is not a regular file (a device, a pipe; "-" meaning standard
//   output) is written in place; a pipe that nobody reads is a failure, not a wait.
// - An existing file the process may not write (a write-protected one) is left alone.
// On any failure the old file is left as it was, the temporary files are removed and
// Error("ﾌｧｲﾙ %s を作成できません") is thrown with the path.
void writeFileAtomically(const std::string& path, std::string_view bytes);
void writeFileAtomically(
    const std::string& path, std::string_view bytes, const WriteFaults& faults);

} // namespace velquor
