// The images a match draws with: loaded once by the application and lent
// to every match, which never frees them.
#pragma once

struct Image;

struct matchimages {
  Image* sciaimage = nullptr;  // the owned-time bars
  Image* mezball = nullptr;    // the half-disc mask of an arena's round end
  Image* bigballimage = nullptr;
  Image* starimage = nullptr;
  Image* ballimage = nullptr;
  Image* mainballimage = nullptr;
  Image* rectimage = nullptr;
  Image* sparki = nullptr;
};
