#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace tobimaru {

// The conversions the settings reads and writes use. They keep the rules a settings file
// written by earlier versions of the program was made for, and raise a Failure (TypeMismatch or
// Overflow) where a stored text cannot become the value asked for.

/// The number a text stands for: blanks around it allowed, an optional sign, decimal digits
/// with an optional fraction and exponent. nullopt for anything else, the empty text included.
std::optional<double> ParseNumber(const QString& text);

/// Text to a 16-bit integer: a fraction rounds half to even. Throws TypeMismatch for text that
/// is no number, Overflow outside -32768..32767.
int16_t ToInt16(const QString& text);

/// Narrows an integer to 16 bits; throws Overflow outside -32768..32767.
int16_t NarrowToInt16(int64_t value);

/// Rounds half to even into 32 bits; throws Overflow outside the 32-bit range.
int32_t RoundToInt32(double value);

/// Text to a Boolean: "True" and "False" in any letter case, or a number (0 false, any other
/// true). Throws TypeMismatch for anything else.
bool ToBoolean(const QString& text);

/// Text to a single-precision number. Throws TypeMismatch for text that is no number, Overflow
/// beyond the single-precision range.
float ToSingle(const QString& text);

/// The shortest decimal text that reads back as the same single-precision number, never with
/// an exponent and with a decimal point only when there is a fraction (12180 → "12180",
/// 0.1 → "0.1").
QString SingleText(float value);

/// "True" or "False".
QString BooleanText(bool value);

} // namespace tobimaru
