#include "components/Registration.h"

#include "classes/ClassInfo.h"
#include "components/ActiveXPlaceholders.h"
#include "components/CoolForm.h"
#include "components/ImgBtn.h"
#include "components/InteractiveLabel.h"
#include "components/MCIObject.h"
#include "components/MSAgent.h"
#include "components/RichEditViewer.h"
#include "components/TimerEx.h"
#include "components/WindowsMediaPlayer.h"

namespace components {

void registerComponentClasses() {
    classes::ClassRegistry::registerClasses(
        {&TTimerEx::staticClass(), &TWebBrowser::staticClass(), &TShockwaveFlash::staticClass(),
         &TImgBtn::staticClass(), &TInteractiveLabel::staticClass(), &TCoolForm::staticClass(),
         &TRichEditViewer::staticClass(), &TMSAgent::staticClass(), &TMCIObject::staticClass(),
         &TWindowsMediaPlayer::staticClass()});
}

}  // namespace components
