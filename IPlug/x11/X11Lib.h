#pragma once
// The Xlib headers the editor uses, in one place. Xlib defines Bool as a macro, which would
// rename the framework's Bool() accessors included later: it is dropped here (Xlib's Bool is int).

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>

#undef Bool
