#pragma once
// Ordered list of pointers; an owning list deletes its elements.

#include "heapbuf.h"

template <class T>
class WDL_PtrList
{
public:
  // An empty list; an owning list deletes elements on removal and when it dies.
  explicit WDL_PtrList(bool owning = false) : m_hb(4096), m_owning(owning) {}
  WDL_PtrList(const WDL_PtrList&) = delete;
  WDL_PtrList& operator=(const WDL_PtrList&) = delete;
  // Owning lists delete their elements, last element first.
  ~WDL_PtrList()
  {
    if (m_owning) Empty(true);
  }

  bool IsOwning() const { return m_owning; }
  // Number of elements.
  int GetSize() const { return m_hb.GetSize() / (int)sizeof(T*); }
  // The element at idx, or null outside the list.
  T* Get(int idx) const
  {
    T** list = GetList();
    return (list && idx >= 0 && idx < GetSize()) ? list[idx] : nullptr;
  }
  // The element array (null when empty).
  T** GetList() const { return static_cast<T**>(m_hb.Get()); }

  // Appends p; returns p, or null when memory cannot be had.
  T* Add(T* p) { return Insert(GetSize(), p); }

  // Inserts p before idx (clamped to the list); returns p, or null when memory cannot be had.
  T* Insert(int idx, T* p)
  {
    const int n = GetSize();
    if (idx < 0) idx = 0;
    if (idx > n) idx = n;
    if (m_hb.Resize((n + 1) * (int)sizeof(T*), false) == nullptr || GetSize() != n + 1) return nullptr;
    T** list = GetList();
    for (int i = n; i > idx; --i) list[i] = list[i - 1];
    list[idx] = p;
    return p;
  }

  // Replaces the element at idx (nothing outside the list); the old element is not deleted.
  void Set(int idx, T* p)
  {
    if (idx >= 0 && idx < GetSize()) GetList()[idx] = p;
  }

  // Index of p, or -1.
  int Find(const T* p) const
  {
    T** list = GetList();
    for (int i = 0, n = GetSize(); i < n; ++i)
      if (list[i] == p) return i;
    return -1;
  }

  // Removes the element at idx, deleting it when asked or when the list owns it.
  void Delete(int idx, bool wantDelete = false)
  {
    const int n = GetSize();
    if (idx < 0 || idx >= n) return;
    T** list = GetList();
    T* p = list[idx];
    for (int i = idx; i < n - 1; ++i) list[i] = list[i + 1];
    m_hb.Resize((n - 1) * (int)sizeof(T*), false);
    if (wantDelete || m_owning) delete p;
  }

  // Removes p if present (deleting as Delete does).
  void DeletePtr(T* p, bool wantDelete = false) { Delete(Find(p), wantDelete); }

  // Removes every element, last first, deleting as Delete does.
  void Empty(bool wantDelete = false)
  {
    for (int i = GetSize() - 1; i >= 0; --i) Delete(i, wantDelete);
    m_hb.Resize(0, true);
  }

private:
  WDL_HeapBuf m_hb;
  bool m_owning;
};
