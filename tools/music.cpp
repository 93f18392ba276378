#include "tools/mediagen.h"
namespace mediagen {
Stereo MakeMusic() { return Stereo(kSampleRate * 64); }
}  // namespace mediagen
