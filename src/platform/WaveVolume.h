#pragma once

#include <cstdint>
#include <utility>

namespace tobimaru {

/// The volume of the desktop's default sound output, packed as the program has always kept
/// it: left channel in the low 16 bits, right in the high 16, each 0..0xFFFF (0xFFFF = 100%).
/// Returns 0 when there is no sound server or no output, or it does not answer within about a
/// second; `found`, when given, tells such a 0 apart from a real volume of 0.
uint32_t GetWaveVolume(bool* found = nullptr);

/// Sets the default output's volume from a packed value (an output without left and right
/// channels gets the louder of the two). Without a server or an output nothing is written.
/// Never blocks for more than about a second. Returns true when the volume was written.
bool SetWaveVolume(uint32_t volume);

/// Packs two sound-server volumes (0..PA_VOLUME_NORM = 0x10000 for 100%; louder is clipped).
uint32_t PackWaveVolume(uint32_t leftServer, uint32_t rightServer);
/// The two sound-server volumes (left, right) of a packed value.
std::pair<uint32_t, uint32_t> UnpackWaveVolume(uint32_t packed);

} // namespace tobimaru
