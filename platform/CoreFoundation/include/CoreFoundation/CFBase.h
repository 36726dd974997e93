/* Core types of the object runtime: references, retain counting, allocators. */
#ifndef CFBASE_H_
#define CFBASE_H_
#pragma GCC system_header

#include <MacTypes.h>
#include <stdarg.h>
#include <stdbool.h>

#ifdef __cplusplus
#define CF_EXTERN_C_BEGIN extern "C" {
#define CF_EXTERN_C_END }
#else
#define CF_EXTERN_C_BEGIN
#define CF_EXTERN_C_END
#endif

#define CF_EXPORT extern __attribute__((visibility("default")))
#define CF_INLINE static inline

CF_EXTERN_C_BEGIN

typedef long CFIndex;
typedef unsigned long CFOptionFlags;
typedef unsigned long CFTypeID;
typedef unsigned long CFHashCode;
typedef double CFTimeInterval;
typedef CFTimeInterval CFAbsoluteTime;

typedef const void* CFTypeRef;
typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef CFTypeRef CFPropertyListRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFNull* CFNullRef;

typedef CFIndex CFComparisonResult;
enum { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 };
typedef CFComparisonResult (*CFComparatorFunction)(const void* val1, const void* val2, void* context);

enum { kCFNotFound = -1 };

typedef struct
{
  CFIndex location;
  CFIndex length;
} CFRange;

/* A range of length characters starting at location. */
CF_INLINE CFRange CFRangeMake(CFIndex location, CFIndex length)
{
  CFRange r;
  r.location = location;
  r.length = length;
  return r;
}

/* Allocators. kCFAllocatorDefault (NULL) means the current default allocator. */
typedef const void* (*CFAllocatorRetainCallBack)(const void* info);
typedef void (*CFAllocatorReleaseCallBack)(const void* info);
typedef CFStringRef (*CFAllocatorCopyDescriptionCallBack)(const void* info);
typedef void* (*CFAllocatorAllocateCallBack)(CFIndex allocSize, CFOptionFlags hint, void* info);
typedef void* (*CFAllocatorReallocateCallBack)(void* ptr, CFIndex newsize, CFOptionFlags hint, void* info);
typedef void (*CFAllocatorDeallocateCallBack)(void* ptr, void* info);
typedef CFIndex (*CFAllocatorPreferredSizeCallBack)(CFIndex size, CFOptionFlags hint, void* info);

typedef struct
{
  CFIndex version;
  void* info;
  CFAllocatorRetainCallBack retain;
  CFAllocatorReleaseCallBack release;
  CFAllocatorCopyDescriptionCallBack copyDescription;
  CFAllocatorAllocateCallBack allocate;
  CFAllocatorReallocateCallBack reallocate;
  CFAllocatorDeallocateCallBack deallocate;
  CFAllocatorPreferredSizeCallBack preferredSize;
} CFAllocatorContext;

CF_EXPORT const CFAllocatorRef kCFAllocatorDefault;
CF_EXPORT const CFAllocatorRef kCFAllocatorSystemDefault;
CF_EXPORT const CFAllocatorRef kCFAllocatorMalloc;
CF_EXPORT const CFAllocatorRef kCFAllocatorNull;
CF_EXPORT const CFAllocatorRef kCFAllocatorUseContext;

CF_EXPORT CFTypeID CFAllocatorGetTypeID(void);
/* The allocator that kCFAllocatorDefault stands for. */
CF_EXPORT CFAllocatorRef CFAllocatorGetDefault(void);
/* Makes allocator the default of the process; the default is retained. */
CF_EXPORT void CFAllocatorSetDefault(CFAllocatorRef allocator);
/* A new allocator over the context's functions; NULL when the context has no allocate function. */
CF_EXPORT CFAllocatorRef CFAllocatorCreate(CFAllocatorRef allocator, CFAllocatorContext* context);
/* size bytes from the allocator, or NULL when size <= 0 or memory cannot be had. */
CF_EXPORT void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
/* Resizes ptr (NULL ptr allocates, size 0 frees and returns NULL). */
CF_EXPORT void* CFAllocatorReallocate(CFAllocatorRef allocator, void* ptr, CFIndex newsize, CFOptionFlags hint);
/* Gives ptr back to the allocator that provided it; NULL is ignored. */
CF_EXPORT void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr);
CF_EXPORT CFIndex CFAllocatorGetPreferredSizeForSize(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
CF_EXPORT void CFAllocatorGetContext(CFAllocatorRef allocator, CFAllocatorContext* context);

/* Polymorphic functions on every object. Constant objects (CFSTR, kCFBooleanTrue, kCFNull)
   ignore retain and release. NULL is refused quietly (retain returns NULL, release does nothing). */
CF_EXPORT CFTypeRef CFRetain(CFTypeRef cf);
CF_EXPORT void CFRelease(CFTypeRef cf);
CF_EXPORT CFIndex CFGetRetainCount(CFTypeRef cf);
CF_EXPORT CFTypeID CFGetTypeID(CFTypeRef cf);
/* True for the same object or for two objects of one type with equal contents. */
CF_EXPORT Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
/* Equal objects have equal hashes. */
CF_EXPORT CFHashCode CFHash(CFTypeRef cf);
/* A new string describing the object (its text for a string, its value for a number). */
CF_EXPORT CFStringRef CFCopyDescription(CFTypeRef cf);
/* A new string naming the type: "CFString", "CFNumber", ... */
CF_EXPORT CFStringRef CFCopyTypeIDDescription(CFTypeID type_id);
CF_EXPORT CFAllocatorRef CFGetAllocator(CFTypeRef cf);
/* Writes the object's description and a line break to stderr. */
CF_EXPORT void CFShow(CFTypeRef obj);

CF_EXPORT const CFNullRef kCFNull;
CF_EXPORT CFTypeID CFNullGetTypeID(void);

CF_EXTERN_C_END

#endif
