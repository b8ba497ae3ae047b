// The seed corpus of the PNG fuzz target: valid files of every colour type
// and bit depth, and broken ones.
#pragma once

#include <vector>

std::vector<std::vector<unsigned char>> MakePngSeeds();
