// The one POSIX call the shared test fixtures make, for the Windows test build: mkdtemp over
// the C library's _mktemp_s and CreateDirectoryA. Force-included into those fixtures only.
#pragma once
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

inline char* mkdtemp(char* templ) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[MAX_PATH];
    std::strncpy(name, templ, MAX_PATH - 1);
    name[MAX_PATH - 1] = '\0';
    if (_mktemp_s(name, std::strlen(name) + 1) != 0) return nullptr;
    if (CreateDirectoryA(name, nullptr)) {
      std::strcpy(templ, name);
      return templ;
    }
  }
  return nullptr;
}
