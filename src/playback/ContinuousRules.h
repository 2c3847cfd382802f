#pragma once

#include "playback/PlayerTypes.h"

#include <QString>
#include <cstdint>

namespace tobimaru {

/// Where a step through the playlist lands, and what the row it leaves shows afterwards.
struct PlaylistStep {
    int row = -1;        ///< the row to start (0-based)
    QString leftIconKey; ///< icon for the row left behind; "" when it keeps its icon
};

/// The step of `SetPlaybotton`: Down and Up go one row, both wrapping at the ends of a list
/// of `count` rows; any other flag stays on `current`. A wrapping step leaves the old row's icon
/// alone, a plain step marks it "NextDwn" or "NextUp".
PlaylistStep StepPlaylist(PlayStep flag, int current, int count);

/// The slideshow timer's interval in milliseconds: one second more than `slideSeconds`, in
/// 32-bit arithmetic so that every value the settings can hold works. A value that gives no
/// positive interval yields 0 (a timer that never ticks).
int SlideInterval(int16_t slideSeconds);

/// Pictures for the slideshow's "images only" kind: bmp, png, jpeg, jpg, gif in any case.
bool IsSlidePicture(const QString& extension);

/// Whether a start of a file with that extension arms the slideshow timer under `slideKind`
/// (0 pictures only, 1 every file, anything else never).
bool SlideAppliesTo(int16_t slideKind, const QString& extension);

/// The speed factor of a slider position (position / 10).
double RateOfPosition(int position);
/// A speed as the slider's tips show it ("1.5").
QString RateText(double rate);
/// A speed as the status bar shows it ("1.5 x").
QString RatePanelText(double rate);

/// The quick-path rule for a start: mode 0 records, mode 1 records only when a file was played to
/// its end since the last recording (and then consumes that), mode 2 and no mode never record.
bool TakeQuickPathDecision(int mode, bool& watchedToEnd);

/// The window caption while a file plays: base + " - " + name + "(" + size + "KB) - " + folder,
/// the size column without its padding.
QString PlayingCaption(const QString& baseCaption, const QString& name, const QString& sizeText,
                       const QString& folder);
/// What follows the base caption and " - " there.
QString PlayingCaptionDetail(const QString& name, const QString& sizeText, const QString& folder);

} // namespace tobimaru
