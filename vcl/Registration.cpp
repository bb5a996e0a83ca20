// The component classes component streams may name.
#include "vcl/Registration.h"

#include "classes/ClassInfo.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

namespace vcl {

void registerVclClasses() {
    classes::ClassRegistry::registerClasses({
        &TForm::staticClass(), &TAutorunForm::staticClass(), &TLabel::staticClass(), &TImage::staticClass(),
        &TShape::staticClass(), &TBevel::staticClass(), &TPaintBox::staticClass(), &TPanel::staticClass(),
        &TTimer::staticClass(), &TFont::staticClass(), &TPen::staticClass(), &TBrush::staticClass(),
        &TPicture::staticClass(), &TBitmap::staticClass(), &TIcon::staticClass(), &TMetafile::staticClass(),
        &TJPEGImage::staticClass(), &TGIFImage::staticClass(), &TPNGObject::staticClass(), &TTarga::staticClass(),
    });
}

}  // namespace vcl
