// Arrays: values kept in order, retained and released through the array's callbacks.
#include "CFRuntime.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const void* typeRetain(CFAllocatorRef, const void* v) { return CFRetain(v); }
void typeRelease(CFAllocatorRef, const void* v) { CFRelease(v); }

}  // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, typeRetain, typeRelease, CFCopyDescription, CFEqual};

struct __CFArray : __CFObject
{
  explicit __CFArray(const CFArrayCallBacks* c, bool isMutable, CFIndex cap)
      : cb(c ? *c : CFArrayCallBacks{0, nullptr, nullptr, nullptr, nullptr}), mut(isMutable), capacity(cap)
  {
  }
  ~__CFArray() override
  {
    for (const void* v : values) drop(v);
  }
  CFTypeID typeID() const override { return cf::kArray; }
  bool equals(const __CFObject* other) const override
  {
    const __CFArray* o = (const __CFArray*)other;
    if (values.size() != o->values.size()) return false;
    for (size_t i = 0; i < values.size(); i++)
      if (values[i] != o->values[i] && !(cb.equal && cb.equal(values[i], o->values[i]))) return false;
    return true;
  }
  CFHashCode hash() const override { return values.size(); }
  std::string describe() const override
  {
    std::string s = "(\n";
    for (size_t i = 0; i < values.size(); i++) {
      std::string d;
      if (CFStringRef text = cb.copyDescription ? cb.copyDescription(values[i]) : nullptr) {
        d = cf::utf8(text);
        CFRelease(text);
      } else {
        char buf[32];
        snprintf(buf, sizeof buf, "<%p>", values[i]);
        d = buf;
      }
      s += "    " + cf::indent(d) + (i + 1 < values.size() ? ",\n" : "\n");
    }
    return s + ")";
  }
  const void* keep(const void* v) const { return cb.retain ? cb.retain(allocator, v) : v; }
  void drop(const void* v) const
  {
    if (cb.release) cb.release(allocator, v);
  }
  bool roomFor(size_t more) const { return capacity == 0 || (CFIndex)(values.size() + more) <= capacity; }

  CFArrayCallBacks cb;
  std::vector<const void*> values;
  bool mut;
  CFIndex capacity;
};

namespace {

bool isArray(CFArrayRef a) { return cf::is(a, cf::kArray); }
bool isMutableArray(CFArrayRef a) { return isArray(a) && a->mut; }
bool inside(CFArrayRef a, CFRange r)
{
  return r.location >= 0 && r.length >= 0 && r.location <= (CFIndex)a->values.size() &&
         r.length <= (CFIndex)a->values.size() - r.location;
}
bool same(CFArrayRef a, const void* x, const void* y) { return x == y || (a->cb.equal && a->cb.equal(x, y)); }

}  // namespace

extern "C" {

CFTypeID CFArrayGetTypeID(void) { return cf::kArray; }

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks)
{
  if (numValues < 0 || (!values && numValues > 0)) return nullptr;
  __CFArray* a = cf::create<__CFArray>(allocator, callBacks, false, 0);
  if (!a) return nullptr;
  a->values.reserve((size_t)numValues);
  for (CFIndex i = 0; i < numValues; i++) a->values.push_back(a->keep(values[i]));
  return a;
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef allocator, CFArrayRef theArray)
{
  if (!isArray(theArray)) return nullptr;
  return CFArrayCreate(allocator, (const void**)theArray->values.data(), (CFIndex)theArray->values.size(),
                       &theArray->cb);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks)
{
  if (capacity < 0) return nullptr;
  return cf::create<__CFArray>(allocator, callBacks, true, capacity);
}

CFMutableArrayRef CFArrayCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity, CFArrayRef theArray)
{
  if (!isArray(theArray) || capacity < 0 || (capacity > 0 && (CFIndex)theArray->values.size() > capacity))
    return nullptr;
  __CFArray* a = cf::create<__CFArray>(allocator, &theArray->cb, true, capacity);
  if (!a) return nullptr;
  for (const void* v : theArray->values) a->values.push_back(a->keep(v));
  return a;
}

CFIndex CFArrayGetCount(CFArrayRef theArray) { return isArray(theArray) ? (CFIndex)theArray->values.size() : 0; }

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx)
{
  if (!isArray(theArray) || idx < 0 || idx >= (CFIndex)theArray->values.size()) return nullptr;
  return theArray->values[(size_t)idx];
}

void CFArrayGetValues(CFArrayRef theArray, CFRange range, const void** values)
{
  if (!isArray(theArray) || !values || !inside(theArray, range)) return;
  std::copy_n(theArray->values.begin() + range.location, range.length, values);
}

CFIndex CFArrayGetCountOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  if (!isArray(theArray) || !inside(theArray, range)) return 0;
  CFIndex n = 0;
  for (CFIndex i = range.location; i < range.location + range.length; i++)
    n += same(theArray, theArray->values[(size_t)i], value);
  return n;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value)
{
  return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  if (!isArray(theArray) || !inside(theArray, range)) return kCFNotFound;
  for (CFIndex i = range.location; i < range.location + range.length; i++)
    if (same(theArray, theArray->values[(size_t)i], value)) return i;
  return kCFNotFound;
}

CFIndex CFArrayGetLastIndexOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  if (!isArray(theArray) || !inside(theArray, range)) return kCFNotFound;
  for (CFIndex i = range.location + range.length - 1; i >= range.location; i--)
    if (same(theArray, theArray->values[(size_t)i], value)) return i;
  return kCFNotFound;
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier, void* context)
{
  if (!isArray(theArray) || !applier || !inside(theArray, range)) return;
  std::vector<const void*> snapshot(theArray->values.begin() + range.location,
                                    theArray->values.begin() + range.location + range.length);
  for (const void* v : snapshot) applier(v, context);
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value)
{
  if (isMutableArray(theArray) && theArray->roomFor(1)) theArray->values.push_back(theArray->keep(value));
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value)
{
  if (!isMutableArray(theArray) || idx < 0 || idx > (CFIndex)theArray->values.size() || !theArray->roomFor(1)) return;
  theArray->values.insert(theArray->values.begin() + idx, theArray->keep(value));
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value)
{
  if (!isMutableArray(theArray) || idx < 0 || idx > (CFIndex)theArray->values.size()) return;
  if (idx == (CFIndex)theArray->values.size()) return CFArrayAppendValue(theArray, value);
  const void* old = theArray->values[(size_t)idx];
  theArray->values[(size_t)idx] = theArray->keep(value);
  theArray->drop(old);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx)
{
  if (!isMutableArray(theArray) || idx < 0 || idx >= (CFIndex)theArray->values.size()) return;
  const void* old = theArray->values[(size_t)idx];
  theArray->values.erase(theArray->values.begin() + idx);
  theArray->drop(old);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray)
{
  if (!isMutableArray(theArray)) return;
  std::vector<const void*> old;
  old.swap(theArray->values);
  for (const void* v : old) theArray->drop(v);
}

void CFArrayExchangeValuesAtIndices(CFMutableArrayRef theArray, CFIndex idx1, CFIndex idx2)
{
  CFIndex n = CFArrayGetCount(theArray);
  if (!isMutableArray(theArray) || idx1 < 0 || idx2 < 0 || idx1 >= n || idx2 >= n) return;
  std::swap(theArray->values[(size_t)idx1], theArray->values[(size_t)idx2]);
}

void CFArrayAppendArray(CFMutableArrayRef theArray, CFArrayRef otherArray, CFRange otherRange)
{
  if (!isMutableArray(theArray) || !isArray(otherArray) || !inside(otherArray, otherRange) ||
      !theArray->roomFor((size_t)otherRange.length))
    return;
  std::vector<const void*> add(otherArray->values.begin() + otherRange.location,
                               otherArray->values.begin() + otherRange.location + otherRange.length);
  for (const void* v : add) theArray->values.push_back(theArray->keep(v));
}

void CFArraySortValues(CFMutableArrayRef theArray, CFRange range, CFComparatorFunction comparator, void* context)
{
  if (!isMutableArray(theArray) || !comparator || !inside(theArray, range)) return;
  std::stable_sort(theArray->values.begin() + range.location, theArray->values.begin() + range.location + range.length,
                   [&](const void* a, const void* b) { return comparator(a, b, context) == kCFCompareLessThan; });
}

}  // extern "C"
