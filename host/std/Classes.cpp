// The classes of the engine's own base and classes sets, for the class importer.
#include "classes/Streams.h"
#include "classes/TBits.h"
#include "classes/TCollection.h"
#include "classes/TComponent.h"
#include "classes/TStrings.h"
#include "host/std/VclSets.h"

namespace host {

const std::vector<const classes::ClassInfo*>& stdClasses() {
    static const std::vector<const classes::ClassInfo*> list = {&classes::TObject::staticClass(),
                                                                &classes::TPersistent::staticClass(),
                                                                &classes::TComponent::staticClass()};
    return list;
}

const std::vector<const classes::ClassInfo*>& classesUnitClasses() {
    static const std::vector<const classes::ClassInfo*> list = {
        &classes::TStrings::staticClass(),        &classes::TStringList::staticClass(),
        &classes::TBits::staticClass(),           &classes::TStream::staticClass(),
        &classes::THandleStream::staticClass(),   &classes::TFileStream::staticClass(),
        &classes::TMemoryStream::staticClass(),   &classes::TStringStream::staticClass(),
        &classes::TResourceStream::staticClass(), &classes::TCollectionItem::staticClass(),
        &classes::TCollection::staticClass()};
    return list;
}

}  // namespace host
