#pragma once
// INI file access with the semantics the settings files were written for:
// the file is read again on every call, sections and keys match without
// regard to case, a value that is absent takes the caller's default, and a
// write changes one key in place and keeps every other line of the file.
#include <string>

namespace common {

class Profile {
public:
    // Longest string value returned; longer values are cut.
    static constexpr size_t kMaxString = 259;

    // Leading blanks, an optional sign and decimal digits; text that is not
    // a number gives 0. The default is taken only when the key is absent.
    static int getInt(const std::string& path, const std::string& section, const std::string& key,
                      int defaultValue);

    // The value without surrounding blanks and without one pair of
    // enclosing quotes, at most kMaxString bytes.
    static std::string getString(const std::string& path, const std::string& section,
                                 const std::string& key, const std::string& defaultValue);

    // Whether the key is present in the section.
    static bool hasKey(const std::string& path, const std::string& section, const std::string& key);

    // Writes key=value, creating the file and section as needed. The file is
    // replaced atomically, so a failed write leaves the old file whole.
    static bool writeString(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& value);
    static bool writeInt(const std::string& path, const std::string& section,
                         const std::string& key, int value);
};

} // namespace common
