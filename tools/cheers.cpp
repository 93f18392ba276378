#include "tools/mediagen.h"
namespace mediagen {
Stereo MakeCheers() { return Stereo(kSampleRate * 3); }
}  // namespace mediagen
