// State chunks and the preset slots of the plug-in base.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "Base64.h"
#include "IPlugBase.h"
#include "IPlugVersion.h"
#include "Log.h"

IPreset* GetNextUninitializedPreset(WDL_PtrList<IPreset>* pPresets)
{
  for (int i = 0, n = pPresets->GetSize(); i < n; ++i) {
    IPreset* pPreset = pPresets->Get(i);
    if (!pPreset->mInitialized) return pPreset;
  }
  return nullptr;
}

void MakeDefaultUserPresetName(WDL_PtrList<IPreset>* pPresets, char* pName)
{
  int nDefault = 0;
  for (int i = 0, n = pPresets->GetSize(); i < n; ++i)
    if (strstr(pPresets->Get(i)->mName, "user preset")) ++nDefault;
  snprintf(pName, MAX_PRESET_NAME_LEN, "%s %d", "user preset", nDefault + 1);
}

bool IPlugBase::SerializeParams(ByteChunk* pChunk)
{
  WDL_MutexLock lock(&mMutex);
  bool ok = true;
  for (int i = 0, n = NParams(); i < n && ok; ++i) {
    IParam* pParam = GetParam(i);
    Trace(TRACELOC, "%d %s %f", i, pParam->GetNameForHost(), pParam->Value());
    const double v = pParam->Value();
    ok = pChunk->AppendValue(v) > 0;
  }
  return ok;
}

int IPlugBase::UnserializeParams(ByteChunk* pChunk, int startPos)
{
  WDL_MutexLock lock(&mMutex);
  int pos = startPos;
  const int n = NParams();
  for (int i = 0; i < n && pos >= 0; ++i) {
    IParam* pParam = GetParam(i);
    double v = 0.0;
    pos = pChunk->ReadValue(&v, pos);
    pParam->Set(v);
    Trace(TRACELOC, "%d %s %f", i, pParam->GetNameForHost(), pParam->Value());
  }
  OnParamReset();
  return pos;
}

bool IPlugBase::SerializePresets(ByteChunk* pChunk)
{
  bool ok = true;
  for (int i = 0, n = NPresets(); i < n && ok; ++i) {
    IPreset* pPreset = mPresets.Get(i);
    ok = pChunk->AppendString(pPreset->mName) > 0;
    Trace(TRACELOC, "%d %s", i, pPreset->mName);
    const bool initialized = pPreset->mInitialized;
    ok = ok && pChunk->AppendValue(initialized) > 0;
    if (ok && initialized) ok = pChunk->AppendChunk(&pPreset->mChunk) > 0;
  }
  return ok;
}

int IPlugBase::UnserializePresets(ByteChunk* pChunk, int startPos)
{
  int pos = startPos;
  WDL_String name;
  for (int i = 0, n = NPresets(); i < n && pos >= 0; ++i) {
    IPreset* pPreset = mPresets.Get(i);
    pos = pChunk->ReadString(&name, pos);
    // A name that cannot be read leaves the slot's own name rather than the previous slot's.
    if (pos >= 0) pPreset->SetName(name.Get());
    Trace(TRACELOC, "%d %s", i, pPreset->mName);
    if (pos >= 0 && pos < pChunk->Size()) {
      pPreset->mInitialized = pChunk->GetBytes()[pos] != 0;
      ++pos;
    } else {
      pos = -1;
    }
    if (pPreset->mInitialized) {
      pos = UnserializeState(pChunk, pos);
      if (pos > 0) {
        pPreset->mChunk.Clear();
        SerializeState(&pPreset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

bool IPlugBase::StorePreset(const char* name, const ByteChunk* pState)
{
  IPreset* pPreset = GetNextUninitializedPreset(&mPresets);
  if (!pPreset) return false;
  // A slot emptied by a loaded preset list may still hold old bytes: they do not belong to the new state.
  pPreset->mChunk.Clear();
  if (pState->Size() && !pPreset->mChunk.AppendChunk(pState)) return false;
  pPreset->mInitialized = true;
  pPreset->SetName(name);
  return true;
}

void IPlugBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i) {
    ByteChunk state;
    if (!SerializeState(&state) || !StorePreset(name ? name : "Empty", &state)) return;
  }
}

void IPlugBase::EnsureDefaultPreset() { MakeDefaultPreset("Empty", NPresets()); }

void IPlugBase::MakePreset(const char* name, ...)
{
  ByteChunk state;
  va_list vp;
  va_start(vp, name);
  for (int i = 0, n = NParams(); i < n; ++i) {
    const IParam::EParamType type = GetParam(i)->Type();
    const bool intArg = type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum;
    const double v = intArg ? (double)va_arg(vp, int) : va_arg(vp, double);
    state.AppendValue(v);
  }
  va_end(vp);
  if (state.Size() == (int)sizeof(double) * NParams()) StorePreset(name, &state);
}

void IPlugBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  const double kUnset = 9.999e-8;
  const int n = NParams();
  WDL_TypedBuf<double> values;
  if (n && !values.Resize(n)) return;
  double* pValues = values.Get();
  for (int i = 0; i < n; ++i) pValues[i] = kUnset;

  va_list vp;
  va_start(vp, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i) {
    const int idx = va_arg(vp, int);
    IParam* pParam = GetParam(idx);
    const IParam::EParamType type = pParam ? pParam->Type() : IParam::kTypeDouble;
    const bool intArg = type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum;
    const double v = intArg ? (double)va_arg(vp, int) : va_arg(vp, double);
    if (pParam) pValues[idx] = v;
  }
  va_end(vp);

  ByteChunk state;
  for (int i = 0; i < n; ++i) {
    const double v = pValues[i] == kUnset ? GetParam(i)->Value() : pValues[i];
    if (!state.AppendValue(v)) return;
  }
  StorePreset(name, &state);
}

void IPlugBase::MakePresetFromChunk(const char* name, ByteChunk* pChunk) { StorePreset(name, pChunk); }

void IPlugBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  ByteChunk state;
  if (sizeOfChunk < 0 || state.Resize(sizeOfChunk) != sizeOfChunk) return;
  if (sizeOfChunk) Base64Decode(blob, state.GetBytes(), sizeOfChunk);
  StorePreset(name, &state);
}

void IPlugBase::PruneUninitializedPresets()
{
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

bool IPlugBase::RestorePreset(int idx)
{
  IPreset* pPreset = mPresets.Get(idx);
  if (!pPreset) return false;
  if (!pPreset->mInitialized) {
    ByteChunk state;
    if (!SerializeState(&state)) return false;
    char name[MAX_PRESET_NAME_LEN];
    MakeDefaultUserPresetName(&mPresets, name);
    pPreset->mChunk.Clear();
    if (state.Size() && !pPreset->mChunk.AppendChunk(&state)) return false;
    pPreset->mInitialized = true;
    pPreset->SetName(name);
  } else if (UnserializeState(&pPreset->mChunk, 0) <= 0) {
    return false;
  }
  mCurrentPresetIdx = idx;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IPlugBase::RestorePreset(const char* name)
{
  if (!name || !*name) return false;
  for (int i = 0, n = NPresets(); i < n; ++i)
    if (strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

const char* IPlugBase::GetPresetName(int idx)
{
  IPreset* pPreset = mPresets.Get(idx);
  return pPreset ? pPreset->mName : "";
}

void IPlugBase::ModifyCurrentPreset(const char* newName)
{
  IPreset* pPreset = mPresets.Get(mCurrentPresetIdx);
  if (!pPreset) return;
  pPreset->mChunk.Clear();
  Trace(TRACELOC, "%d %s", mCurrentPresetIdx, pPreset->mName);
  SerializeState(&pPreset->mChunk);
  if (newName && *newName) pPreset->SetName(newName);
}

void IPlugBase::InitChunkWithIPlugVer(ByteChunk* pChunk)
{
  pChunk->Clear();
  const int magic = IPLUG_VERSION_MAGIC, version = IPLUG_VERSION;
  pChunk->AppendValue(magic);
  pChunk->AppendValue(version);
}

int IPlugBase::GetIPlugVerFromChunk(ByteChunk* pChunk, int* pPos)
{
  int magic = 0, version = 0;
  const int pos = pChunk->ReadValue(&magic, *pPos);
  if (pos < 0 || magic != IPLUG_VERSION_MAGIC) return 0;
  *pPos = pChunk->ReadValue(&version, pos);
  return *pPos < 0 ? 0 : version;
}
