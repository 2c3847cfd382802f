#include "settings/FakeSettingsHost.h"

#include "base/ErrorTable.h"

namespace tobimaru::test {

FakeSettingsHost::FakeSettingsHost() {
    const char* items[] = {"Dspsize(0)",      "Dspsize(1)",     "Dspsize(2)",   "Dspsize(3)",
                           "Dspsize(4)",      "Opt(1)",         "Opt(2)",       "Opt(3)",
                           "MnuGrid",         "MnuIconSet",     "TreeViewLine", "QuickPathSet(0)",
                           "QuickPathSet(1)", "QuickPathSet(2)"};
    for (const char* item : items)
        checks.insert(QString::fromLatin1(item), false);
    // Built-in captions, so a test can tell the quick paths the load never reached.
    for (size_t i = 0; i < captions.size(); ++i)
        captions[i] = QStringLiteral("built-in %1").arg(i);
}

void FakeSettingsHost::setChecked(const QString& item, bool on) {
    auto it = checks.find(item);
    if (it == checks.end())
        throw Failure(ErrorCode::SubscriptOutOfRange, "FakeSettingsHost::setChecked");
    *it = on;
    log << QStringLiteral("check %1 %2").arg(item).arg(on);
}

bool FakeSettingsHost::isChecked(const QString& item) const {
    auto it = checks.find(item);
    if (it == checks.end())
        throw Failure(ErrorCode::SubscriptOutOfRange, "FakeSettingsHost::isChecked");
    return *it;
}

void FakeSettingsHost::setQuickPathItem(int index, const QString& caption, bool show) {
    captions.at(size_t(index)) = caption;
    visible.at(size_t(index)) = show;
    log << QStringLiteral("pass(%1) '%2' %3").arg(index).arg(caption).arg(show);
}

QString FakeSettingsHost::quickPathCaption(int index) const {
    return captions.at(size_t(index));
}

void FakeSettingsHost::setWindowSize(int w, int h) {
    width = std::min(w, maxWidth);
    height = h;
    log << QStringLiteral("size %1 %2").arg(w).arg(h);
}

void FakeSettingsHost::setWindowPosition(int l, int t) {
    left = l;
    top = t;
    log << QStringLiteral("move %1 %2").arg(l).arg(t);
}

void FakeSettingsHost::setWindowState(int s) {
    state = s;
    log << QStringLiteral("state %1").arg(s);
}

void FakeSettingsHost::setPlayerSize(double h, double w) {
    playerHeight = h;
    playerWidth = w;
}

void FakeSettingsHost::setShadowLeft(double twips) {
    shadowLeftValue = twips;
}

void FakeSettingsHost::setShadowTop(double twips) {
    shadowTopValue = twips;
}

QString FakeSettingsHost::driveName(const QString& path) const {
    if (path.isEmpty())
        return {};
    QString best;
    for (const QString& m : mounts) {
        const bool under = m == QLatin1String("/") || path == m || path.startsWith(m + QLatin1Char('/'));
        if (under && m.size() > best.size())
            best = m;
    }
    return best;
}

bool FakeSettingsHost::checkDriveReady(const QString& path) {
    log << QStringLiteral("checkDriveReady %1").arg(path);
    return !notReady.contains(driveName(path));
}

void FakeSettingsHost::setScreenSaverActive(bool active) {
    log << QStringLiteral("screensaver %1").arg(active);
}

} // namespace tobimaru::test
