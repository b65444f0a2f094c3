#include "vardo/operation/program_file.h"

#include "common/text_encoding.h"

#include <algorithm>
#include <climits>

namespace vardo {

namespace {

constexpr char kMagic[4] = {'.', 'v', 'p', 'r'};
constexpr int kMinutesPerDay = 24 * 60;

int16_t clampI16(long long value)
{
    return static_cast<int16_t>(std::clamp<long long>(value, SHRT_MIN, SHRT_MAX));
}

// Version 1 kept some numbers as one 32-bit value over value1 and value2.
int32_t packedValue(const ProgramCommand& c)
{
    uint32_t low = static_cast<uint16_t>(c.value1);
    uint32_t high = static_cast<uint16_t>(c.value2);
    return static_cast<int32_t>(low | (high << 16));
}

void upgradeFromVersion1(ProgramCommand& c)
{
    switch (c.commandKind()) {
    case CommandKind::AlarmTime:
    case CommandKind::Timer: {
        long long t = packedValue(c);
        c.value1 = clampI16(t / 60);
        c.value2 = clampI16(t % 60);
        break;
    }
    case CommandKind::SwitchPoint:
        c.value2 = static_cast<int16_t>(c.option >> 1);
        c.option = c.option & 1;
        break;
    case CommandKind::PositionWait:
        if (c.option == 3) {
            long long t = std::max<long long>(packedValue(c), 0);
            c.value1 = clampI16(t % 640);
            c.value2 = clampI16(t / 640);
        }
        break;
    default:
        break;
    }
}

// Version 2 timers held minutes and seconds; now they hold seconds.
void upgradeFromVersion2(ProgramCommand& c)
{
    if (c.is(CommandKind::Timer)) {
        c.value1 = clampI16(static_cast<long long>(c.value1) * 60 + c.value2);
        c.value2 = 0;
    }
}

bool readHeader(common::ByteReader& in, ProgramFileContents& out)
{
    uint8_t magic[4];
    int32_t version = 0, count = 0, virtualTime = 0;
    if (!in.readBytes(magic, 4) || !std::equal(magic, magic + 4, kMagic))
        return false;
    if (!in.readI32(version) || !in.readI32(count) || !in.readI32(virtualTime) || !in.skip(16))
        return false;
    if (version < 1 || version > kProgramFileVersion)
        return false;
    // The records must fit both the table and the file.
    if (count < 1 || count > kProgramSlots || size_t(count) * kCommandRecordSize > in.remaining())
        return false;
    out.version = version;
    out.count = count;
    // An impossible time of day falls back to the real clock.
    out.virtualTime = (virtualTime >= 0 && virtualTime < kMinutesPerDay) ? virtualTime : -1;
    return true;
}

bool isUsed(const ProgramFileContents& f, int index)
{
    return index >= 0 && index < f.count && !f.commands[index].isEmpty();
}

// Every next and prev names a used slot that points back, slot 0 holds the
// start command at the head of its chain, and every command hangs from a
// chain head (so no chain is a ring).
bool chainsAreSound(const ProgramFileContents& f)
{
    if (!f.commands[0].is(CommandKind::Start) || f.commands[0].prev != -1)
        return false;
    for (int i = 0; i < f.count; ++i) {
        const ProgramCommand& c = f.commands[i];
        if (c.isEmpty())
            continue;
        if (c.kind > kLastCommandKind || (i != 0 && c.is(CommandKind::Start)))
            return false;
        if (c.next != -1 && (!isUsed(f, c.next) || f.commands[c.next].prev != i))
            return false;
        if (c.prev != -1 && (!isUsed(f, c.prev) || f.commands[c.prev].next != i))
            return false;
    }
    bool reached[kProgramSlots] = {};
    for (int head = 0; head < f.count; ++head) {
        if (!isUsed(f, head) || f.commands[head].prev != -1)
            continue;
        for (int i = head; i != -1 && !reached[i]; i = f.commands[i].next)
            reached[i] = true;
    }
    for (int i = 0; i < f.count; ++i) {
        if (isUsed(f, i) && !reached[i])
            return false;
    }
    return true;
}

std::string readTitle(common::ByteReader& in, const std::string& path)
{
    if (in.remaining() == 0)
        return titleFromPath(path);
    std::string raw(std::min<size_t>(in.remaining(), kMaxTitleBytes), '\0');
    in.readBytes(raw.data(), raw.size());
    raw.resize(std::find(raw.begin(), raw.end(), '\0') - raw.begin());
    // A title cut by an older writer may end in half a character.
    return common::cp932ToUtf8(cutCp932(raw, kMaxTitleBytes));
}

} // namespace

std::string titleFromPath(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

ProgramFileStatus parseProgramFile(std::span<const uint8_t> bytes, const std::string& path,
                                   ProgramFileContents& out)
{
    common::ByteReader in(bytes);
    ProgramFileContents f;
    f.commands.fill(ProgramCommand{});
    if (!readHeader(in, f))
        return ProgramFileStatus::NotProgramFile;
    for (int i = 0; i < f.count; ++i) {
        if (!readCommand(in, f.commands[i]))
            return ProgramFileStatus::NotProgramFile;
    }
    if (!chainsAreSound(f))
        return ProgramFileStatus::NotProgramFile;
    // A link to nothing is dropped; the rest of the program stays usable.
    for (int i = 0; i < f.count; ++i) {
        ProgramCommand& c = f.commands[i];
        if (c.isEmpty() || c.link == -1 || isUsed(f, c.link))
            continue;
        c.link = -1;
        ++f.clearedLinks;
    }
    f.title = readTitle(in, path);
    for (int i = 0; i < f.count; ++i) {
        if (f.version == 1)
            upgradeFromVersion1(f.commands[i]);
        if (f.version <= 2)
            upgradeFromVersion2(f.commands[i]);
    }
    out = f;
    return ProgramFileStatus::Ok;
}

void applyProgramFile(const ProgramFileContents& contents, Program& program)
{
    std::string fileName = program.fileName;
    program.reset();
    program.fileName = fileName;
    program.commands = contents.commands;
    program.count = contents.count;
    program.virtualTime = contents.virtualTime;
    program.setTitle(contents.title);
    program.selected = 0;
    program.layoutBoxes();
}

std::vector<uint8_t> serialiseProgram(const Program& program)
{
    common::ByteWriter out;
    out.putTag(kMagic);
    out.putI32(kProgramFileVersion);
    out.putI32(program.count);
    out.putI32(program.virtualTime);
    out.putZeros(16);
    for (int i = 0; i < program.count; ++i)
        writeCommand(out, program.commands[i]);
    std::string title = cutCp932(common::utf8ToCp932(program.title()), kMaxTitleBytes);
    if (!title.empty()) {
        out.putBytes(title.data(), title.size());
        out.putU8(0);
    }
    return out.bytes();
}

} // namespace vardo
