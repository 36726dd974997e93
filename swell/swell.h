#pragma once
// The GDI emulation: types, flag values and functions.

#include "swell-types.h"
#include "swell-gdi.h"
