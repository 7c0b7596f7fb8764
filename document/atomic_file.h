#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velquor {

// Faults a test can inject into writeFileAtomically; the default injects none.
struct WriteFaults
{
    // The write fails (as with a full disk) once this many bytes have been written.
    std::optional<std::size_t> failAfterBytes;
    // The final rename fails.
    bool failRename = false;
};

// Replaces the file at path by the bytes without ever leaving it half written: the bytes go
// to a temporary file in the same folder, which is flushed, synced and renamed over the
// target. A target that exists and is not a regular file (a device, a pipe; "-" meaning
// standard output) is written in place instead. A symbolic link is followed, so the file
// it names is replaced and the link stays.
// On any failure the old file is left as it was, the temporary file is removed and
// Error("ﾌｧｲﾙ %s を作成できません") is thrown with the path.
void writeFileAtomically(const std::string& path, std::string_view bytes);
void writeFileAtomically(
    const std::string& path, std::string_view bytes, const WriteFaults& faults);

} // namespace velquor
