#pragma once

#include <QList>
#include <QPoint>

namespace tobimaru::test {

/// Pointer and keyboard input made by the X server itself (the XTEST extension), so that it
/// reaches the program the way a user's does: the server picks the window under the pointer,
/// native child windows and their input shapes included, which Qt's own test functions skip.
/// Needs the xcb platform and libXtst (loaded at run time); available() says whether both are.
class XTestInput final {
public:
    XTestInput();
    bool available() const { return m_display && m_fakeMotion; }

    /// Screen coordinates throughout. Each call lets the program handle what it caused.
    void moveTo(QPoint global);
    void press(QPoint global, int button);
    void release(int button);
    void click(QPoint global, int button = 1, int count = 1);
    /// Presses `button` at `start`, moves through start + each offset, releases at the last.
    void drag(QPoint start, const QList<QPoint>& offsets, int button);
    /// Presses and releases a key by its X keysym name ("Escape", "a").
    void key(const char* keysymName);

    /// As click() and key(), but handed to the server without waiting for the program: for
    /// input made while the program is inside a wait of its own (from one of its timers), which
    /// must meet that wait's loop rather than one the test runs.
    void clickNow(QPoint global);
    void keyNow(const char* keysymName);

private:
    void settle() const;

    void* m_display = nullptr;
    using FakeMotion = int (*)(void*, int, int, int, unsigned long);
    using FakeButton = int (*)(void*, unsigned, int, unsigned long);
    using FakeKey = int (*)(void*, unsigned, int, unsigned long);
    using Flush = int (*)(void*);
    using StringToKeysym = unsigned long (*)(const char*);
    using KeysymToKeycode = unsigned char (*)(void*, unsigned long);
    FakeMotion m_fakeMotion = nullptr;
    FakeButton m_fakeButton = nullptr;
    FakeKey m_fakeKey = nullptr;
    Flush m_flush = nullptr;
    StringToKeysym m_stringToKeysym = nullptr;
    KeysymToKeycode m_keysymToKeycode = nullptr;
};

} // namespace tobimaru::test
