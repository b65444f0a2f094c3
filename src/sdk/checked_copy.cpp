#include "sdk/checked_copy.h"

#include <sys/uio.h>
#include <unistd.h>

namespace vardo::sdk {

bool checkedCopy(void* destination, const void* source, std::size_t bytes)
{
    if (bytes == 0) {
        return true;
    }
    if (destination == nullptr || source == nullptr) {
        return false;
    }
    // The kernel copies between the two address ranges of our own process
    // and reports EFAULT for a range that is not mapped as needed.
    iovec local{const_cast<void*>(source), bytes};
    iovec remote{destination, bytes};
    ssize_t copied = process_vm_writev(getpid(), &local, 1, &remote, 1, 0);
    return copied == static_cast<ssize_t>(bytes);
}

} // namespace vardo::sdk
