#pragma once
// A printer command written as straight-line code: a coroutine that waits for each host byte
// with co_await and ends when the command is complete. Commands call sub-commands with co_await;
// an exception thrown in a sub-command reaches its caller as if the call were a plain function.

#include <coroutine>
#include <exception>
#include <utility>

class ByteTask {
public:
    struct promise_type;
    using Handle = std::coroutine_handle<promise_type>;

    struct promise_type {
        std::coroutine_handle<> continuation = std::noop_coroutine();
        std::exception_ptr error;

        ByteTask get_return_object() { return ByteTask(Handle::from_promise(*this)); }
        std::suspend_always initial_suspend() noexcept { return {}; }
        auto final_suspend() noexcept {
            // Hands control back to whoever awaited this task.
            struct ToCaller {
                bool await_ready() noexcept { return false; }
                std::coroutine_handle<> await_suspend(Handle finished) noexcept {
                    return finished.promise().continuation;
                }
                void await_resume() noexcept {}
            };
            return ToCaller{};
        }
        void return_void() {}
        void unhandled_exception() { error = std::current_exception(); }
    };

    ByteTask(ByteTask &&other) noexcept : h(std::exchange(other.h, {})) {}
    ByteTask &operator=(ByteTask &&other) noexcept {
        if (this != &other) {
            if (h)
                h.destroy();
            h = std::exchange(other.h, {});
        }
        return *this;
    }
    ByteTask(const ByteTask &) = delete;
    ByteTask &operator=(const ByteTask &) = delete;
    ~ByteTask() {
        if (h)
            h.destroy();
    }

    // Awaiting a task runs it until it first waits for a byte, and resumes the caller when it ends.
    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> caller) noexcept {
        h.promise().continuation = caller;
        return h;
    }
    void await_resume() {
        if (h.promise().error)
            std::rethrow_exception(h.promise().error);
    }

    // Runs a top-level task (one nobody awaits) until it first waits.
    void start() { h.resume(); }
    bool done() const { return !h || h.done(); }

private:
    explicit ByteTask(Handle handle) : h(handle) {}
    Handle h;
};
