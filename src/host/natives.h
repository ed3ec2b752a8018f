#pragma once
// The typed operations over the game's natives, made from the rows of host/native_catalogue.h:
// GetEntityPosition(handle), ControlHeld(control), ... Each is checked against its native's shape
// when it is compiled, so an operation that pushes too few, too many or the wrong kind of arguments
// does not build.

#include <type_traits>

#include "host/controls.h"
#include "host/native_catalogue.h"
#include "host/native_invoker.h"
#include "host/recorder.h"

namespace native_detail {

// The shape letter each argument type may fill: a boolean parameter also takes the integers 0 and 1
// the game's own scripts pass.
template <class A>
consteval bool fits(char kind) {
    if constexpr (std::is_same_v<A, float>) {
        return kind == 'f';
    } else if constexpr (std::is_same_v<A, bool>) {
        return kind == 'b';
    } else if constexpr (std::is_same_v<A, int32_t> || std::is_same_v<A, uint32_t>) {
        return kind == 'i' || kind == 'b';
    } else if constexpr (std::is_same_v<A, const void*>) {
        return kind == 'p' || kind == 't';
    } else {
        return false;
    }
}

template <class... Args>
consteval bool fitsShape(const char* shape) {
    size_t length = 0;
    while (shape[length] != '\0') {
        ++length;
    }
    if (length != sizeof...(Args)) {
        return false;
    }
    size_t i = 0;
    return (true && ... && fits<Args>(shape[i++]));
}

}  // namespace native_detail

template <Native N, class R, class... Args>
inline R callNative(Args... args) {
    static_assert(native_detail::fitsShape<Args...>(nativeIdentity(N).shape),
                  "the arguments pushed differ from the native's shape in host/native_catalogue.h");
    if (!gRecorderOn) [[likely]] {
        return invoke<R>(nativeIdentity(N).hash, args...);
    }
    // The trailing 0 keeps the array from being empty for a native without arguments.
    const uint64_t pushed[] = {packArgument(args)..., 0};
    const uint64_t capacity = bufferCapacity<N>(pushed);
    const uint64_t* slots = callHook(nativeIdentity(N).hash, args...);
    recordNativeCall<N>(pushed, slots, capacity);
    return native_detail::readResult<R>(slots);
}

// One typed operation per row of the catalogue, all declared before any is defined: an argument
// that needs a native of its own (the horn's mode) is a complete call made before the outer one.
#define VORN_NATIVE_DECLARATION(op, hash, publicName, shape, result, parameters, arguments) \
    inline result op parameters;
VORN_NATIVES(VORN_NATIVE_DECLARATION)
#undef VORN_NATIVE_DECLARATION

#define VORN_NATIVE_OPERATION(op, hash, publicName, shape, result, parameters, arguments) \
    inline result op parameters { return callNative<Native::op, result> arguments; }
VORN_NATIVES(VORN_NATIVE_OPERATION)
#undef VORN_NATIVE_OPERATION
