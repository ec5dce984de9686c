// Tells a caller whether an object is still there after a call that may have destroyed it.
// A handler, or the message box that reports its error, may run long enough for the owner to
// destroy the form (the add-in disconnected meanwhile), and the native form with it. Watch
// before the call, ask the watch after it.
#pragma once

#include <memory>

namespace tolvane::forms {

class LifetimeToken {
public:
    class Watch {
    public:
        explicit operator bool() const noexcept { return !token_.expired(); }

    private:
        friend class LifetimeToken;
        explicit Watch(std::weak_ptr<char> token) noexcept : token_(std::move(token)) {}
        std::weak_ptr<char> token_;
    };

    LifetimeToken() : token_(std::make_shared<char>()) {}
    LifetimeToken(const LifetimeToken&) = delete;
    LifetimeToken& operator=(const LifetimeToken&) = delete;

    Watch Watching() const noexcept { return Watch(token_); }
    // Every watch reads "gone" from here on; the destructor does the same.
    void End() noexcept { token_.reset(); }

private:
    std::shared_ptr<char> token_;
};

}  // namespace tolvane::forms
