#pragma once
// Foundation stand-in: the subset the editor view layer uses.

#include <CoreFoundation/CoreFoundation.h>

#include "NSObject.h"
#include "NSString.h"
#include "NSRunLoop.h"
#include "NSBundle.h"
