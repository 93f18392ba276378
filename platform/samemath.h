// Arc tangents and hypotenuses whose bits are the same on every machine the
// game is built for. The system math libraries round these differently (by
// an ulp, now and then), and one ulp in a joint's angle is enough for a
// replay or an online match to come out otherwise on another build. These
// use only + - * / and sqrt, which every IEEE machine rounds alike.
#pragma once

double SameAtan(double x);
double SameAtan2(double y, double x);
// Equal, bit for bit, to the Debian desktop's hypot for the finite numbers
// the game meets (it is the same published correction step).
double SameHypot(double x, double y);
