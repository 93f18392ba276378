// Collisions between ragdolls: ball against ball and ball against link.
// d <= 0: the normal relative velocity is reversed with restitution;
// d > 0: a fixed push of size d along the contact normal instead.
#pragma once

#include "physics/ragobject.h"

// Distance from P to the straight line through A and B.
double linedistance(double px, double py, double ax, double ay, double bx, double by);
// 1 when A and B overlap (they are then pushed apart), else 0.
int ballcollision(ball& A, ball& B, double d);
// 1 when P touches L between its ends (P is then pushed off), else 0.
int balllinkcollision(ball& P, class link& L, double d);
// 1 when any ball or link of R1 collided with any of R2.
int ragcollision(ragobject& R1, ragobject& R2, double d);
