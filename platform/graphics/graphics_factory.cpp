// Scaffolding until the devices land: no graphics system yet.
#include "platform/graphics/graphics.h"

namespace plat {
std::unique_ptr<IGraphicsSystem> CreateGraphicsSystem(IWindowSystem&) { return nullptr; }
}  // namespace plat
