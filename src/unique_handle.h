// One move-only owner for every Windows handle kind: the closer runs exactly once.
#pragma once

#include <utility>

template <typename Handle, auto Close, auto Invalid = Handle{}>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Invalid; }
    Handle release() noexcept { return std::exchange(handle_, Invalid); }
    void reset(Handle handle = Invalid) noexcept
    {
        if (handle_ != Invalid) Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Invalid;
};
