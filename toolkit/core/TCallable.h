// A callable held by value in the room of a few pointers, for the accessors of the property
// tables, which capture no more than a member pointer or two.
//
// Unlike std::function it needs nothing per stored type but the call itself: what it holds must
// be trivially copyable, so copying it copies bytes and destroying it does nothing, and no manager
// function or run-time type information is generated for each of the hundreds of accessor
// lambdas the published classes declare (with std::function those cost the launcher about 40 KB).
// A callable that does not fit is refused when compiled.
#pragma once

#include <cstddef>
#include <functional>
#include <new>
#include <type_traits>
#include <utility>

template <class Signature>
class TCallable;

// F, other than Self, can be called with A... and gives something convertible to R.
template <class F, class Self, class R, class... A>
concept CallableAs = !std::is_same_v<std::remove_cvref_t<F>, Self> &&
                     std::is_invocable_r_v<R, std::remove_cvref_t<F>&, A...>;

template <class R, class... A>
class TCallable<R(A...)> {
 public:
  TCallable() = default;
  TCallable(std::nullptr_t) {}  // NOLINT: empty, as from nullptr

  template <CallableAs<TCallable, R, A...> F>
  TCallable(F&& Callable) {  // NOLINT: converts like std::function
    using Stored = std::remove_cvref_t<F>;
    static_assert(std::is_trivially_copyable_v<Stored>, "the callable must be trivially copyable");
    static_assert(sizeof(Stored) <= sizeof(storage_) && alignof(Stored) <= alignof(void*),
                  "the callable does not fit");
    ::new (static_cast<void*>(storage_)) Stored(std::forward<F>(Callable));
    call_ = [](void* Storage, A... Args) -> R {
      return std::invoke(*std::launder(static_cast<Stored*>(Storage)), std::forward<A>(Args)...);
    };
  }

  explicit operator bool() const { return call_ != nullptr; }

  R operator()(A... Args) const {
    if (call_ == nullptr) throw std::bad_function_call();
    return call_(const_cast<unsigned char*>(storage_), std::forward<A>(Args)...);
  }

 private:
  alignas(void*) unsigned char storage_[4 * sizeof(void*)] = {};
  R (*call_)(void*, A...) = nullptr;
};
