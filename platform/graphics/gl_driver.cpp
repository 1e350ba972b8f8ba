#include "platform/graphics/gl_driver.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <mutex>

namespace plat::gfx {

namespace {

bool IsGlDriverModule(const char* path) {
  for (const char* part : {"libGL", "libEGL", "libglapi", "_dri.so", "libgallium", "libLLVM"}) {
    if (std::strstr(path, part)) return true;
  }
  return false;
}

}  // namespace

void KeepGlDriverLoaded() {
  static std::once_flag once;
  std::call_once(once, [] {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) -> int {
          // NOLOAD: only modules already there; NODELETE: never unmapped again. The handle is
          // kept on purpose, so the reference never drops.
          if (info->dlpi_name && *info->dlpi_name && IsGlDriverModule(info->dlpi_name))
            dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
          return 0;
        },
        nullptr);
  });
}

}  // namespace plat::gfx
