#pragma once
// The fuzz targets' check: a condition that must hold for every input.

#include <cstdio>
#include <cstdlib>

// Aborts (a finding) when cond is false, naming what failed.
inline void Require(bool cond, const char* what)
{
  if (cond) return;
  fprintf(stderr, "finding: %s\n", what);
  abort();
}
