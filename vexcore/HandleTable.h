// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace winorbis::vex {

// A fresh handle value for any object of the library: never 0, never -1, and not reused while the
// process runs, so a stale or foreign handle is recognised instead of reaching another object.
std::uintptr_t nextHandleValue();

// The live objects of one kind, found by handle. Safe to use from several threads; an object that
// one thread deletes while another uses it is the caller's fault, as with the system's handles.
template <typename T> class HandleTable {
public:
    std::uintptr_t add(std::unique_ptr<T> object) {
        const std::uintptr_t handle = nextHandleValue();
        std::lock_guard lock(mutex_);
        objects_.emplace(handle, std::move(object));
        return handle;
    }

    // The object, or null for an unknown handle.
    T* find(const void* handle) const {
        std::lock_guard lock(mutex_);
        const auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        return it == objects_.end() ? nullptr : it->second.get();
    }

    // Runs f(object) under the table's lock; false for an unknown handle.
    template <typename F> bool with(const void* handle, F&& f) {
        std::lock_guard lock(mutex_);
        const auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == objects_.end())
            return false;
        f(*it->second);
        return true;
    }

    // Takes the object out of the table; null for an unknown handle.
    std::unique_ptr<T> remove(const void* handle) {
        std::lock_guard lock(mutex_);
        const auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == objects_.end())
            return nullptr;
        std::unique_ptr<T> object = std::move(it->second);
        objects_.erase(it);
        return object;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::uintptr_t, std::unique_ptr<T>> objects_;
};

template <typename Handle> Handle toHandle(std::uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

} // namespace winorbis::vex
