// The build without video: nothing to install.
#include "components/VideoBackend.h"

namespace components {

bool installVideoBackend() { return false; }

}  // namespace components
