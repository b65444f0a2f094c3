#include "layoutdata/layout_files.h"

namespace layoutdata {

const char* readStatusName(ReadStatus status)
{
    switch (status) {
    case ReadStatus::Ok:
        return "ok";
    case ReadStatus::CannotOpen:
        return "cannot open";
    case ReadStatus::WrongTag:
        return "wrong tag";
    case ReadStatus::WrongVersion:
        return "wrong version";
    case ReadStatus::Malformed:
        return "malformed";
    }
    return "unknown";
}

} // namespace layoutdata
