#pragma once

#include "swell-types.h"
