#pragma once

#include <QString>

namespace tobimaru::bench {

/// The displayed-types list the listing benchmarks use (the program's default).
extern const char* const kListingPatterns;

/// A folder of `files` empty-looking sparse files, 30% of them of the listed types (some with
/// upper-case extensions), the rest of look-alike and unrelated types, in an order on disk that
/// has nothing to do with their names. Made once under the temp folder and kept between runs.
QString ListingFolder(int files);

/// Whether a name is of the listed types by the cheapest test there is: its extension's bytes,
/// lower-cased, compared with each pattern's.
bool MatchesListedExtension(const char* name);

} // namespace tobimaru::bench
