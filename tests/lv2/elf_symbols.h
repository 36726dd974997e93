#pragma once
// The symbols of an ELF64 shared object as its file lists them, for export checks.

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lv2_test {

struct ElfSymbols
{
  bool ok = false;
  std::vector<std::string> exported;  // defined global or weak symbols of the dynamic table
  std::vector<std::string> all;       // every named symbol of the full table, when the file keeps one
  std::vector<std::string> needed;    // the libraries it asks the loader for
};

inline ElfSymbols ReadElfSymbols(const std::string& path)
{
  ElfSymbols out;
  std::ifstream f(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (file.size() < sizeof(Elf64_Ehdr) || memcmp(file.data(), ELFMAG, SELFMAG) || file[EI_CLASS] != ELFCLASS64)
    return out;
  const auto* eh = reinterpret_cast<const Elf64_Ehdr*>(file.data());
  if (eh->e_shoff + (size_t)eh->e_shnum * sizeof(Elf64_Shdr) > file.size()) return out;
  const auto* sh = reinterpret_cast<const Elf64_Shdr*>(file.data() + eh->e_shoff);
  auto text = [&](const Elf64_Shdr& strtab, size_t off) -> std::string {
    if (strtab.sh_offset + off >= file.size()) return "";
    return std::string(file.data() + strtab.sh_offset + off);
  };
  for (int i = 0; i < eh->e_shnum; ++i) {
    const Elf64_Shdr& s = sh[i];
    if (s.sh_link >= eh->e_shnum || s.sh_offset + s.sh_size > file.size()) continue;
    const Elf64_Shdr& strtab = sh[s.sh_link];
    if (s.sh_type == SHT_DYNSYM || s.sh_type == SHT_SYMTAB) {
      const auto* sym = reinterpret_cast<const Elf64_Sym*>(file.data() + s.sh_offset);
      for (size_t k = 0; k < s.sh_size / sizeof(Elf64_Sym); ++k) {
        const std::string name = text(strtab, sym[k].st_name);
        if (name.empty()) continue;
        const int bind = ELF64_ST_BIND(sym[k].st_info);
        if (s.sh_type == SHT_DYNSYM && sym[k].st_shndx != SHN_UNDEF && (bind == STB_GLOBAL || bind == STB_WEAK))
          out.exported.push_back(name);
        if (s.sh_type == SHT_SYMTAB) out.all.push_back(name);
      }
    } else if (s.sh_type == SHT_DYNAMIC) {
      const auto* dyn = reinterpret_cast<const Elf64_Dyn*>(file.data() + s.sh_offset);
      for (size_t k = 0; k < s.sh_size / sizeof(Elf64_Dyn) && dyn[k].d_tag != DT_NULL; ++k)
        if (dyn[k].d_tag == DT_NEEDED) out.needed.push_back(text(strtab, dyn[k].d_un.d_val));
    }
  }
  out.ok = true;
  return out;
}

}  // namespace lv2_test
