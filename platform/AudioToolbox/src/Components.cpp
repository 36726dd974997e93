// The component manager's instance calls: storage, parameter blocks and the entry's selectors.
#include "ComponentRegistry.h"

#include <cstddef>

namespace {

const UInt32 kMaxArguments = 16;

// A parameter block with room for the instance and kMaxArguments argument slots.
struct Block
{
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  long params[kMaxArguments + 1];
};
static_assert(offsetof(Block, params) == offsetof(ComponentParameters, params), "block layout");

}  // namespace

namespace at {

ComponentResult callEntry(ComponentInstance ci, SInt16 what, const long* args, UInt32 argCount)
{
  if (!usable(ci)) return badComponentInstance;
  if (!ci->entry) return badComponentSelector;
  if (argCount > kMaxArguments || (argCount && !args)) return paramErr;
  Block b{};
  b.what = what;
  b.paramSize = (UInt8)(argCount * sizeof(long));
  b.params[0] = slot(ci);
  for (UInt32 i = 0; i < argCount; i++) b.params[i + 1] = args[i];
  // The open call gets no storage: the entry has not stored its object yet.
  return ci->entry((ComponentParameters*)&b, what == kComponentOpenSelect ? nullptr : ci->storage);
}

}  // namespace at

extern "C" {

Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance)
{
  if (!at::usable(aComponentInstance)) return nullptr;
  if (!aComponentInstance->storage && aComponentInstance->iface) return (Handle)aComponentInstance->iface;
  return aComponentInstance->storage;
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage)
{
  if (at::usable(aComponentInstance)) aComponentInstance->storage = theStorage;
}

ComponentResult CallComponentDispatch(ComponentParameters* params)
{
  if (!params) return paramErr;
  ComponentInstance ci;
  memcpy(&ci, &params->params[0], sizeof ci);
  if (!at::usable(ci)) return badComponentInstance;
  if (!ci->entry) return badComponentSelector;
  return ci->entry(params, params->what == kComponentOpenSelect ? nullptr : ci->storage);
}

ComponentResult CallComponentWithArguments(ComponentInstance ci, SInt16 what, const long* args, UInt32 argCount)
{
  return at::callEntry(ci, what, args, argCount);
}

ComponentResult GetComponentVersion(ComponentInstance ci)
{
  if (!at::usable(ci)) return badComponentInstance;
  if (ci->iface) return (ComponentResult)ci->component->version;
  return at::callEntry(ci, kComponentVersionSelect, nullptr, 0);
}

ComponentResult ComponentFunctionImplemented(ComponentInstance ci, SInt16 ftnNumber)
{
  return AudioComponentInstanceCanDo(ci, ftnNumber);
}

}  // extern "C"
