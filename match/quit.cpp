#include "match/quit.h"

#include "platform/platform.h"

void checkquit() {
  if (CloseRequested()) quitgame();
}

void quitgame() {
  ShowPointer();
  CloseDisplay();
  EndProgram();
}
