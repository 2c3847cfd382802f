#pragma once

#include <QObject>
#include <functional>
#include <vector>

namespace tobimaru {

/// Holds the user's input while a wait runs every event in its local loop, and hands it on in
/// order once the wait is over; the one input that the waiter says ends the wait (a click that
/// asks for something else) ends it at once and is handed on with the rest.
///
/// A loop that leaves user input queued in the window system cannot see that click at all:
/// input is only looked at once it is taken, so the gate takes it and holds it here. It is held
/// where it first arrives (for input from the window system, the window; shortcuts as the event
/// that triggers the action) and handed on there again, spontaneous as it came, so focus on
/// click, the key preview and the window's shortcuts act on it as on any other input.
///
/// The gate sits on the application for its whole life: an application filter put in while
/// another one acts (the key preview whose command started a listing) would make Qt hand that
/// event to the acting filter a second time.
class InputGate final : public QObject {
public:
    /// Whether a held event ends the wait it is held for. Called once for each held event, in
    /// order; the event is delivered after the wait either way.
    using Breaker = std::function<bool(QObject* receiver, const QEvent& event)>;

    /// Holds the input for the wait the caller is about to make (its loop is one level deeper
    /// than the caller's) while it lives, and hands it on when it goes. Nested waits hold their
    /// own; input met in loops of other depths (a dialog opened meanwhile) is left alone.
    class Hold final {
    public:
        ~Hold();
        Q_DISABLE_COPY(Hold)

        /// False when the input cannot be held here (off the main thread, or inside a loop that
        /// keeps user input out): the wait must then keep it out as well.
        bool live() const { return m_live; }

    private:
        friend class InputGate;
        Hold(InputGate& gate, bool live)
            : m_gate(gate)
            , m_live(live) {}

        InputGate& m_gate;
        bool m_live = false;
    };

    /// Marks a loop that keeps user input queued while it lives: a gate inside it must not take
    /// input that the loop around it means to leave where it is.
    class Excluding final {
    public:
        Excluding();
        ~Excluding();
        Q_DISABLE_COPY(Excluding)
    };

    explicit InputGate(QObject* parent = nullptr);
    ~InputGate() override;

    /// Starts holding (see Hold). `broken` runs when `breaker` says a held event ends the wait,
    /// at most once. Without a breaker nothing is held (the Hold is not live).
    [[nodiscard]] Hold hold(Breaker breaker, std::function<void()> broken);

    bool event(QEvent* event) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held;
    struct Level;

    void release();
    /// Asks for the next held event to be handed on, from the event loop.
    void wake();

    std::vector<Level> m_levels; ///< one per live hold, innermost last
    std::vector<Held> m_pending; ///< held events whose wait is over, oldest first
    bool m_wakePosted = false;
};

} // namespace tobimaru
