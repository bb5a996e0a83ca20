// Registers the player's own classes (the project timer, the ActiveX stand-ins) with the
// class registry, so project streams can name them. Call once at start-up, after the
// component model's own classes.
#pragma once

namespace components {
void registerComponentClasses();
}
