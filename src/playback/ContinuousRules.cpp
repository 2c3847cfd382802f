#include "playback/ContinuousRules.h"

namespace tobimaru {

PlaylistStep StepPlaylist(PlayStep flag, int current, int count) {
    PlaylistStep step;
    step.row = current;
    if (count <= 0)
        return step;
    if (flag == PlayStep::Down) {
        if (current < count - 1) {
            step.leftIconKey = QStringLiteral("NextDwn");
            step.row = current + 1;
        } else {
            step.row = 0;
        }
    } else if (flag == PlayStep::Up) {
        if (current <= 0) {
            step.row = count - 1;
        } else {
            step.leftIconKey = QStringLiteral("NextUp");
            step.row = current - 1;
        }
    }
    return step;
}

int SlideInterval(int16_t slideSeconds) {
    // The interval once came out of 16-bit arithmetic and overflowed above 31 seconds, so a
    // longer slide time failed every start; 32 bits hold every 16-bit setting.
    const int32_t ms = int32_t(slideSeconds) * 1000 + 1000;
    return ms > 0 ? ms : 0;
}

bool IsSlidePicture(const QString& extension) {
    const QString e = extension.toLower();
    return e == QLatin1String("bmp") || e == QLatin1String("png") || e == QLatin1String("jpeg") ||
           e == QLatin1String("jpg") || e == QLatin1String("gif") || e == QLatin1String("webp");
}

bool SlideAppliesTo(int16_t slideKind, const QString& extension) {
    switch (slideKind) {
    case 0:
        return IsSlidePicture(extension);
    case 1:
        return true;
    default:
        return false;
    }
}

double RateOfPosition(int position) {
    return position / 10.0;
}

QString RateText(double rate) {
    return QString::number(rate, 'f', 1);
}

QString RatePanelText(double rate) {
    return RateText(rate) + QStringLiteral(" x");
}

bool TakeQuickPathDecision(int mode, bool& watchedToEnd) {
    switch (mode) {
    case 0:
        return true;
    case 1:
        if (!watchedToEnd)
            return false;
        watchedToEnd = false;
        return true;
    default:
        return false;
    }
}

QString PlayingCaption(const QString& baseCaption, const QString& name, const QString& sizeText,
                       const QString& folder) {
    return baseCaption + QStringLiteral(" - ") + PlayingCaptionDetail(name, sizeText, folder);
}

QString PlayingCaptionDetail(const QString& name, const QString& sizeText, const QString& folder) {
    return name + QLatin1Char('(') + sizeText.trimmed() + QStringLiteral("KB) - ") + folder;
}

} // namespace tobimaru
