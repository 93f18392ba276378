// Ogg Vorbis output through libvorbisenc.
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/mediagen.h"

namespace mediagen {

namespace {

bool WritePage(FILE* f, const ogg_page& page) {
  return std::fwrite(page.header, 1, page.header_len, f) == static_cast<size_t>(page.header_len) &&
         std::fwrite(page.body, 1, page.body_len, f) == static_cast<size_t>(page.body_len);
}

}  // namespace

bool WriteOgg(const Stereo& sound, double quality, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, kSampleRate, static_cast<float>(quality)) != 0) {
    vorbis_info_clear(&vi);
    std::fclose(f);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "ENCODER", "parvane mediagen");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x50617276);  // fixed serial: reproducible files

  bool ok = true;
  ogg_packet header, header_comm, header_code;
  vorbis_analysis_headerout(&vd, &vc, &header, &header_comm, &header_code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &header_comm);
  ogg_stream_packetin(&os, &header_code);
  ogg_page page;
  while (ogg_stream_flush(&os, &page) != 0) ok = WritePage(f, page) && ok;

  const size_t chunk = 4096;
  size_t pos = 0;
  bool eos = false;
  while (!eos) {
    size_t n = std::min(chunk, sound.frames() - pos);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
    } else {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      std::copy_n(sound.left.begin() + pos, n, buf[0]);
      std::copy_n(sound.right.begin() + pos, n, buf[1]);
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      pos += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
        ogg_stream_packetin(&os, &packet);
        while (ogg_stream_pageout(&os, &page) != 0) {
          ok = WritePage(f, page) && ok;
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return std::fclose(f) == 0 && ok;
}

void Normalise(Stereo& sound, double peak) {
  float top = 0;
  for (size_t i = 0; i < sound.frames(); ++i) {
    top = std::max({top, std::abs(sound.left[i]), std::abs(sound.right[i])});
  }
  if (top <= 0) return;
  float k = static_cast<float>(peak / top);
  for (size_t i = 0; i < sound.frames(); ++i) {
    sound.left[i] *= k;
    sound.right[i] *= k;
  }
}

}  // namespace mediagen
