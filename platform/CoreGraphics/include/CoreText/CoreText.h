#pragma once
// Core Text: fonts, line layout and frames on FreeType and fontconfig.

#include <CoreText/CTFont.h>
#include <CoreText/CTFontDescriptor.h>
#include <CoreText/CTStringAttributes.h>
#include <CoreText/CTLine.h>
#include <CoreText/CTFrame.h>
#include <CoreText/CTFramesetter.h>
