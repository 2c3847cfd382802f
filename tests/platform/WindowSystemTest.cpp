#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

using namespace tobimaru;

TEST(WindowSystem, OnlyWaylandPlatformsHideTheWindowPosition) {
    const struct {
        const char* platform;
        bool places;
    } cases[] = {
        {"xcb", true}, {"offscreen", true}, {"minimal", true},      {"vnc", true},
        {"", true},    {"wayland", false},  {"wayland-egl", false}, {"wayland-xcomposite-egl", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlatformPlacesWindows(QString::fromLatin1(c.platform)), c.places) << c.platform;
}
