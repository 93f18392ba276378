#include "physics/ragobject.h"

ragobject::~ragobject() { clear(); }

void ragobject::clear() {
  for (tension* t : TensionList) delete t;
  for (class link* l : linklist) delete l;
  for (ball* b : balllist) delete b;
  TensionList.clear();
  linklist.clear();
  balllist.clear();
}

int ragobject::updatemed() { return 0; }
int ragobject::updatemedvel() { return 0; }
int ragobject::updatemass() { return 0; }
int ragobject::updatev(double) { return 0; }
int ragobject::updateold() { return 0; }
int ragobject::move(double, double) { return 0; }
int ragobject::doanchor() { return 0; }
int ragobject::shiftandtensions(double) { return 0; }
int ragobject::shiftballs() { return 0; }
int ragobject::tensionballs(double) { return 0; }
