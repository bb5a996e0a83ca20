#include "components/Registration.h"

#include "classes/ClassInfo.h"
#include "components/ActiveXPlaceholders.h"
#include "components/MCIObject.h"
#include "components/MSAgent.h"
#include "components/TimerEx.h"
#include "components/WindowsMediaPlayer.h"

namespace components {

void registerComponentClasses() {
    classes::ClassRegistry::registerClasses(
        {&TTimerEx::staticClass(), &TWebBrowser::staticClass(), &TShockwaveFlash::staticClass(),
         &TMSAgent::staticClass(), &TMCIObject::staticClass(), &TWindowsMediaPlayer::staticClass()});
}

}  // namespace components
