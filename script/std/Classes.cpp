// The base classes and the classes unit, as their metadata describes them.
#include "classes/Streams.h"
#include "classes/TBits.h"
#include "classes/TCollection.h"
#include "classes/TComponent.h"
#include "classes/TStrings.h"
#include "script/std/StdImports.h"

namespace script {

const Imports& stdClassImports() {
    static const Imports table = [] {
        Imports m;
        m.classType(classes::TObject::staticClass())
            .classType(classes::TPersistent::staticClass())
            .classType(classes::TComponent::staticClass());
        return m;
    }();
    return table;
}

const Imports& classesImports() {
    static const Imports table = [] {
        Imports m;
        m.constant("soFromBeginning", 0)
            .constant("soFromCurrent", 1)
            .constant("soFromEnd", 2)
            .constant("fmCreate", 0xFFFF)
            .constant("fmOpenRead", 0)
            .constant("fmOpenWrite", 1)
            .constant("fmOpenReadWrite", 2)
            .constant("fmShareCompat", 0)
            .constant("fmShareExclusive", 0x10)
            .constant("fmShareDenyWrite", 0x20)
            .constant("fmShareDenyRead", 0x30)
            .constant("fmShareDenyNone", 0x40)
            .classType(classes::TStrings::staticClass())
            .classType(classes::TStringList::staticClass())
            .classType(classes::TBits::staticClass())
            .classType(classes::TStream::staticClass())
            .classType(classes::THandleStream::staticClass())
            .classType(classes::TFileStream::staticClass())
            .classType(classes::TMemoryStream::staticClass())
            .classType(classes::TStringStream::staticClass())
            .classType(classes::TResourceStream::staticClass())
            .classType(classes::TCollectionItem::staticClass())
            .classType(classes::TCollection::staticClass());
        return m;
    }();
    return table;
}

}  // namespace script
