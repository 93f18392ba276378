#include "online/checkbook.h"

#include <algorithm>

namespace online {

void checkbook::reset(int interval, int reach) {
  interval_ = std::max(interval, 1);
  reported_ = 0;
  const size_t n = static_cast<size_t>(reach / interval_) + 2;
  own_.assign(n, record{});
  for (auto& t : theirs_) t.assign(n, record{});
}

void checkbook::own(int32_t frame, uint64_t sum) { own_[slot(frame)] = {frame, sum}; }

bool checkbook::report(int32_t upto, int32_t& frame, uint64_t& sum) {
  while (reported_ + interval_ <= upto) {
    reported_ += interval_;
    const record& c = own_[slot(reported_)];
    if (c.frame != reported_) continue;  // too far behind to have it: cannot happen within the window
    frame = c.frame;
    sum = c.sum;
    return true;
  }
  return false;
}

checkbook::verdict checkbook::compare(int machine, int32_t frame, uint64_t sum) {
  if (machine < 1 || machine > maxmachines || frame % interval_ != 0) return agrees;
  if (frame <= reported_) {
    const record& c = own_[slot(frame)];
    return c.frame == frame && c.sum != sum ? differs : agrees;
  }
  theirs_[static_cast<size_t>(machine)][slot(frame)] = {frame, sum};
  return kept;
}

bool checkbook::keptdiffers(int machine, int32_t frame, uint64_t sum) const {
  if (machine < 1 || machine > maxmachines) return false;
  const record& t = theirs_[static_cast<size_t>(machine)][slot(frame)];
  return t.frame == frame && t.sum != sum;
}

}  // namespace online
