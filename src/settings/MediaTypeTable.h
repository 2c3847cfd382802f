#pragma once

#include <QList>
#include <QString>

namespace tobimaru {

class clsIniFile;

/// One row of the table of known media types.
struct MediaType {
    QString extension;
    QString description;
    bool checked = false;
};

/// The 28 classic rows and the 13 formats added after them.
inline constexpr int MediaTypeCount = 41;

/// The pattern list used while the settings file stores none.
QString BuiltInListPattern();

/// Every row, unchecked, in the order the options dialog inserts them.
QList<MediaType> MediaTypeRows();

/// The rows in ascending text order of their extensions: the order the dialog shows them in.
QList<MediaType> SortedByExtension(QList<MediaType> rows);

/// The number of an extension's stored keys (PlayFile/Value<n>): 1..28 for the classic rows, in
/// ascending extension order among them, then 29..41 for the later rows in their fixed order; 0
/// when it is not a row (compared without regard to case).
int MediaTypeNumber(const QString& extension);

/// "*." + extension + ";" for every checked row, in the order given (the list's display
/// order); empty when no row is checked.
QString BuildPatternList(const QList<MediaType>& rowsInDisplayOrder);

/// The run-time pattern list for a stored ListFile/DspFile: the built-in list when nothing is
/// stored (absent, read as "0", or empty), else the stored text without its final ";".
QString ListPatternFromStored(const QString& dspFile);

/// Sets each row's mark from PlayFile/Value<number> (absent: unchecked), whatever order the
/// rows are in. When the file stores no mark at all, the rows whose "*.ext" pattern is in
/// `listPatternInUse` are checked instead. Throws TypeMismatch when a stored mark is neither a
/// Boolean word nor a number.
void LoadMediaMarks(clsIniFile& ini, QList<MediaType>& rows, const QString& listPatternInUse = {});

/// Stores PlayFile/Value<n>, kakuchosi<n> and setumei<n> for every row in the order of their
/// numbers, then ListFile/DspFile ← `patterns`.
void StoreMediaTypes(clsIniFile& ini, const QList<MediaType>& rows, const QString& patterns);

/// What OK of the type list does: builds the pattern list from the rows in display order;
/// when no row is checked returns false and stores nothing; otherwise stores marks and
/// patterns and sets `listPattern` to the patterns without the final ";".
bool ApplyMediaTypeChoice(clsIniFile& ini, const QList<MediaType>& rowsInDisplayOrder, QString& listPattern);

} // namespace tobimaru
