// A ragdoll: balls held in shape by links and tensions. It owns all three.
#pragma once

#include <vector>

#include "physics/ball.h"
#include "physics/border.h"
#include "physics/link.h"
#include "physics/tension.h"

class ragobject {
 public:
  ragobject() = default;
  virtual ~ragobject();
  ragobject(const ragobject&) = delete;
  ragobject& operator=(const ragobject&) = delete;

  double xmin = 0;
  double ymin = 0;
  double ymax = 0;
  double xmed = 0;  // mean ball position (updatemed)
  double ymed = 0;
  double xvmed = 0;  // mean ball velocity (updatemedvel)
  double yvmed = 0;
  std::vector<ball*> balllist;
  std::vector<class link*> linklist;
  std::vector<tension*> TensionList;

  // Deletes every ball, link and tension and empties the lists.
  void clear();

  virtual int updatemed();
  virtual int updatemedvel();
  virtual int updatemass();
  virtual int updatev(double s);
  virtual int updateold();
  virtual int move(double s, double g);
  virtual int doanchor();
  virtual int shiftandtensions(double s);
  virtual int draw(double xc, double yc, double zoom, double xwin, double ywin);
  virtual int shiftballs();
  virtual int tensionballs(double s);
  virtual int bordercollision(Tborder& border);
};
