// The state of the host's rooms, one part per room. A room keeps its variables in a struct
// of its own and reaches them through Part<T>(); the parts are made on first use and live as
// long as the host (pointers into them, handed to the plug-in, stay valid). The rooms' own
// reset functions put their parts back; Host::Reset (host/runtime/host.h) calls all of them.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>

namespace qlhost {

class HostParts {
public:
    HostParts() = default;
    ~HostParts();
    HostParts(const HostParts&) = delete;
    HostParts& operator=(const HostParts&) = delete;

    // The part of type T, made (value-initialized) on first use. Safe from any thread.
    template <class T>
    T& Get() {
        const size_t index = IndexOf<T>();
        Base* part = parts_[index].load(std::memory_order_acquire);
        if (!part) part = Make(index, [] { return static_cast<Base*>(new Holder<T>); });
        return static_cast<Holder<T>*>(part)->value;
    }

private:
    struct Base {
        virtual ~Base() = default;
    };
    template <class T>
    struct Holder final : Base {
        T value{};
    };
    static constexpr size_t kMaxParts = 64;

    // Each part type gets the next free index on first use.
    static size_t NextIndex();
    template <class T>
    static size_t IndexOf() {
        static const size_t index = NextIndex();
        return index;
    }
    Base* Make(size_t index, Base* (*make)());

    std::array<std::atomic<Base*>, kMaxParts> parts_{};
    std::mutex making_;
};

// The parts of the process's host, the state Host::Current() (host/runtime/host.h) resets.
HostParts& TheHostParts();

// A part, once made, keeps its address for the life of the process (a reset puts its contents
// back in place), so each room looks its part up once; the hot paths of the C interface pay
// only the check that the look-up was done.
template <class T>
T& Part() {
    static T& part = TheHostParts().Get<T>();
    return part;
}

}  // namespace qlhost
