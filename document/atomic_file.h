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
//   it: its old bytes and then the new ones are first put, complete and synced, beside it
//   (".velquor-INODE.old", ".velquor-INODE.new"); the old ones are put back if the new ones
//   cannot be written, and a crash while the file is rewritten leaves the new ones for the next
//   save or load of it to complete the rewrite (see completeInterruptedRewrite). Both are
//   removed at the end.
// - A rewrite of the file that a crash cut short is completed first.
// - A target that exists and is not a regular file (a device, a pipe; "-" meaning standard
//   output) is written in place; a pipe that nobody reads is a failure, not a wait.
// - An existing file the process may not write (a write-protected one) is left alone.
// On any failure the old file is left as it was, the temporary files are removed and
// Error("ﾌｧｲﾙ %s を作成できません") is thrown with the path.
void writeFileAtomically(const std::string& path, std::string_view bytes);
void writeFileAtomically(
    const std::string& path, std::string_view bytes, const WriteFaults& faults);

// Completes the rewrite in place of the regular file at path (symbolic links followed) that a
// crash cut short: when the new bytes of such a rewrite wait beside it, they are written into
// it, so that the file holds the whole document that was being saved, not a torn one. Returns
// whether it completed one; false when there was none (or path is no regular file). Throws
// Error("ﾌｧｲﾙ %s を作成できません") when the waiting bytes cannot be written; they then stay.
bool completeInterruptedRewrite(const std::string& path);

} // namespace velquor
