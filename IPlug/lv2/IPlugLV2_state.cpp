// The LV2 wrapper's state: the same entries as the Audio Unit's class-info dictionary, each a
// property under the product's URI.
//   #state         atom:Chunk   the state bytes (SerializeState)
//   #version       atom:Int     the vendor version, packed
//   #uniqueID      atom:Int     the plug-in's unique ID
//   #manufacturer  atom:Int     the maker's ID
//   #preset        atom:String  the current preset's name
// A restore checks every entry before anything changes; a refused one changes nothing.
#include "IPlugLV2.h"

#include <lv2/atom/atom.h>

#include <string.h>

namespace {
// The urid:map the host gave at instantiation, else one among the call's features.
LV2_URID_Map* FindMap(LV2_URID_Map* pInstanceMap, const LV2_Feature* const* features)
{
  return pInstanceMap ? pInstanceMap : (LV2_URID_Map*)IPlugLV2::FindFeature(features, LV2_URID__map);
}

const uint32_t kStoreFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

// The URIDs of the state's keys and types.
struct StateURIDs
{
  LV2_URID mState, mVersion, mUniqueID, mManufacturer, mPreset;
  LV2_URID mChunk, mInt, mString;

  StateURIDs(const IPlugLV2* pPlug, LV2_URID_Map* pMap)
  {
    WDL_String uri;
    LV2_URID* keys[5] = {&mState, &mVersion, &mUniqueID, &mManufacturer, &mPreset};
    const char* names[5] = {"state", "version", "uniqueID", "manufacturer", "preset"};
    for (int i = 0; i < 5; ++i) {
      pPlug->StateKeyURI(names[i], &uri);
      *keys[i] = pMap->map(pMap->handle, uri.Get());
    }
    mChunk = pMap->map(pMap->handle, LV2_ATOM__Chunk);
    mInt = pMap->map(pMap->handle, LV2_ATOM__Int);
    mString = pMap->map(pMap->handle, LV2_ATOM__String);
  }
};

// Reads an atom:Int property; NO_PROPERTY when absent, BAD_TYPE when of another type or size.
LV2_State_Status RetrieveInt(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, LV2_URID key,
                             const StateURIDs& ids, int32_t* pValue)
{
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* pData = retrieve(handle, key, &size, &type, &flags);
  if (!pData) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != ids.mInt || size != sizeof(int32_t)) return LV2_STATE_ERR_BAD_TYPE;
  memcpy(pValue, pData, sizeof(int32_t));
  return LV2_STATE_SUCCESS;
}
}  // namespace

LV2_State_Status IPlugLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                                     const LV2_Feature* const* features)
{
  LV2_URID_Map* pMap = FindMap(mMap, features);
  if (!pMap || !store) return LV2_STATE_ERR_NO_FEATURE;
  const StateURIDs ids(this, pMap);

  ByteChunk chunk;
  WDL_String presetName;
  {
    WDL_MutexLock lock(&mMutex);
    if (!SerializeState(&chunk)) return LV2_STATE_ERR_UNKNOWN;
    presetName.Set(GetPresetName(GetCurrentPresetIdx()));
  }
  const int32_t ints[3] = {GetEffectVersion(false), GetUniqueID(), GetMfrID()};
  const LV2_URID intKeys[3] = {ids.mVersion, ids.mUniqueID, ids.mManufacturer};

  LV2_State_Status r = store(handle, ids.mState, chunk.GetBytes(), (size_t)chunk.Size(), ids.mChunk, kStoreFlags);
  for (int i = 0; i < 3 && r == LV2_STATE_SUCCESS; ++i)
    r = store(handle, intKeys[i], &ints[i], sizeof(int32_t), ids.mInt, kStoreFlags);
  if (r == LV2_STATE_SUCCESS)
    r = store(handle, ids.mPreset, presetName.Get(), (size_t)presetName.GetLength() + 1, ids.mString, kStoreFlags);
  return r;
}

LV2_State_Status IPlugLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                                        const LV2_Feature* const* features)
{
  LV2_URID_Map* pMap = FindMap(mMap, features);
  if (!pMap || !retrieve) return LV2_STATE_ERR_NO_FEATURE;
  const StateURIDs ids(this, pMap);

  // Identity first: a state of another plug-in, or of a later version of this one, is refused.
  int32_t version = 0, uniqueID = 0, mfr = 0;
  LV2_State_Status r = RetrieveInt(retrieve, handle, ids.mVersion, ids, &version);
  if (r == LV2_STATE_SUCCESS) r = RetrieveInt(retrieve, handle, ids.mUniqueID, ids, &uniqueID);
  if (r == LV2_STATE_SUCCESS) r = RetrieveInt(retrieve, handle, ids.mManufacturer, ids, &mfr);
  if (r != LV2_STATE_SUCCESS) return r;
  if (uniqueID != GetUniqueID() || mfr != GetMfrID() || version > GetEffectVersion(false)) return LV2_STATE_ERR_UNKNOWN;

  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const char* pName = (const char*)retrieve(handle, ids.mPreset, &size, &type, &flags);
  if (!pName) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != ids.mString || !size || pName[size - 1] || size > MAX_PRESET_NAME_LEN) return LV2_STATE_ERR_BAD_TYPE;
  WDL_String presetName(pName);

  const void* pData = retrieve(handle, ids.mState, &size, &type, &flags);
  if (!pData) return LV2_STATE_ERR_NO_PROPERTY;
  if (type != ids.mChunk || size > 0x7fffffff) return LV2_STATE_ERR_BAD_TYPE;
  ByteChunk chunk;
  if (size && chunk.AppendBytes(pData, (int)size) != (int)size) return LV2_STATE_ERR_NO_SPACE;

  WDL_MutexLock lock(&mMutex);
  ByteChunk backup;
  if (!SerializeState(&backup)) return LV2_STATE_ERR_UNKNOWN;
  const int presetIdx = GetCurrentPresetIdx();
  RestorePreset(presetName.Get());
  // The bytes must read through exactly: a chunk of another length is another plug-in's layout.
  if (UnserializeState(&chunk, 0) != (int)size) {
    UnserializeState(&backup, 0);
    mCurrentPresetIdx = presetIdx;
    return LV2_STATE_ERR_BAD_TYPE;
  }
  RedrawParamControls();
  return LV2_STATE_SUCCESS;
}
