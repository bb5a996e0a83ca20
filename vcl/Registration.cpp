// The component classes component streams may name.
#include "vcl/Registration.h"

#include "classes/ClassInfo.h"
#include "vcl/Animate.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Buttons.h"
#include "vcl/Edits.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Gradient.h"
#include "vcl/GroupCtrls.h"
#include "vcl/Header.h"
#include "vcl/HotKey.h"
#include "vcl/ListCtrls.h"
#include "vcl/Marquee.h"
#include "vcl/Menus.h"
#include "vcl/Notebook.h"
#include "vcl/PicShow.h"
#include "vcl/RangeCtrls.h"
#include "vcl/ScrollingCredits.h"
#include "vcl/StdCtrls.h"
#include "vcl/TextAnimator.h"
#include "vcl/TextFader.h"

namespace vcl {

void registerVclClasses() {
    // The standard classes of the 45 a project form may name, in their order, then the
    // graphics classes picture properties name. TPage comes with the first notebook.
    classes::ClassRegistry::registerClasses({
        &TForm::staticClass(),
        &TLabel::staticClass(),
        &TEdit::staticClass(),
        &TMemo::staticClass(),
        &TButton::staticClass(),
        &TCheckBox::staticClass(),
        &TRadioButton::staticClass(),
        &TListBox::staticClass(),
        &TComboBox::staticClass(),
        &TPanel::staticClass(),
        &TBitBtn::staticClass(),
        &TSpeedButton::staticClass(),
        &TRichEdit::staticClass(),
        &TImage::staticClass(),
        &TShape::staticClass(),
        &TBevel::staticClass(),
        &TTrackBar::staticClass(),
        &TProgressBar::staticClass(),
        &THotKey::staticClass(),
        &TAnimate::staticClass(),
        &TNotebook::staticClass(),
        &TGradient::staticClass(),
        &TTextAnimator::staticClass(),
        &TTextFader::staticClass(),
        &TGroupBox::staticClass(),
        &TRadioGroup::staticClass(),
        &TPicShow::staticClass(),
        &TMarquee::staticClass(),
        &TScrollingCredits::staticClass(),
        &TAutorunForm::staticClass(),
        &TTimer::staticClass(),
        &TPaintBox::staticClass(),
        &THeader::staticClass(),
        &TMenuItem::staticClass(),
        &TPopupMenu::staticClass(),
        &TMainMenu::staticClass(),
        &TFont::staticClass(),
        &TPen::staticClass(),
        &TBrush::staticClass(),
        &TPicture::staticClass(),
        &TBitmap::staticClass(),
        &TIcon::staticClass(),
        &TMetafile::staticClass(),
        &TJPEGImage::staticClass(),
        &TGIFImage::staticClass(),
        &TPNGObject::staticClass(),
        &TTarga::staticClass(),
    });
}

}  // namespace vcl
