#include "support/XTestInput.h"

#include <QGuiApplication>
#include <QTest>
#include <dlfcn.h>

namespace tobimaru::test {

namespace {

// A pause between the steps of one gesture, as a hand makes them; Qt handles each meanwhile.
constexpr int kStepMs = 30;

} // namespace

XTestInput::XTestInput() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return;
    // The headers of libXtst are not needed for three calls; the library itself is.
    void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
    void* x = dlopen("libX11.so.6", RTLD_NOW);
    if (!xtst || !x)
        return;
    m_fakeButton = reinterpret_cast<FakeButton>(dlsym(xtst, "XTestFakeButtonEvent"));
    m_fakeKey = reinterpret_cast<FakeKey>(dlsym(xtst, "XTestFakeKeyEvent"));
    m_flush = reinterpret_cast<Flush>(dlsym(x, "XFlush"));
    m_stringToKeysym = reinterpret_cast<StringToKeysym>(dlsym(x, "XStringToKeysym"));
    m_keysymToKeycode = reinterpret_cast<KeysymToKeycode>(dlsym(x, "XKeysymToKeycode"));
    if (m_fakeButton && m_fakeKey && m_flush && m_stringToKeysym && m_keysymToKeycode) {
        m_fakeMotion = reinterpret_cast<FakeMotion>(dlsym(xtst, "XTestFakeMotionEvent"));
        m_display = x11->display();
    }
}

void XTestInput::settle() const {
    m_flush(m_display);
    QTest::qWait(kStepMs);
}

void XTestInput::moveTo(QPoint global) {
    m_fakeMotion(m_display, -1, global.x(), global.y(), 0);
    settle();
}

void XTestInput::press(QPoint global, int button) {
    moveTo(global);
    m_fakeButton(m_display, unsigned(button), 1, 0);
    settle();
}

void XTestInput::release(int button) {
    m_fakeButton(m_display, unsigned(button), 0, 0);
    settle();
}

void XTestInput::click(QPoint global, int button, int count) {
    moveTo(global);
    for (int i = 0; i < count; ++i) {
        m_fakeButton(m_display, unsigned(button), 1, 0);
        m_fakeButton(m_display, unsigned(button), 0, 0);
    }
    settle();
}

void XTestInput::drag(QPoint start, const QList<QPoint>& offsets, int button) {
    press(start, button);
    for (const QPoint& o : offsets)
        moveTo(start + o);
    release(button);
}

void XTestInput::key(const char* keysymName) {
    keyNow(keysymName);
    settle();
}

void XTestInput::clickNow(QPoint global) {
    m_fakeMotion(m_display, -1, global.x(), global.y(), 0);
    m_fakeButton(m_display, 1, 1, 0);
    m_fakeButton(m_display, 1, 0, 0);
    m_flush(m_display);
}

void XTestInput::keyNow(const char* keysymName) {
    const unsigned char code = m_keysymToKeycode(m_display, m_stringToKeysym(keysymName));
    m_fakeKey(m_display, code, 1, 0);
    m_fakeKey(m_display, code, 0, 0);
    m_flush(m_display);
}

} // namespace tobimaru::test
