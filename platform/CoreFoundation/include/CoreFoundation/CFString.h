/* Immutable and mutable Unicode strings. Lengths and indexes count UTF-16 units. */
#ifndef CFSTRING_H_
#define CFSTRING_H_
#pragma GCC system_header

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>

CF_EXTERN_C_BEGIN

typedef UInt32 CFStringEncoding;
enum {
  kCFStringEncodingMacRoman = 0,
  kCFStringEncodingWindowsLatin1 = 0x0500,
  kCFStringEncodingISOLatin1 = 0x0201,
  kCFStringEncodingNextStepLatin = 0x0B01,
  kCFStringEncodingASCII = 0x0600,
  kCFStringEncodingUnicode = 0x0100,
  kCFStringEncodingUTF8 = 0x08000100,
  kCFStringEncodingNonLossyASCII = 0x0BFF,
  kCFStringEncodingUTF16 = 0x0100,
  kCFStringEncodingUTF16BE = 0x10000100,
  kCFStringEncodingUTF16LE = 0x14000100,
  kCFStringEncodingUTF32 = 0x0c000100,
  kCFStringEncodingUTF32BE = 0x18000100,
  kCFStringEncodingUTF32LE = 0x1c000100
};
enum { kCFStringEncodingInvalidId = 0xffffffffU };

typedef CFOptionFlags CFStringCompareFlags;
enum {
  kCFCompareCaseInsensitive = 1,
  kCFCompareBackwards = 4,
  kCFCompareAnchored = 8,
  kCFCompareNonliteral = 16,
  kCFCompareLocalized = 32,
  kCFCompareNumerically = 64,
  kCFCompareDiacriticInsensitive = 128,
  kCFCompareWidthInsensitive = 256,
  kCFCompareForcedOrdering = 512
};

/* A constant string for a C string literal: interned, never freed, retain and release do nothing.
   Each use site looks its string up once and keeps it, so later evaluations take no lock. */
CF_EXPORT CFStringRef __CFStringMakeConstantString(const char* cStr);
#ifdef __cplusplus
#define CFSTR(cStr)                                                         \
  ([]() -> CFStringRef {                                                    \
    static const CFStringRef s_ = __CFStringMakeConstantString("" cStr ""); \
    return s_;                                                              \
  }())
#else
#define CFSTR(cStr)                                          \
  ({                                                         \
    static CFStringRef s_;                                   \
    CFStringRef v_ = __atomic_load_n(&s_, __ATOMIC_ACQUIRE); \
    if (!v_) {                                               \
      v_ = __CFStringMakeConstantString("" cStr "");         \
      __atomic_store_n(&s_, v_, __ATOMIC_RELEASE);           \
    }                                                        \
    v_;                                                      \
  })
#endif

CF_EXPORT CFTypeID CFStringGetTypeID(void);

/* A new string from a zero-terminated C string in the encoding; NULL for NULL or invalid bytes. */
CF_EXPORT CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
/* A new string from numBytes bytes in the encoding; NULL for invalid bytes. */
CF_EXPORT CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8* bytes, CFIndex numBytes,
                                              CFStringEncoding encoding, Boolean isExternalRepresentation);
/* A new string of numChars UTF-16 units. */
CF_EXPORT CFStringRef CFStringCreateWithCharacters(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars);
/* An immutable copy (a retained constant or immutable string may be returned as is). */
CF_EXPORT CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef theString);
/* The UTF-16 units of range as a new string; NULL when range lies outside the string. */
CF_EXPORT CFStringRef CFStringCreateWithSubstring(CFAllocatorRef alloc, CFStringRef str, CFRange range);
/* A new string from a printf-style format; %@ takes an object and inserts its description.
   Conversions: d i u o x X c s p f F e E g G a A % with flags, width, precision (also *) and
   length modifiers hh h l ll q z t j L, plus %@ and %C (a UniChar). */
CF_EXPORT CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format,
                                               ...);
CF_EXPORT CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef alloc, CFDictionaryRef formatOptions,
                                                           CFStringRef format, va_list arguments);
/* A new array of the pieces of theString between occurrences of separatorString. */
CF_EXPORT CFArrayRef CFStringCreateArrayBySeparatingStrings(CFAllocatorRef alloc, CFStringRef theString,
                                                            CFStringRef separatorString);

CF_EXPORT CFMutableStringRef CFStringCreateMutable(CFAllocatorRef alloc, CFIndex maxLength);
CF_EXPORT CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef alloc, CFIndex maxLength, CFStringRef theString);
CF_EXPORT void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString);
CF_EXPORT void CFStringAppendCString(CFMutableStringRef theString, const char* cStr, CFStringEncoding encoding);
CF_EXPORT void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars, CFIndex numChars);
CF_EXPORT void CFStringAppendFormat(CFMutableStringRef theString, CFDictionaryRef formatOptions, CFStringRef format,
                                    ...);
CF_EXPORT void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr);
CF_EXPORT void CFStringDelete(CFMutableStringRef theString, CFRange range);
CF_EXPORT void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement);

CF_EXPORT CFIndex CFStringGetLength(CFStringRef theString);
/* The UTF-16 unit at idx; 0 outside the string. */
CF_EXPORT UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx);
CF_EXPORT void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer);
/* Writes the string and a terminating zero into buffer; false (buffer holding "") when it
   does not fit in bufferSize bytes or cannot be expressed in the encoding. */
CF_EXPORT Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                                     CFStringEncoding encoding);
/* The string's own zero-terminated bytes in the encoding when it has them (UTF-8 always,
   ASCII and MacRoman/Latin-1 when all characters are ASCII), else NULL. */
CF_EXPORT const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding);
/* Converts range into buffer (NULL buffer: only count); returns the characters converted. */
CF_EXPORT CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding, UInt8 lossByte,
                                   Boolean isExternalRepresentation, UInt8* buffer, CFIndex maxBufLen,
                                   CFIndex* usedBufLen);
/* The most bytes length UTF-16 units can take in the encoding (without the terminator). */
CF_EXPORT CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);
CF_EXPORT CFStringEncoding CFStringGetSystemEncoding(void);

/* Orders two strings by UTF-16 units (case-insensitively, numerically, backwards as flagged). */
CF_EXPORT CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                             CFStringCompareFlags compareOptions);
CF_EXPORT CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2,
                                                        CFRange rangeToCompare, CFStringCompareFlags compareOptions);
CF_EXPORT Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix);
CF_EXPORT Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix);
/* The range of the first (or, with kCFCompareBackwards, last) occurrence; {kCFNotFound, 0} when absent. */
CF_EXPORT CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind, CFStringCompareFlags compareOptions);
/* The leading decimal integer (0 when there is none). */
CF_EXPORT SInt32 CFStringGetIntValue(CFStringRef str);
/* The leading decimal number (0.0 when there is none). */
CF_EXPORT double CFStringGetDoubleValue(CFStringRef str);

CF_EXTERN_C_END

#endif
