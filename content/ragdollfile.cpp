#include "content/ragdollfile.h"

int loadragdoll(const std::string&, ragobject&, double, double, Image*, Image*, double, double,
                double) {
  return 0;
}
