#include "common/text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace common {

bool isValidUtf8(std::string_view text)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t len;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are invalid.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += len;
    }
    return true;
}

namespace {

// How many bytes one character starting at `text` takes, so an unconvertible
// character is replaced as a whole and its trail bytes are not read as text.
using CharLength = size_t (*)(const char* text, size_t left);

size_t cp932CharLength(const char* text, size_t left)
{
    auto lead = static_cast<unsigned char>(text[0]);
    bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    if (!isLead || left < 2)
        return 1;
    auto trail = static_cast<unsigned char>(text[1]);
    bool isTrail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
    return isTrail ? 2 : 1;
}

size_t utf8CharLength(const char* text, size_t left)
{
    auto lead = static_cast<unsigned char>(text[0]);
    size_t len = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        len = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        len = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        len = 4;
    // Only the continuation bytes present belong to the character.
    size_t k = 1;
    while (k < len && k < left && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

std::string convert(std::string_view text, const char* to, const char* from, CharLength charLength)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(text);
    std::string out;
    out.reserve(text.size() * 3 / 2 + 4);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, size_t(outPtr - buffer));
        if (rc == size_t(-1) && errno != E2BIG) {
            // An unconvertible or truncated sequence: mark it and go on.
            out.push_back('?');
            size_t skip = charLength(in, inLeft);
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string cp932ToUtf8(std::string_view text)
{
    return convert(text, "UTF-8", "CP932", cp932CharLength);
}

std::string utf8ToCp932(std::string_view text)
{
    return convert(text, "CP932", "UTF-8", utf8CharLength);
}

std::string textFileToUtf8(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return cp932ToUtf8(bytes);
}

} // namespace common
