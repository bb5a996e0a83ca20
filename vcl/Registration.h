// Registers the component classes of this layer with the class registry, so component
// streams can name them. Call once at start-up, on the main thread.
#pragma once

namespace vcl {
void registerVclClasses();
}
