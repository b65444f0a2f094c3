#pragma once
// A named POSIX shared-memory object mapped into this process. The object
// called NAME is "/vardo-sdk.NAME"; VARDO_SDK_PREFIX replaces "vardo-sdk".
#include <cstddef>
#include <string>

namespace vardo::sdk {

std::string objectName(const std::string& name);

// Whether `name` can name an object: 1..31 characters, no '/'.
bool validName(const char* name);

class SharedObject {
public:
    enum class Mode { OpenOrCreate, CreateFresh, OpenExisting };

    SharedObject() = default;
    ~SharedObject() { unmap(); }
    SharedObject(const SharedObject&) = delete;
    SharedObject& operator=(const SharedObject&) = delete;

    // Maps `bytes` bytes of the object. A created object is all zero and
    // `created()` tells so; CreateFresh first removes a stale object.
    bool map(const std::string& name, std::size_t bytes, Mode mode);
    void unmap();
    // Forgets the mapping without unmapping it (a forked child's copy).
    void forget();

    void* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool created() const { return created_; }

    static void remove(const std::string& name);

private:
    void* data_ = nullptr;
    std::size_t size_ = 0;
    bool created_ = false;
};

} // namespace vardo::sdk
