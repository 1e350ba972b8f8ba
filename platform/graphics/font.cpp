// Scaffolding until the FreeType font lands.
#include "platform/graphics/graphics.h"

namespace plat {
Result CreateDeviceFont(IDevice&, int, uint32_t, const std::wstring&, std::unique_ptr<IFont>&) { return E_NOTIMPL; }
}  // namespace plat
