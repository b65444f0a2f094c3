#pragma once
// The one way this system replaces a file on disk. A save that is cut short
// (power lost, process killed) must leave either the old file or the new
// one, never a mix, so every writer of a user's file goes through here.
#include "common/byte_io.h"

#include <cstdint>
#include <string>

namespace common {

// writeFileAtomic (declared with the other file helpers in byte_io.h) is
// implemented here: temporary beside the target, fsync, rename, fsync of the
// folder. A symbolic link is followed, so the file it points to is replaced
// and the link stays; an existing file keeps its permission bits.

// A save names its temporary "<target>.tmp" and this many characters. One
// killed before its rename leaves that file behind; the next save of the
// same target removes such leftovers once they are older than the limit
// (a younger one may belong to a save still running in another process).
inline constexpr size_t kTemporarySuffixLength = 6;
inline constexpr long kStaleTemporarySeconds = 60;

// Replaces a file with a copy of another, by the same route.
bool copyFileAtomic(const std::string& source, const std::string& target);

// The steps of one replacement, in order. Large files are written in
// several chunks, each one step.
enum class WriteStep { CreateTemporary, WriteChunk, Flush, Rename, FlushFolder };

// Called before every step of every replacement in this process. Tests use
// it to stop a process at a chosen moment inside a save; nullptr (the
// default) calls nothing.
using WriteStepHook = void (*)(WriteStep step);
void setWriteStepHook(WriteStepHook hook);

// The size of one write call, so a test knows how many chunks a file takes.
inline constexpr size_t kWriteChunkSize = 64 * 1024;

} // namespace common
