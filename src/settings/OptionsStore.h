#pragma once

#include "settings/MediaTypeTable.h"

#include <QList>
#include <QString>
#include <array>

namespace tobimaru {

struct RuntimeSettings;

/// Check box states as the settings file stores them.
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;

/// What the options dialog edits, as its controls hold it.
struct OptionValues {
    /// The type list in display order.
    QList<MediaType> rows = SortedByExtension(MediaTypeRows());
    /// The seconds box, as typed.
    QString slideTime = QStringLiteral("1");
    /// The selected slideshow kind: 0 pictures only, 1 every file.
    int slideType = 0;
    /// Boot: SearchPath, BootPosition, ScreenSaver, QuickPathLoad, MousePlay.
    std::array<int, 5> boot{};
    /// FileView: HiddenAtr, SystemAtr, ReadOnlyAtr, FolderDsp.
    std::array<int, 4> fileView{};
    /// Melt/SelectFolder: the archive extraction asks for its destination folder.
    bool selectFolder = false;
};

/// Fills `values` from the settings file: the type marks, the slideshow (SlideSeconds and
/// SlideKind of `runtime` follow the file), the Boot and FileView check boxes, the extraction's
/// folder choice. Throws Failure where a stored value has no control state (a SlideType other
/// than 0 or 1, a check value other than 0, 1 or 2, no number where one is read); what was read
/// before stays in `values`.
void LoadOptions(const QString& iniPath, OptionValues& values, RuntimeSettings& runtime);

/// Writes `values` and the pattern list, in this order: the type marks and DspFile, the slide
/// time as typed, the slide type, Boot, FileView, the extraction's folder choice. SlideSeconds,
/// SlideKind and the four Show flags of `runtime` follow, so a re-list honours them at once.
/// Throws Failure(TypeMismatch or Overflow) for a slide time that is no 16-bit integer: the
/// keys up to SlideTime are written by then, the rest are not.
void SaveOptions(const QString& iniPath, const OptionValues& values, const QString& patterns,
                 RuntimeSettings& runtime);

/// True when the options ask the archive extraction to let the user choose the destination
/// folder (Melt/SelectFolder is 1).
bool ExtractionAsksForFolder(const QString& iniPath);

} // namespace tobimaru
