#pragma once
// AppKit stand-in: the subset the editor view layer uses.

#include <Foundation/Foundation.h>

#include "NSGraphicsContext.h"
#include "NSEvent.h"
#include "NSView.h"
#include "NSWindow.h"
#include "NSMenu.h"
#include "NSTextField.h"
#include "NSPanel.h"
#include "NSWorkspace.h"
#include "NSFont.h"
