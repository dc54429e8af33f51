#pragma once
#include "core/RuntimeError.h"
#include <QList>
#include <QString>
#include <functional>

class AppContext;

// The three standard message texts.
QString shortErrorText(const RuntimeError &e);      // "Error 5."
QString longErrorText(const RuntimeError &e);       // "Error 5. Description."
QString navigationErrorText(const RuntimeError &e); // "Error 5. Navigation Error. Try again."

enum class ErrStyle { Short, Long, Navigation, Silent };

// What a handler does with a run-time error in one of its steps.
struct ErrorPolicy
{
    ErrStyle style = ErrStyle::Short;
    bool passNegative = true;      // negative numbers pass silently
    QList<int> silent;             // further numbers that pass silently
    bool endAfterError = false;    // the handler ends after the message
    std::function<void()> before;  // runs before the message (e.g. release a lock)
    // Full control: when set it decides everything for the errors that reach it and
    // returns true when the handler ends there.
    std::function<bool(const RuntimeError &)> custom;

    static ErrorPolicy shortMsg() { return {}; }
    static ErrorPolicy longMsg() { ErrorPolicy p; p.style = ErrStyle::Long; return p; }
    static ErrorPolicy navigation() { ErrorPolicy p; p.style = ErrStyle::Navigation; return p; }
    static ErrorPolicy ignoreAll() { ErrorPolicy p; p.style = ErrStyle::Silent; return p; }
    ErrorPolicy &also(int number) { silent.append(number); return *this; }
    ErrorPolicy &negativeShown() { passNegative = false; return *this; }
};

// Runs a handler's steps one by one under its error policy: an error in one step is
// reported as the policy says and the next step runs ("go on with the next
// statement"), unless the policy or the handler ends it. Once the program has been
// told to end, no further step runs.
class Trap
{
public:
    Trap(AppContext &ctx, ErrorPolicy policy) : m_ctx(ctx), m_policy(std::move(policy)) {}

    template <typename F>
    void operator()(F &&step)
    {
        if (!active())
            return;
        try {
            step();
        } catch (const RuntimeError &e) {
            handle(e);
        }
    }

    bool active() const;
    void stop() { m_stopped = true; }          // the handler returns here
    void setPolicy(ErrorPolicy p) { m_policy = std::move(p); }
    bool failed() const { return m_failed; }

private:
    void handle(const RuntimeError &e);

    AppContext &m_ctx;
    ErrorPolicy m_policy;
    bool m_stopped = false;
    bool m_failed = false;
};
