/* Error objects: a domain, a code and a dictionary of details. */
#ifndef CFERROR_H_
#define CFERROR_H_
#pragma GCC system_header

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>

CF_EXTERN_C_BEGIN

typedef struct __CFError* CFErrorRef;
typedef CFStringRef CFErrorDomain;

CF_EXPORT const CFErrorDomain kCFErrorDomainPOSIX;
CF_EXPORT const CFErrorDomain kCFErrorDomainOSStatus;
CF_EXPORT const CFErrorDomain kCFErrorDomainCocoa;
CF_EXPORT const CFStringRef kCFErrorLocalizedDescriptionKey;
CF_EXPORT const CFStringRef kCFErrorDescriptionKey;

CF_EXPORT CFTypeID CFErrorGetTypeID(void);
/* A new error; NULL when domain is NULL. userInfo is copied. */
CF_EXPORT CFErrorRef CFErrorCreate(CFAllocatorRef allocator, CFErrorDomain domain, CFIndex code,
                                   CFDictionaryRef userInfo);
CF_EXPORT CFErrorDomain CFErrorGetDomain(CFErrorRef err);
CF_EXPORT CFIndex CFErrorGetCode(CFErrorRef err);
/* A new dictionary of the details (empty when none were given). */
CF_EXPORT CFDictionaryRef CFErrorCopyUserInfo(CFErrorRef err);
/* A new string: the detail text when one was given, else a text built from domain and code. */
CF_EXPORT CFStringRef CFErrorCopyDescription(CFErrorRef err);

CF_EXTERN_C_END

#endif
